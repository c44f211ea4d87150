// The program's command line (over the configuration file's settings): options, defaults and
// the usage text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/ConfigFile.h"
#include "platform/Result.h"

namespace zemtra::app {

struct Options {
    bool help = false;
    bool version = false;
    bool headless = false;  // also chosen when no display is available
    bool headlessGiven = false;
    std::string dataDirectory;      // ends with "/"
    std::string assetsDirectory;    // empty: found at start-up
    std::string sensors = "auto";   // auto, sim[:SEED], iio[:SYSFS_ROOT], serial:…, replay:FILE
    bool listSensors = false;       // --sensors list
    std::string speech = "espeak";  // espeak, wav:FILE, none
    bool virtualClock = false;
    // Virtual clock start, epoch milliseconds; fixed by default so that virtual runs repeat.
    int64_t clockStartTicks = 1735689600000;  // 2025-01-01T00:00:00Z
    bool clockStartGiven = false;
    std::string smtpUrl;
    std::string smtpUser;  // empty: ZEMTRA_SMTP_USER
    std::string mailFrom;
    std::string smtpCa;  // a certificate authority (PEM) trusted for the mail server; empty: none
    std::string script;  // FILE, "-" for standard input, empty for none
    bool switchOn = false;
    bool journal = true;  // a session journal for every switch-on
    std::string words;    // a word list file, absolute; empty: the assets' "wordlist.txt"
    std::string voice;    // an espeak-ng voice's language or name, "list"; empty: English
};

// The options, or what is wrong and how to fix it. The configuration file (ConfigFile.h: the one
// `--config FILE` names, else the default one when it exists) is read first and the command line
// wins over it; the file's malformed lines are reported on the diagnostics channel and left out,
// while a file that --config names and that cannot be read is a failure. `environment` looks up
// a variable (XDG_DATA_HOME, XDG_CONFIG_HOME, HOME); injected so tests need not touch the
// process environment.
platform::Result<Options> parseCommandLine(const std::vector<std::string>& arguments,
                                           Environment environment);

std::string usageText();

// The directory with one "/" at its end, as the file service's directories are written.
std::string withTrailingSlash(std::string directory);

// Local "YYYY-MM-DDTHH:MM:SS" (in the process's time zone) or epoch milliseconds.
std::optional<int64_t> parseClockStart(const std::string& text);

}  // namespace zemtra::app
