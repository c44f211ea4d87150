// How the user-interface layer reaches files (layouts, images): through the file service, so the
// assets rule (names in the assets folder are looked up in lower case) and the file service's
// errors apply here as everywhere else.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/core/Text.h"

namespace zemtra::files {

// The assets folder (DirAssets).
String assetsDirectory();
// Whether a file or folder exists at dir/name.
bool exists(StringView dir, StringView name);
// The whole file; raises the file service's error when it cannot be read.
std::vector<uint8_t> readAll(StringView dir, StringView name);

}  // namespace zemtra::files
