// The configuration file: `key = value` lines whose keys are the program's long options that take
// a value ("sensors = iio", "smtp = smtps://mail.example.org"), read before the command line, which
// wins over it. By default $XDG_CONFIG_HOME/zemtra/zemtra.conf, else ~/.config/zemtra/zemtra.conf;
// `--config FILE` names another.
//
// The syntax, line by line: blank lines and lines whose first character other than blanks is "#"
// are skipped; any other line is a key, "=", and a value, blanks around both ignored; a value
// starting with "~/" starts in the home folder. A key given twice takes its last value. Passwords
// never belong here: a key that names one is refused. A malformed line is left out and reported as
// "FILE:LINE: reason"; the rest of the file still counts.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Result.h"

namespace zemtra::app {

struct ConfigSetting {
    int line = 0;
    std::string key;
    std::string value;
};

struct ConfigProblem {
    int line = 0;
    std::string reason;
};

struct ConfigFile {
    std::string path;
    std::vector<ConfigSetting> settings;  // in file order
    std::vector<ConfigProblem> problems;  // one per line left out, in file order

    // "FILE:LINE: reason", as the report about a line reads.
    std::string describe(const ConfigProblem& problem) const;
};

using Environment = std::optional<std::string> (*)(const char* name);

// $XDG_CONFIG_HOME/zemtra/zemtra.conf (when that is an absolute path), else
// $HOME/.config/zemtra/zemtra.conf.
std::string defaultConfigPath(Environment environment);

// The settings of the text (the file's content); `environment` gives HOME for "~/".
ConfigFile parseConfig(std::string_view text, const std::string& path, Environment environment);

// Reads and parses the file. A missing file holds no settings, unless it must exist (one the
// command line named): then, like a file that cannot be read, it is a failure that says why.
platform::Result<ConfigFile> readConfigFile(const std::string& path, bool mustExist,
                                            Environment environment);

}  // namespace zemtra::app
