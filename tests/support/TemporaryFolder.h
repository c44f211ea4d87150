// A private folder under the system's temporary folder that disappears with its owner, and
// whole-file helpers that read and write bytes without going through the code under test.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zemtra::testing {

class TemporaryFolder {
  public:
    // `stem` starts the folder's name, so a folder left by a crashed test says whose it is.
    explicit TemporaryFolder(std::string_view stem = "zemtra-test");
    // Removes everything in it, after giving the owner back the rights a test may have taken.
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::filesystem::path& name) const {
        return path_ / name;
    }
    // `name` in the folder as a plain path string.
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    // The folder as a directory string ending with "/", as the runtime's file service takes it.
    std::string dir() const { return path_.string() + "/"; }

  private:
    std::filesystem::path path_;
};

// The whole file; empty when it cannot be read.
std::string readFile(const std::filesystem::path& path);
// Replaces the file with `bytes`, creating the folders above it.
void writeFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace zemtra::testing
