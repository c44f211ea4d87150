// The stats command: its command line, finding the session, and printing the figures.
#include "app/StatsCommand.h"

#include <charconv>
#include <filesystem>
#include <iostream>
#include <optional>

#include "app/CommandLine.h"
#include "platform/Diagnostics.h"
#include "session/Journal.h"
#include "session/Statistics.h"
#include "session/StatisticsReport.h"

namespace zemtra::app {

namespace {

namespace fs = std::filesystem;

// More runs than this would take minutes on a day's session and say nothing more.
constexpr int32_t kMostRuns = 100000;

struct StatsOptions {
    bool help = false;
    bool json = false;
    std::optional<std::string> session;
    session::ControlOptions control;
    std::vector<std::string> programArguments;  // --data, --config: read as the program reads them
};

template <class Number>
std::optional<Number> wholeNumber(const std::string& text) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return {};
    return value;
}

platform::Result<StatsOptions> parseStatsArguments(const std::vector<std::string>& arguments) {
    StatsOptions options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= arguments.size()) return std::nullopt;
            return arguments[++i];
        };
        if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--json") {
            options.json = true;
        } else if (argument == "--seed") {
            const auto text = value();
            const auto seed = text ? wholeNumber<uint64_t>(*text) : std::nullopt;
            if (!seed)
                return platform::fail("stats: --seed needs a whole number of 0 or more, got '" +
                                      text.value_or("") + "'");
            options.control.seed = *seed;
        } else if (argument == "--runs") {
            const auto text = value();
            const auto runs = text ? wholeNumber<int32_t>(*text) : std::nullopt;
            if (!runs || *runs < 0 || *runs > kMostRuns)
                return platform::fail("stats: --runs needs a whole number from 0 to " +
                                      std::to_string(kMostRuns) + ", got '" + text.value_or("") +
                                      "'");
            options.control.runs = *runs;
        } else if (argument == "--data" || argument == "--config") {
            const auto text = value();
            if (!text) return platform::fail("stats: " + argument + " needs a value; see --help");
            options.programArguments.push_back(argument);
            options.programArguments.push_back(*text);
        } else if (argument.starts_with("-") && argument.size() > 1) {
            return platform::fail("stats: unknown option '" + argument +
                                  "'; see zemtra stats --help");
        } else if (options.session) {
            return platform::fail("stats: one session at a time, got '" + *options.session +
                                  "' and '" + argument + "'");
        } else {
            options.session = argument;
        }
    }
    return options;
}

// The session folder that was named, or the newest one.
platform::Result<fs::path> sessionFolder(const StatsOptions& options,
                                         const std::string& documents) {
    if (!options.session) {
        const auto newest = session::newestSession(documents);
        if (!newest)
            return platform::fail("stats: no session under " + documents +
                                  std::string(session::kSessionsFolder) +
                                  "/ (name one, or use --data DIR)");
        return *newest;
    }
    std::error_code error;
    fs::path named = *options.session;
    if (fs::is_regular_file(named, error) && named.filename() == session::kSamplesFile)
        return named.parent_path().empty() ? fs::path(".") : named.parent_path();
    if (fs::is_directory(named, error)) return named;
    const fs::path underDocuments = fs::path(documents) / session::kSessionsFolder / named;
    if (!named.is_absolute() && fs::is_directory(underDocuments, error)) return underDocuments;
    return platform::fail(named.string() + ": no such session folder");
}

}  // namespace

std::string statsUsageText() {
    return R"(Usage: zemtra stats [SESSION] [--json] [--seed N] [--runs N] [--data DIR]
The words and digits of a session, set against chance.

  SESSION               a session folder, its samples.csv, or a folder name under the
                        documents directory's Sessions/ (default: the newest session)
  --json                write one JSON object instead of sentences
  --seed N              the seed of the control runs' random digits (default 1)
  --runs N              the number of control runs (default 200)
  --data DIR            the documents directory, as for the program
  --config FILE         read --data from FILE instead of the configuration file
  --help                print this summary

Exit status: 0 when the figures were printed, 1 when the session cannot be read,
2 for a bad command line.
)";
}

int runStatsCommand(const std::vector<std::string>& arguments, Environment environment) {
    const auto parsed = parseStatsArguments(arguments);
    if (!parsed) {
        platform::diagnostics::error(parsed.error());
        return 2;
    }
    const StatsOptions& options = *parsed;
    if (options.help) {
        std::cout << statsUsageText();
        return 0;
    }
    const auto program = parseCommandLine(options.programArguments, environment);
    if (!program) {
        platform::diagnostics::error("stats: " + program.error());
        return 2;
    }
    const auto folder = sessionFolder(options, program->dataDirectory);
    if (!folder) {
        platform::diagnostics::error(folder.error());
        return 1;
    }
    const auto journal = session::readJournal(*folder);
    if (!journal) {
        platform::diagnostics::error(journal.error());
        return 1;
    }
    for (const std::string& problem : journal->problems) platform::diagnostics::warning(problem);
    if (journal->skippedRows > 0)
        platform::diagnostics::warning(
            (*folder / session::kSamplesFile).string() + ": " +
            std::to_string(journal->skippedRows) + (journal->skippedRows == 1 ? " row" : " rows") +
            " skipped, " + std::to_string(journal->rows.size()) + " used");
    const session::Statistics statistics = session::computeStatistics(*journal, options.control);
    if (options.json) {
        std::cout << session::statisticsJson(statistics);
    } else {
        std::cout << "Session " << folder->string() << "\n"
                  << session::statisticsText(statistics, journal->skippedRows);
    }
    std::cout.flush();
    if (!std::cout) {
        platform::diagnostics::error("stats: cannot write the figures to standard output");
        return 1;
    }
    return 0;
}

}  // namespace zemtra::app
