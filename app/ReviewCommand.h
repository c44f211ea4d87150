// The `zemtra review` subcommand: its command line, the session it names (or the newest), and
// the run of the review tool on it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "app/ConfigFile.h"
#include "platform/Result.h"

namespace zemtra::app {

struct ReviewOptions {
    bool help = false;
    std::string session;        // as given; empty: the newest
    std::string dataDirectory;  // ends with "/"
    std::string png;
    std::string svg;
    int width = 1600;
    int height = 700;
};

// The options after the word "review", or what is wrong with them (exit status 2).
platform::Result<ReviewOptions> parseReviewCommand(const std::vector<std::string>& arguments,
                                                   Environment environment);

// The session folder the options name: a folder (or its samples.csv), a folder name under the
// documents directory's Sessions/, or the newest there.
platform::Result<std::filesystem::path> reviewedSession(const ReviewOptions& options);

std::string reviewUsageText();

// Runs `zemtra review …` and answers the exit status; `arguments` follow the word "review".
int runReviewCommand(const std::vector<std::string>& arguments, Environment environment,
                     const std::string& programPath);

}  // namespace zemtra::app
