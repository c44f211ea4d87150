// layoutdump: prints a binary ".lyt" layout in the readable format that layoutc compiles.
//   layoutdump FILE.lyt
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/LayoutText.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: layoutdump FILE.lyt\n";
        return 2;
    }
    std::ifstream input(argv[1], std::ios::binary);
    if (!input) {
        std::cerr << "layoutdump: cannot read " << argv[1] << '\n';
        return 1;
    }
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(input)),
                                     std::istreambuf_iterator<char>());
    try {
        std::cout << "# " << argv[1] << '\n'
                  << zemtra::layout::dumpText(
                         zemtra::layout::parse(bytes, zemtra::fromUtf8(argv[1])));
    } catch (const zemtra::layout::LayoutError& error) {
        std::cerr << "layoutdump: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
