// layoutc: compiles a readable layout source to the binary ".lyt" format.
//   layoutc SOURCE -o OUTPUT
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "tools/LayoutText.h"

int main(int argc, char** argv) {
    if (argc != 4 || std::string(argv[2]) != "-o") {
        std::cerr << "usage: layoutc SOURCE -o OUTPUT\n";
        return 2;
    }
    std::ifstream input(argv[1], std::ios::binary);
    if (!input) {
        std::cerr << "layoutc: cannot read " << argv[1] << '\n';
        return 1;
    }
    const std::string text((std::istreambuf_iterator<char>(input)),
                           std::istreambuf_iterator<char>());
    try {
        const std::vector<uint8_t> bytes =
            zemtra::layout::write(zemtra::layout::compileText(text, argv[1]));
        std::ofstream output(argv[3], std::ios::binary | std::ios::trunc);
        output.write(reinterpret_cast<const char*>(bytes.data()),
                     static_cast<std::streamsize>(bytes.size()));
        if (!output.flush()) {
            std::cerr << "layoutc: cannot write " << argv[3] << '\n';
            return 1;
        }
    } catch (const zemtra::layout::LayoutTextError& error) {
        std::cerr << error.what() << '\n';
        return 1;
    }
    return 0;
}
