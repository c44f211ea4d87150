// The shipped word list and images: the word list holds 2075 distinct lower-case words, one per
// line, every line ending in a line feed; the build tree ships the committed files unchanged; and
// the committed scripts, run again, give the committed files.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "platform/qt/QtImageCodec.h"
#include "tests/support/ChildProcess.h"

namespace zemtra::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kSources = ZEMTRA_SOURCE_DIR;
const fs::path kSourceAssets = kSources / "assets";
const fs::path kBuildAssets = ZEMTRA_BUILD_ASSETS_DIR;
const fs::path kScowlList = "/usr/share/dict/scowl/english-words.10";

TEST(WordList, HoldsTheFullListOfDistinctLowerCaseWordsOnePerLine) {
    const std::string bytes = readFile(kSourceAssets / "wordlist.txt");
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.back(), '\n') << "the last line ends with a line feed too";
    EXPECT_EQ(bytes.find('\r'), std::string::npos) << "line feeds only";

    std::vector<std::string> words;
    for (size_t start = 0; start < bytes.size();) {
        const size_t end = bytes.find('\n', start);
        words.push_back(bytes.substr(start, end - start));
        start = end == std::string::npos ? bytes.size() : end + 1;
    }
    ASSERT_EQ(words.size(), 2075u);
    const std::regex word("[a-z]+");
    for (size_t index = 0; index < words.size(); ++index)
        EXPECT_TRUE(std::regex_match(words[index], word))
            << "line " << index << ": " << words[index];
    EXPECT_EQ(std::set<std::string>(words.begin(), words.end()).size(), words.size())
        << "every word once";
}

// Everything but the compiled layouts is a committed file, copied as it is.
TEST(BuildAssets, AreTheCommittedFilesUnchanged) {
    int copied = 0;
    for (const auto& entry : fs::directory_iterator(kBuildAssets)) {
        if (entry.path().extension() == ".lyt") continue;
        ++copied;
        EXPECT_EQ(readFile(entry.path()), readFile(kSourceAssets / entry.path().filename()))
            << entry.path().filename();
    }
    EXPECT_GT(copied, 0);
}

TEST(WordList, TheScriptMakesTheCommittedListFromItsSource) {
    if (!fs::exists(kScowlList)) GTEST_SKIP() << kScowlList << " is missing (Debian package scowl)";
    const TemporaryFolder folder;
    const ProgramOutcome run =
        runProgram({{"/usr/bin/python3", (kSources / "tools/make-wordlist.py").string(),
                     kScowlList.string(), folder.file("wordlist.txt")},
                    {},
                    {}});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(readFile(folder / "wordlist.txt"), readFile(kSourceAssets / "wordlist.txt"));
}

// Pixels, not bytes: the compressed stream may differ between zlib versions.
TEST(Images, TheScriptDrawsTheCommittedImages) {
    const TemporaryFolder folder;
    const ProgramOutcome run = runProgram(
        {{"/usr/bin/python3", (kSources / "tools/make-images.py").string(), folder.path()},
         {},
         {}});
    ASSERT_EQ(run.status, 0) << run.out << run.err;

    const platform::qt::QtImageCodec codec;
    const auto decode = [&codec](const fs::path& path) {
        const std::string bytes = readFile(path);
        return codec.decode(
            std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    };
    int compared = 0;
    for (const auto& entry : fs::recursive_directory_iterator(kSourceAssets)) {
        if (entry.path().extension() != ".png") continue;
        const fs::path name = fs::relative(entry.path(), kSourceAssets);
        const auto committed = decode(entry.path());
        const auto drawn = decode(folder / name);
        ASSERT_TRUE(committed && drawn) << name;
        ++compared;
        EXPECT_EQ(committed->width, drawn->width) << name;
        EXPECT_EQ(committed->height, drawn->height) << name;
        EXPECT_TRUE(committed->argb == drawn->argb)
            << name << " differs from what the script draws";
    }
    EXPECT_GT(compared, 0);
}

}  // namespace
}  // namespace zemtra::testing
