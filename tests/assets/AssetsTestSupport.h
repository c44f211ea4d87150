// Helpers of the asset tests: whole files, a private temporary folder, and running a command.
#pragma once

#include <filesystem>
#include <string>

#include "tests/support/TemporaryFolder.h"

namespace zemtra::testing {

struct CommandResult {
    int status = -1;     // the exit status; -1 when the command did not end normally
    std::string output;  // standard output and standard error together
};

// Runs `command` with /bin/sh; the caller quotes what needs quoting.
CommandResult runCommand(const std::string& command);

// `text` in single quotes for the shell.
std::string shellQuoted(const std::string& text);

}  // namespace zemtra::testing
