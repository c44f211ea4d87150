// Helpers of the asset tests: whole files, a private temporary folder, and running a command.
#pragma once

#include <filesystem>
#include <string>

namespace zemtra::testing {

std::string readFile(const std::filesystem::path& path);

// A fresh folder under the system's temporary folder, removed with everything in it.
class TemporaryFolder {
  public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

struct CommandResult {
    int status = -1;     // the exit status; -1 when the command did not end normally
    std::string output;  // standard output and standard error together
};

// Runs `command` with /bin/sh; the caller quotes what needs quoting.
CommandResult runCommand(const std::string& command);

// `text` in single quotes for the shell.
std::string shellQuoted(const std::string& text);

}  // namespace zemtra::testing
