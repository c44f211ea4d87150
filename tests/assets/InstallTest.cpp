// `cmake --install` into a temporary prefix puts the program, its assets, the desktop entry and the
// icons in their usual places, and the installed program, started through PATH from another
// folder and without --assets, finds its assets; without them it fails, so the run proves it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "tests/assets/AssetsTestSupport.h"

namespace zemtra::testing {
namespace {

namespace fs = std::filesystem;

class InstallTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        prefix_ = std::make_unique<TemporaryFolder>();
        const CommandResult install = runCommand(shellQuoted(ZEMTRA_CMAKE_COMMAND) + " --install " +
                                                 shellQuoted(ZEMTRA_BUILD_DIR) + " --prefix " +
                                                 shellQuoted(prefix().string()));
        installed_ = install.status == 0;
        installLog_ = install.output;
    }
    static void TearDownTestSuite() { prefix_.reset(); }
    void SetUp() override { ASSERT_TRUE(installed_) << installLog_; }

    static const fs::path& prefix() { return prefix_->path(); }

    // The installed program started by its bare name, as a desktop or a shell starts it, from a
    // folder of its own; a short headless run that a script ends.
    static CommandResult runInstalled(const TemporaryFolder& work) {
        std::ofstream(work.path() / "quit.txt") << "quit\n";
        return runCommand("cd " + shellQuoted(work.path().string()) +
                          " && PATH=" + shellQuoted((prefix() / "bin").string()) +
                          ":\"$PATH\" zemtra --headless --clock virtual --speech none --sensors "
                          "sim:1 --data data --script quit.txt");
    }

  private:
    static inline std::unique_ptr<TemporaryFolder> prefix_;
    static inline bool installed_ = false;
    static inline std::string installLog_;
};

TEST_F(InstallTest, PutsEveryFileInItsUsualPlace) {
    const fs::path program = prefix() / "bin/zemtra";
    ASSERT_TRUE(fs::is_regular_file(program));
    EXPECT_NE(fs::status(program).permissions() & fs::perms::owner_exec, fs::perms::none);

    const fs::path assets = prefix() / "share/zemtra/assets";
    for (const char* name :
         {"main.lyt", "wordlist.txt", "led_green.png", "led_green_off.png", "led_red.png",
          "led_red_off.png", "meter_high.png", "meter_low.png", "meter_mid.png", "meter_off.png"}) {
        EXPECT_TRUE(fs::is_regular_file(assets / name)) << name;
    }
    EXPECT_EQ(readFile(assets / "wordlist.txt"),
              readFile(fs::path(ZEMTRA_SOURCE_DIR) / "assets/wordlist.txt"));

    const std::string entry = readFile(prefix() / "share/applications/zemtra.desktop");
    EXPECT_EQ(entry.rfind("[Desktop Entry]\n", 0), 0u);
    // The entry starts the program by the name bin/ holds and shows the icon installed below.
    EXPECT_NE(entry.find("\nExec=zemtra\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nIcon=zemtra\n"), std::string::npos) << entry;
    // Debian's desktop-file-utils, where installed, checks the entry against the standard.
    if (fs::exists("/usr/bin/desktop-file-validate")) {
        const CommandResult check =
            runCommand("desktop-file-validate " +
                       shellQuoted((prefix() / "share/applications/zemtra.desktop").string()));
        EXPECT_EQ(check.status, 0) << check.output;
    }
    for (const char* size : {"48x48", "128x128", "256x256"}) {
        EXPECT_TRUE(
            fs::is_regular_file(prefix() / "share/icons/hicolor" / size / "apps/zemtra.png"))
            << size;
    }
}

TEST_F(InstallTest, TheInstalledProgramFindsItsAssetsWithoutBeingTold) {
    const TemporaryFolder work;
    const CommandResult run = runInstalled(work);
    EXPECT_EQ(run.status, 0) << run.output;

    // The same run without the installed assets ends with an error: the run above did use them.
    const fs::path assets = prefix() / "share/zemtra/assets";
    const fs::path aside = prefix() / "share/zemtra/aside";
    fs::rename(assets, aside);
    const CommandResult without = runInstalled(work);
    fs::rename(aside, assets);
    EXPECT_EQ(without.status, 1) << without.output;
}

}  // namespace
}  // namespace zemtra::testing
