// A run of the built program as a person starts it, kept apart from the tester's own session: no
// display, no mail login, no debug output, the test's own configuration and runtime folder, UTC;
// and the word log it writes, read back.
#pragma once

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"

namespace zemtra::testing {

// `arguments` after the program's path; `environment` adds to or overrides the isolation.
inline ProgramOptions programRun(const std::filesystem::path& root,
                                 std::vector<std::string> arguments,
                                 std::map<std::string, std::string> environment = {}) {
    for (const char* name :
         {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "ZEMTRA_DEBUG", "ZEMTRA_SMTP_USER",
          "ZEMTRA_SMTP_PASSWORD", "DBUS_SESSION_BUS_ADDRESS"})
        environment.try_emplace(name, "");
    environment.try_emplace("XDG_CONFIG_HOME", (root / "config").string());
    environment.try_emplace("XDG_RUNTIME_DIR", root.string());
    environment.try_emplace("TZ", "UTC");
    arguments.insert(arguments.begin(), ZEMTRA_PROGRAM);
    return {std::move(arguments), std::move(environment), {}};
}

inline const std::string kWordLogTitle = "PWR ,     DATE       ,   TIME    , WORD  \n";

// The word log's records as (selection value, word), the title left out.
inline std::vector<std::pair<std::string, std::string>> wordLogRecords(const std::string& log) {
    std::istringstream lines(log);
    std::vector<std::pair<std::string, std::string>> records;
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line))
        records.emplace_back(line.substr(0, 4), line.substr(line.rfind(" , ") + 3));
    return records;
}

}  // namespace zemtra::testing
