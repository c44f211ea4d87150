// The program's writes as a user meets them when they fail: a documents directory that fills up
// during a simulated hour (a small tmpfs, or a read-only folder where mounting is not allowed),
// and the end of a run that an error ended, which still saves the recent-word memory.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "tests/support/ChildProcess.h"
#include "tests/support/TemporaryFolder.h"

namespace {

namespace fs = std::filesystem;
using zemtra::testing::readFile;
using zemtra::testing::writeFile;

const std::string kTitle = "PWR ,     DATE       ,   TIME    , WORD  \n";

class WritesEndToEndTest : public ::testing::Test {
  protected:
    zemtra::testing::ProgramOutcome run(const std::string& script,
                                        std::vector<std::string> extra = {}) const {
        writeFile(folder / "script.txt", script);
        std::vector<std::string> args = {ZEMTRA_PROGRAM, "--headless", "--clock",
                                         "virtual",      "--sensors",  "sim",
                                         "--speech",     "none",       "--data",
                                         data.string(),  "--script",   folder.file("script.txt")};
        args.insert(args.end(), extra.begin(), extra.end());
        return zemtra::testing::runProgram({args,
                                            {{"TZ", "UTC"},
                                             {"DISPLAY", ""},
                                             {"WAYLAND_DISPLAY", ""},
                                             {"ZEMTRA_DEBUG", ""},
                                             {"XDG_RUNTIME_DIR", folder.path().string()}}});
    }

    const zemtra::testing::TemporaryFolder folder{"zemtra-writes"};
    const fs::path data = folder / "data";
};

// A tmpfs mounted for the test's life.
class SmallDisk {
  public:
    SmallDisk(const fs::path& where, const char* size) : where_(where) {
        fs::create_directories(where);
        mounted_ = ::mount("tmpfs", where.c_str(), "tmpfs", 0, size) == 0;
        error_ = errno;
    }
    ~SmallDisk() {
        if (mounted_) ::umount2(where_.c_str(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool mounted() const { return mounted_; }
    std::string why() const { return std::strerror(error_); }

  private:
    fs::path where_;
    bool mounted_ = false;
    int error_ = 0;
};

// Writes until the disk takes no more.
void fill(const fs::path& file) {
    std::ofstream filler(file, std::ios::binary);
    const std::string block(4096, 'f');
    while (filler.write(block.data(), block.size()) && filler.flush()) {
    }
}

TEST_F(WritesEndToEndTest, AFullDiskLosesNoRecordAndTheScreenSaysWhy) {
    const SmallDisk disk(data, "size=64k");
    std::string notice, memoryNotice;
    // A log that almost fills its last block: one more record fits, the next one does not.
    std::string before = kTitle;
    const std::string record = "0427 ,11/14/2023 , 22:13:20 , w427\n";
    while (before.size() + record.size() <= 4096 - 30) before += record;
    writeFile(data / "WordLog.txt", before);
    if (disk.mounted()) {
        fill(data / "filler");
        notice = "Word log not written: the disk is full. Free some space on it.";
        memoryNotice = "Recent-word memory not saved: the disk is full. Free some space on it.";
    } else if (::geteuid() != 0) {
        fs::permissions(data / "WordLog.txt", fs::perms::owner_read);
        fs::permissions(data, fs::perms::owner_read | fs::perms::owner_exec);
        notice = "Word log not written: the folder is read-only. Make it writable.";
        memoryNotice = "Recent-word memory not saved: the folder is read-only. Make it writable.";
    } else {
        GTEST_SKIP() << "cannot mount a small tmpfs (" << disk.why()
                     << "), and a read-only folder does not stop root";
    }

    const auto outcome =
        run("tap label1\nwait 3600000\nscreenshot " + folder.file("full.png") + "\n");
    fs::permissions(data, fs::perms::owner_all);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    const auto count = [&outcome](const std::string& line) {
        size_t found = 0;
        for (size_t at = outcome.out.find(line + "\n"); at != std::string::npos;
             at = outcome.out.find(line + "\n", at + 1))
            ++found;
        return found;
    };
    EXPECT_EQ(count(notice), 1u) << "logged once, however many words failed";
    EXPECT_GE(count(memoryNotice), 1u);
    EXPECT_NE(outcome.err.find(memoryNotice), std::string::npos) << "the end says why";
    EXPECT_GT(count("RN = 8"), 0u) << "words went on being spoken";

    const std::string log = readFile(data / "WordLog.txt");
    ASSERT_EQ(log.substr(0, before.size()), before) << "earlier records untouched";
    EXPECT_EQ(log.back(), '\n');
    // Whole: the shape of a record, and the word the list holds for its value.
    std::vector<std::string> words;
    std::istringstream list(readFile(fs::path(ZEMTRA_BUILD_ASSETS_DIR) / "wordlist.txt"));
    for (std::string word; std::getline(list, word);) words.push_back(word);
    words.push_back("w427");  // the records the test wrote
    std::istringstream lines(log.substr(kTitle.size()));
    const std::regex shape(R"((\d{4}) ,\d\d/\d\d/\d{4} , \d\d:\d\d:\d\d , (.*))");
    for (std::string line; std::getline(lines, line);) {
        std::smatch parts;
        ASSERT_TRUE(std::regex_match(line, parts, shape)) << line;
        const size_t value = std::stoul(parts[1]);
        EXPECT_TRUE(parts[2] == words.back() || (value < words.size() && parts[2] == words[value]))
            << line;
    }
    EXPECT_GT(fs::file_size(folder / "full.png"), 0u);
}

TEST_F(WritesEndToEndTest, AnErrorEndStillSavesTheMemory) {
    const auto outcome = run("tap label1\nwait 60000\ntap nothing\n");
    EXPECT_EQ(outcome.status, 1);
    EXPECT_TRUE(outcome.out.ends_with("Save fifo\nSave done\n")) << outcome.out;
    const std::string memory = readFile(data / "fifo.txt");
    EXPECT_EQ(std::count(memory.begin(), memory.end(), '\n'), 1025);

    // A start that did not finish never read the memory: the saved one is left as it was.
    const fs::path noAssets = folder / "empty";
    fs::create_directories(noAssets);
    writeFile(data / "fifo.txt", "7\n");
    const auto failed = run("quit\n", {"--assets", noAssets.string()});
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.err.find("the recent-word memory was not saved: start-up did not finish"),
              std::string::npos)
        << failed.err;
    EXPECT_EQ(readFile(data / "fifo.txt"), "7\n");
}

}  // namespace
