// The manual page zemtra(1) against the program it describes: the options it lists are the ones
// `zemtra --help` lists, the version it names is the one `zemtra --version` prints, and groff
// formats it without a warning.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/TemporaryFolder.h"

namespace zemtra::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kManual = fs::path(ZEMTRA_SOURCE_DIR) / "doc/zemtra.1";
const std::string kProgram = std::string(ZEMTRA_BUILD_DIR) + "/zemtra";

// Every "-x" or "--name" in `text`.
std::set<std::string> optionsIn(const std::string& text) {
    static const std::regex option("(^|[^A-Za-z0-9-])(--?[A-Za-z][A-Za-z0-9-]*)");
    std::set<std::string> found;
    for (auto match = std::sregex_iterator(text.begin(), text.end(), option);
         match != std::sregex_iterator(); ++match) {
        found.insert((*match)[2]);
    }
    return found;
}

// The options `--help` lists: those in the first column of the lines that start with an option
// ("  --data DIR      the documents ...", "  --help, --version"); the column ends at two spaces.
std::set<std::string> helpOptions(const std::string& help) {
    std::set<std::string> options;
    std::istringstream lines(help);
    for (std::string line; std::getline(lines, line);) {
        const size_t start = line.find_first_not_of(' ');
        if (start == std::string::npos || start == 0 || line[start] != '-') continue;
        const std::set<std::string> named = optionsIn(line.substr(start, line.find("  ", start)));
        options.insert(named.begin(), named.end());
    }
    return options;
}

// The roff text with its hyphen escapes and font changes taken out ("\-\-data" -> "--data").
std::string plainRoff(std::string text) {
    text = std::regex_replace(text, std::regex(R"(\\-)"), "-");
    return std::regex_replace(text, std::regex(R"(\\f[BIRP])"), "");
}

// The options the man page describes under OPTIONS: those in the tags of its lists (the line
// after each .TP). The subcommands' own options have sections of their own, compared with their
// own --help by their tests.
std::set<std::string> manualOptions(const std::string& manual) {
    std::set<std::string> options;
    std::istringstream lines(manual);
    bool tagNext = false;
    bool inOptions = false;
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with(".SH")) inOptions = line == ".SH OPTIONS";
        if (tagNext && inOptions) {
            const std::set<std::string> named = optionsIn(plainRoff(line));
            options.insert(named.begin(), named.end());
        }
        tagNext = line.starts_with(".TP");
    }
    return options;
}

std::string listed(const std::set<std::string>& options) {
    std::string text;
    for (const std::string& option : options) text += " " + option;
    return text;
}

TEST(ManPage, ListsExactlyTheOptionsOfHelp) {
    const ProgramOutcome help = runProgram({{kProgram, "--help"}, {}, {}});
    ASSERT_EQ(help.status, 0) << help.err;
    const std::set<std::string> inHelp = helpOptions(help.out);
    const std::set<std::string> inManual = manualOptions(readFile(kManual));
    // Both readers find the options that have been there from the start.
    ASSERT_TRUE(inHelp.contains("--data") && inHelp.contains("--version")) << listed(inHelp);
    ASSERT_TRUE(inManual.contains("--data") && inManual.contains("--version")) << listed(inManual);

    for (const std::string& option : inHelp) {
        EXPECT_TRUE(inManual.contains(option))
            << "--help lists " << option << ", which the man page " << kManual
            << " does not describe under OPTIONS";
    }
    for (const std::string& option : inManual) {
        EXPECT_TRUE(inHelp.contains(option)) << "the man page " << kManual << " describes "
                                             << option << ", which --help does not list";
    }
}

TEST(ManPage, NamesTheVersionTheProgramPrints) {
    const ProgramOutcome version = runProgram({{kProgram, "--version"}, {}, {}});
    ASSERT_EQ(version.status, 0) << version.err;
    const std::string printed = version.out.substr(0, version.out.find('\n'));
    // .TH ZEMTRA 1 DATE "zemtra 0.1.0" "User Commands"
    const std::string manual = readFile(kManual);
    EXPECT_NE(manual.find("\n.TH ZEMTRA 1 "), std::string::npos);
    EXPECT_NE(manual.find(" \"" + printed + "\" "), std::string::npos)
        << "the .TH line of " << kManual << " should name \"" << printed << "\"";
}

TEST(ManPage, FormatsWithoutWarnings) {
    if (!fs::exists("/usr/bin/groff")) GTEST_SKIP() << "groff is not installed (setup.sh does)";
    // -ww turns on every warning; -z formats without writing the result.
    const ProgramOutcome formatted =
        runProgram({{"/usr/bin/groff", "-man", "-Tutf8", "-ww", "-z", kManual.string()}, {}, {}});
    EXPECT_EQ(formatted.status, 0);
    EXPECT_EQ(formatted.err, "");
}

}  // namespace
}  // namespace zemtra::testing
