// `cmake --install` into a temporary prefix puts the program, its assets, the desktop entry and the
// icons in their usual places, and the installed program, started through PATH from another
// folder and without --assets, finds its assets; without them it fails, so the run proves it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "tests/support/ChildProcess.h"

namespace zemtra::testing {
namespace {

namespace fs = std::filesystem;

class InstallTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        prefix_ = std::make_unique<TemporaryFolder>();
        install_ = runProgram(
            {{ZEMTRA_CMAKE_COMMAND, "--install", ZEMTRA_BUILD_DIR, "--prefix", prefix().string()},
             {},
             {}});
    }
    static void TearDownTestSuite() { prefix_.reset(); }
    void SetUp() override { ASSERT_EQ(install_.status, 0) << install_.out << install_.err; }

    static const fs::path& prefix() { return prefix_->path(); }

    // The installed program started by its bare name, as a desktop or a shell starts it, from a
    // folder of its own; a short headless run that a script ends.
    static ProgramOutcome runInstalled(const TemporaryFolder& work) {
        writeFile(work / "quit.txt", "quit\n");
        return runProgram({{"/bin/sh", "-c",
                            "cd \"$WORK\" && zemtra --headless --clock virtual --speech none "
                            "--sensors sim:1 --data data --script quit.txt"},
                           {{"WORK", work.path()},
                            {"PATH", (prefix() / "bin").string() + ":" + std::getenv("PATH")}},
                           {}});
    }

  private:
    static inline std::unique_ptr<TemporaryFolder> prefix_;
    static inline ProgramOutcome install_;
};

// (The program in bin/ is the one the next test starts.)
TEST_F(InstallTest, PutsEveryFileInItsUsualPlace) {
    int assets = 0;
    for (const auto& entry : fs::directory_iterator(ZEMTRA_BUILD_ASSETS_DIR)) {
        ++assets;
        EXPECT_EQ(readFile(prefix() / "share/zemtra/assets" / entry.path().filename()),
                  readFile(entry.path()))
            << entry.path().filename() << " is not installed as the build made it";
    }
    EXPECT_GT(assets, 0);

    const fs::path desktopEntry = prefix() / "share/applications/zemtra.desktop";
    const std::string entry = readFile(desktopEntry);
    EXPECT_EQ(entry.rfind("[Desktop Entry]\n", 0), 0u);
    // The entry starts the program by the name bin/ holds and shows the icon installed below.
    EXPECT_NE(entry.find("\nExec=zemtra\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nIcon=zemtra\n"), std::string::npos) << entry;
    // Debian's desktop-file-utils, where installed, checks the entry against the standard.
    if (fs::exists("/usr/bin/desktop-file-validate")) {
        const ProgramOutcome check =
            runProgram({{"/usr/bin/desktop-file-validate", desktopEntry.string()}, {}, {}});
        EXPECT_EQ(check.status, 0) << check.out << check.err;
    }
    EXPECT_TRUE(fs::is_regular_file(prefix() / "share/icons/hicolor/256x256/apps/zemtra.png"));
}

TEST_F(InstallTest, TheInstalledProgramFindsItsAssetsWithoutBeingTold) {
    const TemporaryFolder work;
    const ProgramOutcome run = runInstalled(work);
    EXPECT_EQ(run.status, 0) << run.out << run.err;

    // The same run without the installed assets ends with an error: the run above did use them.
    const fs::path assets = prefix() / "share/zemtra/assets";
    const fs::path aside = prefix() / "share/zemtra/aside";
    fs::rename(assets, aside);
    const ProgramOutcome without = runInstalled(work);
    fs::rename(aside, assets);
    EXPECT_EQ(without.status, 1) << without.out << without.err;
}

}  // namespace
}  // namespace zemtra::testing
