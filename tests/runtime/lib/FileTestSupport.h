// Real files for the file and stream tests: the shared temporary folder, and whole-file helpers
// that bypass the code under test.
#pragma once

#include <string>

#include "tests/support/TemporaryFolder.h"

namespace zemtra::testing {

inline std::string readBytes(const std::string& path) {
    return readFile(path);
}
inline void writeBytes(const std::string& path, const std::string& bytes) {
    writeFile(path, bytes);
}

}  // namespace zemtra::testing
