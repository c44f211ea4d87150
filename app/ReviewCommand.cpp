// `zemtra review [SESSION] [--data DIR] [--png FILE] [--svg FILE] [--size WxH]`.
#include "app/ReviewCommand.h"

#include <charconv>
#include <iostream>
#include <system_error>

#include "app/CommandLine.h"
#include "platform/Diagnostics.h"
#include "review/Review.h"
#include "session/Journal.h"

namespace zemtra::app {

namespace {

namespace fs = std::filesystem;

constexpr int kSmallestSide = 200;
constexpr int kLargestSide = 16384;

bool parseSide(std::string_view text, int& side) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), side);
    return error == std::errc() && end == text.data() + text.size() && side >= kSmallestSide &&
           side <= kLargestSide;
}

}  // namespace

std::string reviewUsageText() {
    return R"(Usage: zemtra review [SESSION] [options]
Shows a recorded session: the six sensor channels over its time, what each tick decided,
and why each word came.

  SESSION               a session folder (or its samples.csv), or a folder name under the
                        documents directory's Sessions/ (default: the newest session)
  --data DIR            the documents directory, as for the program
  --config FILE         read the options from FILE instead of the configuration file
  --png FILE            draw the chart into a PNG file instead of opening the window
  --svg FILE            draw the chart into an SVG file instead of opening the window
  --size WxH            the size of the drawn chart in pixels (default 1600x700)
  --help

Exit status: 0 after a normal end, 2 for a bad command line, 1 when the session cannot be
read or the chart cannot be written.
)";
}

platform::Result<ReviewOptions> parseReviewCommand(const std::vector<std::string>& arguments,
                                                   Environment environment) {
    ReviewOptions options;
    std::vector<std::string> programOptions;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const auto value = [&]() -> platform::Result<std::string> {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty())
                return platform::fail("review: " + argument + " needs a value; see review --help");
            return arguments[++i];
        };
        if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--data" || argument == "--config") {
            auto given = value();
            if (!given) return given.failure();
            programOptions.push_back(argument);
            programOptions.push_back(*given);
        } else if (argument == "--png" || argument == "--svg") {
            auto given = value();
            if (!given) return given.failure();
            (argument == "--png" ? options.png : options.svg) = *given;
        } else if (argument == "--size") {
            auto given = value();
            if (!given) return given.failure();
            const size_t cross = given->find('x');
            if (cross == std::string::npos ||
                !parseSide(std::string_view(*given).substr(0, cross), options.width) ||
                !parseSide(std::string_view(*given).substr(cross + 1), options.height))
                return platform::fail("review: --size needs WIDTHxHEIGHT, each from " +
                                      std::to_string(kSmallestSide) + " to " +
                                      std::to_string(kLargestSide) + " pixels, not '" + *given +
                                      "'");
        } else if (argument.starts_with("-") && argument != "-") {
            return platform::fail("review: unknown option '" + argument + "'; see review --help");
        } else if (!options.session.empty()) {
            return platform::fail("review: one session at a time ('" + options.session + "' and '" +
                                  argument + "')");
        } else {
            options.session = argument;
        }
    }
    const auto program = parseCommandLine(programOptions, environment);
    if (!program) return platform::fail("review: " + program.error());
    options.dataDirectory = program->dataDirectory;
    return options;
}

platform::Result<fs::path> reviewedSession(const ReviewOptions& options) {
    const fs::path sessions = fs::path(options.dataDirectory) / session::kSessionsFolder;
    if (options.session.empty()) {
        const auto newest = session::newestSession(options.dataDirectory);
        if (!newest) return platform::fail("no session recorded under " + sessions.string() + "/");
        return *newest;
    }
    std::error_code error;
    const fs::path given(options.session);
    if (fs::is_directory(given, error)) return given;
    if (fs::is_regular_file(given, error) && given.filename() == session::kSamplesFile)
        return given.parent_path().empty() ? fs::path(".") : given.parent_path();
    if (given.is_relative() && fs::is_directory(sessions / given, error)) return sessions / given;
    return platform::fail(options.session + ": no such session folder (nor under " +
                          sessions.string() + "/)");
}

int runReviewCommand(const std::vector<std::string>& arguments, Environment environment,
                     const std::string& programPath) {
    const auto options = parseReviewCommand(arguments, environment);
    if (!options) {
        platform::diagnostics::error(options.error());
        return 2;
    }
    if (options->help) {
        std::cout << reviewUsageText();
        return 0;
    }
    const auto folder = reviewedSession(*options);
    if (!folder) {
        platform::diagnostics::error(folder.error());
        return 1;
    }
    review::ReviewRequest request;
    request.session = *folder;
    request.png = options->png;
    request.svg = options->svg;
    request.width = options->width;
    request.height = options->height;
    return review::runReview(request, programPath);
}

}  // namespace zemtra::app
