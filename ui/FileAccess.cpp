// Layouts and images are read through the file service.
#include "ui/FileAccess.h"

#include "runtime/core/RtCommon.h"
#include "runtime/lib/RtFile.h"

namespace zemtra::files {

namespace {
RtFile& fileService() {
    return *RtCommon::New()->service<RtFile>();
}
}  // namespace

String assetsDirectory() {
    return fileService().DirAssets();
}

bool exists(StringView dir, StringView name) {
    return fileService().Exists(String(dir), String(name));
}

std::vector<uint8_t> readAll(StringView dir, StringView name) {
    const std::shared_ptr<RtInputStream> input = fileService().OpenInput(String(dir), String(name));
    std::vector<uint8_t> bytes;
    uint8_t chunk[8192];
    while (const int32_t count = input->readInto(chunk))
        bytes.insert(bytes.end(), chunk, chunk + count);
    input->Close();
    return bytes;
}

}  // namespace zemtra::files
