// Command-line parsing, over the configuration file's settings. Every error names the option and
// says what would be accepted.
#include "app/CommandLine.h"

#include <algorithm>
#include <charconv>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "app/ConfigFile.h"
#include "platform/Diagnostics.h"
#include "runtime/lib/RtFile.h"

namespace zemtra::app {

namespace {

// The virtual clock adds its elapsed time to the start, and the word log prints four-digit years:
// a start outside these years would overflow the clock or print dates no one can read back.
constexpr int64_t kFirstClockStart = -62135596800000;  // 0001-01-01T00:00:00Z
constexpr int64_t kLastClockStart = 253402300799999;   // 9999-12-31T23:59:59.999Z

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::optional<std::string> checkSensors(const std::string& value) {
    if (value == "auto" || value == "sim" || value == "iio" || value == "list") return std::nullopt;
    if (startsWith(value, "sim:")) {
        const std::string seed = value.substr(4);
        uint64_t parsed = 0;
        const auto [end, error] = std::from_chars(seed.data(), seed.data() + seed.size(), parsed);
        if (seed.empty() || error != std::errc() || end != seed.data() + seed.size()) {
            return "--sensors sim:SEED needs a whole number as SEED, got '" + seed + "'";
        }
        return std::nullopt;
    }
    if (startsWith(value, "iio:") && value.size() > 4) return std::nullopt;
    if (startsWith(value, "replay:") && value.size() > 7) return std::nullopt;
    if (startsWith(value, "serial:") && value.size() > 7) return std::nullopt;
    // The address itself is judged where the phone is opened.
    if (startsWith(value, "phone:")) return std::nullopt;
    return "--sensors takes auto, sim[:SEED], iio[:SYSFS_ROOT], serial:DEVICE[:BAUD], "
           "phone:http://HOST:PORT, replay:FILE or list, got '" +
           value + "'";
}

std::optional<std::string> checkSpeech(const std::string& value) {
    if (value == "espeak" || value == "none") return std::nullopt;
    if (startsWith(value, "wav:") && value.size() > 4) return std::nullopt;
    return "--speech takes espeak, wav:FILE or none, got '" + value + "'";
}

std::optional<std::string> applyData(Options& options, const std::string& text) {
    if (text.empty()) return "--data needs a directory";
    options.dataDirectory = withTrailingSlash(text);
    return std::nullopt;
}

std::optional<std::string> applyAssets(Options& options, const std::string& text) {
    if (text.empty()) return "--assets needs a directory";
    options.assetsDirectory = withTrailingSlash(text);
    return std::nullopt;
}

std::optional<std::string> applySensors(Options& options, const std::string& text) {
    if (auto problem = checkSensors(text)) return problem;
    if (text == "list") {
        options.listSensors = true;
        return std::nullopt;
    }
    options.sensors = text;
    return std::nullopt;
}

std::optional<std::string> applySpeech(Options& options, const std::string& text) {
    if (auto problem = checkSpeech(text)) return problem;
    options.speech = text;
    return std::nullopt;
}

std::optional<std::string> applyClock(Options& options, const std::string& text) {
    // A later --clock replaces an earlier one (or the configuration file's) whole.
    const Options defaults;
    options.virtualClock = false;
    options.clockStartTicks = defaults.clockStartTicks;
    options.clockStartGiven = false;
    if (text == "real") return std::nullopt;
    if (text == "virtual") {
        options.virtualClock = true;
        return std::nullopt;
    }
    if (!startsWith(text, "virtual:"))
        return "--clock takes real or virtual[:START], got '" + text + "'";
    const auto start = parseClockStart(text.substr(8));
    if (!start) {
        return "--clock virtual:START needs START as epoch milliseconds or local "
               "YYYY-MM-DDTHH:MM:SS, got '" +
               text.substr(8) + "'";
    }
    if (*start < kFirstClockStart || *start > kLastClockStart) {
        return "--clock virtual:START must lie between 0001-01-01 and 9999-12-31 (epoch "
               "milliseconds " +
               std::to_string(kFirstClockStart) + " to " + std::to_string(kLastClockStart) +
               "), got '" + text.substr(8) + "'";
    }
    options.virtualClock = true;
    options.clockStartTicks = *start;
    options.clockStartGiven = true;
    return std::nullopt;
}

std::optional<std::string> applySmtp(Options& options, const std::string& text) {
    if (!startsWith(text, "smtp://") && !startsWith(text, "smtps://"))
        return "--smtp takes a smtp:// or smtps:// URL, got '" + text + "'";
    options.smtpUrl = text;
    return std::nullopt;
}

std::optional<std::string> applySmtpUser(Options& options, const std::string& text) {
    options.smtpUser = text;
    return std::nullopt;
}

std::optional<std::string> applyMailFrom(Options& options, const std::string& text) {
    options.mailFrom = text;
    return std::nullopt;
}

std::optional<std::string> applySmtpCa(Options& options, const std::string& text) {
    if (text.empty() || !std::ifstream(text))
        return "--smtp-ca needs a readable certificate file, got '" + text + "'";
    options.smtpCa = text;
    return std::nullopt;
}

std::optional<std::string> applyJournal(Options& options, const std::string& text) {
    if (text != "on" && text != "off") return "--journal takes on or off, got '" + text + "'";
    options.journal = text == "on";
    return std::nullopt;
}

std::optional<std::string> applyWords(Options& options, const std::string& text) {
    std::error_code error;
    if (text.empty() || !std::ifstream(text) || std::filesystem::is_directory(text, error))
        return "--words needs a readable word list file, got '" + text + "'";
    // The journal records where the words came from, wherever the program was started.
    const std::filesystem::path absolute = std::filesystem::absolute(text, error);
    options.words = error ? text : absolute.lexically_normal().string();
    return std::nullopt;
}

std::optional<std::string> applyVoice(Options& options, const std::string& text) {
    if (text.empty()) return "--voice needs a voice; --voice list lists the installed ones";
    options.voice = text;
    return std::nullopt;
}

std::optional<std::string> applyScript(Options& options, const std::string& text) {
    options.script = text;
    return std::nullopt;
}

// Every option that takes a value, by its long name. The configuration file's keys are these
// names without the dashes, set through the same functions, so a new option is a key as well.
struct ValueOption {
    std::string_view name;
    std::optional<std::string> (*apply)(Options& options, const std::string& value);
};

constexpr ValueOption kValueOptions[] = {
    {"--data", applyData},          {"--assets", applyAssets},      {"--sensors", applySensors},
    {"--speech", applySpeech},      {"--clock", applyClock},        {"--smtp", applySmtp},
    {"--smtp-user", applySmtpUser}, {"--mail-from", applyMailFrom}, {"--smtp-ca", applySmtpCa},
    {"--script", applyScript},      {"--journal", applyJournal},    {"--words", applyWords},
    {"--voice", applyVoice},
};

const ValueOption* findValueOption(std::string_view name) {
    for (const ValueOption& option : kValueOptions) {
        if (option.name == name) return &option;
    }
    return nullptr;
}

std::string configKeys() {
    std::string keys;
    for (const ValueOption& option : kValueOptions) {
        if (!keys.empty()) keys += ", ";
        keys += option.name.substr(2);
    }
    return keys;
}

// Each setting of the file through its option; a line that cannot be used is reported and left
// out, and the program starts with the rest.
void applyConfigFile(Options& options, const ConfigFile& file) {
    std::vector<ConfigProblem> problems = file.problems;
    for (const ConfigSetting& setting : file.settings) {
        const std::string option = "--" + setting.key;
        std::optional<std::string> problem;
        if (setting.key == "sensors" && setting.value == "list") {
            problem =
                "'sensors = list' lists the sensors and ends the program: it belongs on the "
                "command line only";
        } else if (setting.key == "voice" && setting.value == "list") {
            problem = "'voice = list' lists the voices and ends; it belongs on the command line";
        } else if (const ValueOption* found = findValueOption(option)) {
            problem = found->apply(options, setting.value);
        } else if (setting.key == "config") {
            problem = "'config' cannot be set in a configuration file";
        } else if (option == "--headless" || option == "--on" || option == "--help" ||
                   option == "--version") {
            problem = "'" + setting.key + "' is a switch of the command line only";
        } else {
            problem = "unknown key '" + setting.key + "'; the keys are " + configKeys();
        }
        // The option's messages name it as the command line spells it; here it is a key.
        if (problem && problem->starts_with(option)) problem->erase(0, 2);
        if (problem) problems.push_back({setting.line, *problem});
    }
    // In line order, as a person reads the file.
    std::stable_sort(problems.begin(), problems.end(),
                     [](const auto& a, const auto& b) { return a.line < b.line; });
    for (const ConfigProblem& problem : problems)
        platform::diagnostics::warning(file.describe(problem) + "; the line is ignored");
}

}  // namespace

std::optional<int64_t> parseClockStart(const std::string& text) {
    if (text.empty()) return std::nullopt;
    int64_t millis = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), millis);
    if (error == std::errc() && end == text.data() + text.size()) return millis;
    std::tm fields{};
    char rest = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &fields.tm_year, &fields.tm_mon,
                    &fields.tm_mday, &fields.tm_hour, &fields.tm_min, &fields.tm_sec, &rest) != 6) {
        return std::nullopt;
    }
    // mktime would carry these into the next minute, hour or day without a word.
    if (fields.tm_hour < 0 || fields.tm_hour > 23 || fields.tm_min < 0 || fields.tm_min > 59 ||
        fields.tm_sec < 0 || fields.tm_sec > 59) {
        return std::nullopt;
    }
    const int month = fields.tm_mon;
    const int day = fields.tm_mday;
    fields.tm_year -= 1900;
    fields.tm_mon -= 1;
    fields.tm_isdst = -1;
    const std::time_t seconds = std::mktime(&fields);
    // mktime normalises out-of-range fields (month 13, day 32); such a text is not a date.
    if (seconds == static_cast<std::time_t>(-1) || fields.tm_mon != month - 1 ||
        fields.tm_mday != day) {
        return std::nullopt;
    }
    return static_cast<int64_t>(seconds) * 1000;
}

std::string withTrailingSlash(std::string directory) {
    if (directory.empty() || directory.back() != '/') directory += '/';
    return directory;
}

platform::Result<Options> parseCommandLine(const std::vector<std::string>& arguments,
                                           Environment environment) {
    Options options;
    // The file first, so that the command line wins over it.
    std::optional<std::string> named;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--config") {
            if (i + 1 >= arguments.size())
                return platform::fail("--config needs a value; see --help");
            named = arguments[++i];
            if (named->empty()) return platform::fail("--config needs a file");
        } else if (findValueOption(arguments[i])) {
            ++i;
        }
    }
    const auto file = readConfigFile(named ? *named : defaultConfigPath(environment),
                                     named.has_value(), environment);
    if (!file) {
        if (named) return platform::fail(file.error());
        // An unreadable file in the usual place must not keep the program from starting.
        platform::diagnostics::warning(file.error() + "; starting without it");
    } else {
        applyConfigFile(options, *file);
    }

    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else if (argument == "--headless") {
            options.headless = true;
            options.headlessGiven = true;
        } else if (argument == "--on") {
            options.switchOn = true;
        } else if (argument == "--config") {
            ++i;  // read above
        } else if (const ValueOption* option = findValueOption(argument)) {
            if (i + 1 >= arguments.size())
                return platform::fail(argument + " needs a value; see --help");
            if (auto problem = option->apply(options, arguments[++i]))
                return platform::fail(*problem);
        } else {
            return platform::fail("unknown option '" + argument + "'; see --help");
        }
    }
    if (options.dataDirectory.empty()) {
        options.dataDirectory = toUtf8(FileLocations::defaults(environment).documents);
    }
    return options;
}

std::string usageText() {
    return R"(Usage: zemtra [options]
Zemtra turns the noise of motion sensors into spoken words.

  --headless            run without a window (the default when no display is available)
  --data DIR            the documents directory (default: $XDG_DATA_HOME/zemtra,
                        else ~/.local/share/zemtra); created when missing
  --assets DIR          the assets directory (default: the installed data directory,
                        else the build tree's assets)
  --sensors SOURCE      auto (default: IIO sensors when the machine has an accelerometer
                        and a magnetometer, else sim), sim[:SEED], iio[:SYSFS_ROOT],
                        serial:DEVICE[:BAUD], phone:http://HOST:PORT (phyphox's remote
                        access), replay:FILE; list: what the machine has
  --speech OUTPUT       espeak (default, sound card), wav:FILE, none
  --clock CLOCK         real (default), virtual[:START] (START: epoch milliseconds,
                        or local YYYY-MM-DDTHH:MM:SS; default 2025-01-01T00:00:00Z)
  --smtp URL            mail server (smtp:// or smtps://); without it, E-mail hands the log
                        to the desktop's mail program (xdg-email)
  --smtp-user USER      the login on the mail server (default: ZEMTRA_SMTP_USER); the
                        password comes from ZEMTRA_SMTP_PASSWORD, else from the desktop's
                        secret store (see the manual page)
  --smtp-ca FILE        a certificate authority (PEM) to trust for the mail server's
                        certificate
  --mail-from ADDRESS   sender address for mail
  --script FILE|-       drive the program with commands; it quits after the last one
  --on                  switch the generator on once start-up is done
  --journal on|off      write a session journal, Sessions/<start>/ in the documents
                        directory, from each switch-on to the next switch-off (default: on)
  --words FILE          speak the words of FILE (UTF-8, one word per line) instead of the
                        shipped English list; a full list has 2,049 to 2,075 words
  --voice NAME          the espeak-ng voice, by language ("de") or name ("German");
                        --voice list prints the installed voices (default: English)
  --config FILE         read the options from FILE instead of the configuration file
  --help, --version

Commands:
  zemtra review [SESSION] [--png FILE] [--svg FILE] [--size WxH]
                        a session's sensor channels, decisions and words in a window, or
                        its chart as a PNG or SVG file (zemtra review --help)
  zemtra stats [SESSION] [--json] [--seed N] [--runs N]
                        a session's words and digits against chance (zemtra stats --help)

The configuration file, $XDG_CONFIG_HOME/zemtra/zemtra.conf (else
~/.config/zemtra/zemtra.conf), holds "key = value" lines whose keys are the long options
that take a value ("sensors = iio", "smtp = smtps://mail.example.org"); "#" starts a
comment line. The command line wins over it. Passwords never go into it.

The log goes to standard output; diagnostics to standard error.
Exit status: 0 after a normal end, 2 for a bad command line, 1 when an error ended the program.
)";
}

}  // namespace zemtra::app
