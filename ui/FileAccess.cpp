// File access for layouts and images, with the file service's assets rule and error texts.
#include "ui/FileAccess.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "runtime/core/RtException.h"

namespace zemtra::files {

namespace {

std::filesystem::path pathOf(StringView dir, StringView name) {
    // The bundle stores asset names in lower case.
    const String file = dir == assetsDirectory() ? toLowerEnUs(name) : String(name);
    return std::filesystem::path(toUtf8(dir)) / std::filesystem::path(toUtf8(file));
}

}  // namespace

String assetsDirectory() {
    const char* configured = std::getenv("ZEMTRA_ASSETS");
    return fromUtf8(configured ? configured : "assets");
}

bool exists(StringView dir, StringView name) {
    std::error_code error;
    return std::filesystem::exists(pathOf(dir, name), error);
}

std::vector<uint8_t> readAll(StringView dir, StringView name) {
    const std::filesystem::path path = pathOf(dir, name);
    std::ifstream stream(path, std::ios::binary);
    if (!stream) {
        raise(u"", u"Error opening stream: %@",
              {fromUtf8("The file \"" + path.filename().string() + "\" couldn't be opened.")});
    }
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(stream),
                                std::istreambuf_iterator<char>());
}

}  // namespace zemtra::files
