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
#include "tests/assets/AssetsTestSupport.h"

namespace zemtra::testing {
namespace {

const std::filesystem::path kSources = ZEMTRA_SOURCE_DIR;
const std::filesystem::path kSourceAssets = kSources / "assets";
const std::filesystem::path kBuildAssets = ZEMTRA_BUILD_ASSETS_DIR;
const std::filesystem::path kScowlList = "/usr/share/dict/scowl/english-words.10";

const char* const kImages[] = {"led_green.png",        "led_green_off.png",   "led_red.png",
                               "led_red_off.png",      "meter_high.png",      "meter_low.png",
                               "meter_mid.png",        "meter_off.png",       "icons/zemtra-48.png",
                               "icons/zemtra-128.png", "icons/zemtra-256.png"};

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

    EXPECT_EQ(readFile(kBuildAssets / "wordlist.txt"), bytes)
        << "the build tree's assets hold the committed list";
}

TEST(WordList, TheScriptMakesTheCommittedListFromItsSource) {
    if (!std::filesystem::exists(kScowlList))
        GTEST_SKIP() << kScowlList << " is missing (Debian package scowl)";
    const TemporaryFolder folder;
    const auto made = folder.path() / "wordlist.txt";
    const CommandResult run = runCommand(
        "/usr/bin/python3 " + shellQuoted((kSources / "tools/make-wordlist.py").string()) + " " +
        shellQuoted(kScowlList.string()) + " " + shellQuoted(made.string()));
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(readFile(made), readFile(kSourceAssets / "wordlist.txt"));
}

// Pixels, not bytes: the compressed stream may differ between zlib versions.
TEST(Images, TheScriptDrawsTheCommittedImages) {
    const TemporaryFolder folder;
    const CommandResult run =
        runCommand("/usr/bin/python3 " + shellQuoted((kSources / "tools/make-images.py").string()) +
                   " " + shellQuoted(folder.path().string()));
    ASSERT_EQ(run.status, 0) << run.output;

    const platform::qt::QtImageCodec codec;
    const auto decode = [&codec](const std::filesystem::path& path) {
        const std::string bytes = readFile(path);
        return codec.decode(
            std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    };
    for (const char* name : kImages) {
        const auto committed = decode(kSourceAssets / name);
        const auto drawn = decode(folder.path() / name);
        ASSERT_TRUE(committed && drawn) << name;
        EXPECT_EQ(committed->width, drawn->width) << name;
        EXPECT_EQ(committed->height, drawn->height) << name;
        EXPECT_TRUE(committed->argb == drawn->argb)
            << name << " differs from what the script draws";
    }
}

}  // namespace
}  // namespace zemtra::testing
