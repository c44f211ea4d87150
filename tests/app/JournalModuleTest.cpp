// The session journal inside the module: a journal that cannot be written shows in the notice line
// as the word log's failures do, and the generator goes on. The option that turns it off is the
// command line's tests' and the journal end-to-end test's.
#include <gtest/gtest.h>

#include "runtime/core/Conversions.h"
#include "tests/app/AppTestSupport.h"

namespace zemtra {
namespace {

using testing::AppTest;

class JournalModuleTest : public AppTest {
  protected:
    JournalModuleTest() {
        module().setJournalSetup({.on = true,
                                  .version = "1",
                                  .sensorSource = "replay",
                                  .speechOutput = "none",
                                  .voice = ""});
    }
    size_t ticksLogged() const {
        size_t ticks = 0;
        for (const std::string& line : log.lines) ticks += line.starts_with("current value");
        return ticks;
    }
};

TEST_F(JournalModuleTest, AJournalThatCannotBeWrittenIsShownAndTheGeneratorGoesOn) {
    writeDocument("Sessions", "a file where the folder should be");
    start();
    module()._label1_click();
    runFor(10000);
    const std::string shown = toUtf8(module().notice(app::zm_main::NoticeKind::journal));
    EXPECT_TRUE(shown.starts_with("Journal not written: ")) << shown;
    EXPECT_EQ(ticksLogged(), 10u);
    module()._label1_click();

    // Once the folder can be made, the next session is written and the notice goes.
    std::filesystem::remove(documents / "Sessions");
    module()._label1_click();
    runFor(3000);
    EXPECT_EQ(module().notice(app::zm_main::NoticeKind::journal), String());
    ASSERT_FALSE(module().journalFolder().empty());
    module().orderlyEnd("signal");
    const auto journal =
        session::readJournal(std::filesystem::directory_iterator(documents / "Sessions")->path());
    ASSERT_TRUE(journal) << journal.error();
    EXPECT_EQ(journal->rows.size(), 3u);
    EXPECT_EQ(journal->info.ending, "signal");
}

}  // namespace
}  // namespace zemtra
