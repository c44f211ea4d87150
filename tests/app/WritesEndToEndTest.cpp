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
#include <memory>
#include <regex>

#include "tests/app/ProgramRun.h"
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
        std::vector<std::string> args = {"--headless",
                                         "--clock",
                                         "virtual",
                                         "--sensors",
                                         "sim",
                                         "--speech",
                                         "none",
                                         "--data",
                                         data.string(),
                                         "--script",
                                         folder.file("script.txt")};
        args.insert(args.end(), extra.begin(), extra.end());
        return zemtra::testing::runProgram(zemtra::testing::programRun(folder.path(), args));
    }

    const zemtra::testing::TemporaryFolder folder{"zemtra-writes"};
    const fs::path data = folder / "data";
};

// Takes the test's tmpfs away before its folder goes.
struct Unmount {
    void operator()(const char* path) const { ::umount2(path, MNT_DETACH); }
};

TEST_F(WritesEndToEndTest, AFullDiskLosesNoRecordAndTheScreenSaysWhy) {
    fs::create_directories(data);
    const bool mounted = ::mount("tmpfs", data.c_str(), "tmpfs", 0, "size=64k") == 0;
    const int whyNot = errno;
    const std::unique_ptr<const char, Unmount> unmount(mounted ? data.c_str() : nullptr);
    std::string why;
    // A log that almost fills its last block: one more record fits, the next one does not.
    std::string before = kTitle;
    const std::string record = "0427 ,11/14/2023 , 22:13:20 , w427\n";
    while (before.size() + record.size() <= 4096 - 30) before += record;
    writeFile(data / "WordLog.txt", before);
    if (mounted) {
        std::ofstream filler(data / "filler", std::ios::binary);
        while (filler << std::string(4096, 'f') && filler.flush()) {
        }
        why = "the disk is full. Free some space on it.";
    } else if (::geteuid() != 0) {
        fs::permissions(data / "WordLog.txt", fs::perms::owner_read);
        fs::permissions(data, fs::perms::owner_read | fs::perms::owner_exec);
        why = "the folder is read-only. Make it writable.";
    } else {
        GTEST_SKIP() << "cannot mount a small tmpfs (" << std::strerror(whyNot)
                     << "), and a read-only folder does not stop root";
    }

    const auto outcome =
        run("tap btnset\nslide slider3 50\ntap btnbk\ntap label1\nwait 3600000\nscreenshot " +
            folder.file("full.png") + "\n");
    fs::permissions(data, fs::perms::owner_all);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    const std::string notice = "Word log not written: " + why;
    const size_t logged = outcome.out.find(notice + "\n");
    ASSERT_NE(logged, std::string::npos);
    EXPECT_EQ(outcome.out.find(notice, logged + 1), std::string::npos) << "logged once";
    EXPECT_NE(outcome.out.find("Spoke =", logged), std::string::npos) << "words went on";
    EXPECT_NE(outcome.out.find("Settings not saved: " + why + "\n"), std::string::npos);
    EXPECT_NE(outcome.err.find("Recent-word memory not saved: " + why), std::string::npos)
        << "the end says why";

    const std::string log = readFile(data / "WordLog.txt");
    ASSERT_EQ(log.substr(0, before.size()), before) << "earlier records untouched";
    const std::regex records(R"((\d{4} ,\d\d/\d\d/\d{4} , \d\d:\d\d:\d\d , [a-z0-9]+\n)*)");
    EXPECT_TRUE(std::regex_match(log.substr(kTitle.size()), records)) << "every record whole";
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
