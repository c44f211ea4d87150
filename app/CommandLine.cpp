// Command-line parsing. Every error names the option and says what would be accepted.
#include "app/CommandLine.h"

#include <charconv>
#include <ctime>
#include <fstream>
#include <string>

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
    if (value == "sim" || value == "iio") return std::nullopt;
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
    return "--sensors takes sim[:SEED], iio[:SYSFS_ROOT] or replay:FILE, got '" + value + "'";
}

std::optional<std::string> checkSpeech(const std::string& value) {
    if (value == "espeak" || value == "none") return std::nullopt;
    if (startsWith(value, "wav:") && value.size() > 4) return std::nullopt;
    return "--speech takes espeak, wav:FILE or none, got '" + value + "'";
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

platform::Result<Options> parseCommandLine(
    const std::vector<std::string>& arguments,
    std::optional<std::string> (*environment)(const char* name)) {
    Options options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const auto value = [&](std::string& target) -> bool {
            if (i + 1 >= arguments.size()) return false;
            target = arguments[++i];
            return true;
        };
        std::string text;
        if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else if (argument == "--headless") {
            options.headless = true;
            options.headlessGiven = true;
        } else if (argument == "--on") {
            options.switchOn = true;
        } else if (argument == "--data" || argument == "--assets" || argument == "--sensors" ||
                   argument == "--speech" || argument == "--clock" || argument == "--smtp" ||
                   argument == "--mail-from" || argument == "--smtp-ca" || argument == "--script") {
            if (!value(text)) return platform::fail(argument + " needs a value; see --help");
            if (argument == "--data") {
                if (text.empty()) return platform::fail("--data needs a directory");
                options.dataDirectory = withTrailingSlash(text);
            } else if (argument == "--assets") {
                if (text.empty()) return platform::fail("--assets needs a directory");
                options.assetsDirectory = withTrailingSlash(text);
            } else if (argument == "--sensors") {
                if (auto problem = checkSensors(text)) return platform::fail(*problem);
                options.sensors = text;
            } else if (argument == "--speech") {
                if (auto problem = checkSpeech(text)) return platform::fail(*problem);
                options.speech = text;
            } else if (argument == "--clock") {
                if (text == "real") {
                    options.virtualClock = false;
                } else if (text == "virtual") {
                    options.virtualClock = true;
                } else if (startsWith(text, "virtual:")) {
                    const auto start = parseClockStart(text.substr(8));
                    if (!start) {
                        return platform::fail(
                            "--clock virtual:START needs START as epoch milliseconds or local "
                            "YYYY-MM-DDTHH:MM:SS, got '" +
                            text.substr(8) + "'");
                    }
                    if (*start < kFirstClockStart || *start > kLastClockStart) {
                        return platform::fail(
                            "--clock virtual:START must lie between 0001-01-01 and 9999-12-31 "
                            "(epoch milliseconds " +
                            std::to_string(kFirstClockStart) + " to " +
                            std::to_string(kLastClockStart) + "), got '" + text.substr(8) + "'");
                    }
                    options.virtualClock = true;
                    options.clockStartTicks = *start;
                    options.clockStartGiven = true;
                } else {
                    return platform::fail("--clock takes real or virtual[:START], got '" + text +
                                          "'");
                }
            } else if (argument == "--smtp") {
                if (!startsWith(text, "smtp://") && !startsWith(text, "smtps://")) {
                    return platform::fail("--smtp takes a smtp:// or smtps:// URL, got '" + text +
                                          "'");
                }
                options.smtpUrl = text;
            } else if (argument == "--mail-from") {
                options.mailFrom = text;
            } else if (argument == "--smtp-ca") {
                if (text.empty() || !std::ifstream(text)) {
                    return platform::fail("--smtp-ca needs a readable certificate file, got '" +
                                          text + "'");
                }
                options.smtpCa = text;
            } else {
                options.script = text;
            }
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
  --sensors SOURCE      sim[:SEED] (default), iio[:SYSFS_ROOT], replay:FILE
  --speech OUTPUT       espeak (default, sound card), wav:FILE, none
  --clock CLOCK         real (default), virtual[:START] (START: epoch milliseconds,
                        or local YYYY-MM-DDTHH:MM:SS; default 2025-01-01T00:00:00Z)
  --smtp URL            mail server (smtp:// or smtps://); user and password from
                        ZEMTRA_SMTP_USER and ZEMTRA_SMTP_PASSWORD; without it, E-mail
                        hands the log to the desktop's mail program (xdg-email)
  --smtp-ca FILE        a certificate authority (PEM) to trust for the mail server's
                        certificate
  --mail-from ADDRESS   sender address for mail
  --script FILE|-       drive the program with commands; it quits after the last one
  --on                  switch the generator on once start-up is done
  --help, --version

The log goes to standard output; diagnostics to standard error.
Exit status: 0 after a normal end, 2 for a bad command line, 1 when an error ended the program.
)";
}

}  // namespace zemtra::app
