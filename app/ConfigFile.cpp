// Reading the configuration file's `key = value` lines.
#include "app/ConfigFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "runtime/lib/RtFile.h"

namespace zemtra::app {

namespace {

std::string_view trimmed(std::string_view text) {
    const size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos) return {};
    const size_t end = text.find_last_not_of(" \t\r");
    return text.substr(start, end - start + 1);
}

// Whether the key names a secret; such a value must not sit in a file other users' backups,
// screenshots and support requests carry around.
bool namesASecret(std::string_view key) {
    for (const std::string_view word : {"password", "passwd", "secret"}) {
        if (key.find(word) != std::string_view::npos) return true;
    }
    return false;
}

}  // namespace

std::string ConfigFile::describe(const ConfigProblem& problem) const {
    return path + ":" + std::to_string(problem.line) + ": " + problem.reason;
}

std::string defaultConfigPath(Environment environment) {
    return toUtf8(FileLocations::defaults(environment).library) + "zemtra.conf";
}

ConfigFile parseConfig(std::string_view text, const std::string& path, Environment environment) {
    ConfigFile file;
    file.path = path;
    int number = 0;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = trimmed(text.substr(start, end - start));
        start = end + 1;
        ++number;
        if (line.empty() || line.front() == '#') continue;
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            file.problems.push_back(
                {number, "expected key = value, got '" + std::string(line) + "'"});
            continue;
        }
        ConfigSetting setting{number, std::string(trimmed(line.substr(0, equals))),
                              std::string(trimmed(line.substr(equals + 1)))};
        if (setting.key.empty()) {
            file.problems.push_back({number, "a line needs a key before '='"});
            continue;
        }
        if (namesASecret(setting.key)) {
            // The value is not repeated: it may be the secret itself.
            file.problems.push_back(
                {number, "'" + setting.key +
                             "' is refused: passwords are never read from this file; set "
                             "ZEMTRA_SMTP_PASSWORD or keep the password in the desktop's "
                             "secret store (see 'man zemtra')"});
            continue;
        }
        if (setting.value.empty()) {
            file.problems.push_back({number, "'" + setting.key + "' has no value"});
            continue;
        }
        if (setting.value.starts_with("~/")) {
            if (const auto home = environment("HOME"); home && !home->empty())
                setting.value = *home + setting.value.substr(1);
        }
        file.settings.push_back(std::move(setting));
    }
    return file;
}

platform::Result<ConfigFile> readConfigFile(const std::string& path, bool mustExist,
                                            Environment environment) {
    std::error_code folder;
    if (std::filesystem::is_directory(path, folder))
        return platform::fail("cannot read the configuration file " + path + ": it is a folder");
    std::ifstream input(path, std::ios::binary);
    if (!input) {
        const int error = errno;
        if (error == ENOENT && !mustExist) return ConfigFile{path, {}, {}};
        return platform::fail(
            "cannot read the configuration file " + path + ": " + std::strerror(error),
            std::error_code(error, std::generic_category()));
    }
    std::ostringstream text;
    text << input.rdbuf();
    if (input.bad()) return platform::fail("cannot read the configuration file " + path);
    return parseConfig(text.str(), path, environment);
}

}  // namespace zemtra::app
