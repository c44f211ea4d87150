// Real files for the file and stream tests: a private folder that disappears with the test, and
// whole-file helpers that bypass the code under test.
#pragma once

#include <filesystem>
#include <string>

#include "runtime/core/Text.h"

namespace zemtra::testing {

class TemporaryFolder {
  public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The folder as a directory string ending with "/".
    String dir() const { return fromUtf8(path_.string() + "/"); }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

std::string readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::string& bytes);

}  // namespace zemtra::testing
