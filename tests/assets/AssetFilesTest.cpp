// The shipped word list and images: the word list holds 2075 distinct lower-case words, one per
// line, every line ending in a line feed; the build tree ships the committed files unchanged; and
// the committed scripts, run again, give the committed files.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <span>
#include <sstream>
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
    // Lower-case letters only in each line, each line ended by a line feed (no CR).
    EXPECT_TRUE(bytes.ends_with('\n') && !bytes.starts_with('\n') &&
                bytes.find("\n\n") == std::string::npos &&
                bytes.find_first_not_of("abcdefghijklmnopqrstuvwxyz\n") == std::string::npos);

    std::istringstream lines(bytes);
    std::set<std::string> words;
    size_t count = 0;
    for (std::string word; std::getline(lines, word); ++count) words.insert(word);
    EXPECT_EQ(count, 2075u);
    EXPECT_EQ(words.size(), count) << "every word once";
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
