// The mail composer with its real back ends: the Qt mail window on the offscreen platform, the SMTP
// transport against a server on 127.0.0.1 and drafts written to disk. The message format itself is
// the writer's and is tested there.
#include <gtest/gtest.h>

#include <algorithm>

#include <QDialog>
#include <QPushButton>
#include <QtTest/QTest>

#include "platform/qt/QtMailWindow.h"
#include "platform/qt/QtWindow.h"
#include "platform/smtp/FileMailDrafts.h"
#include "platform/smtp/SmtpTransport.h"
#include "runtime/core/Module.h"
#include "runtime/core/RtCommon.h"
#include "runtime/core/RtCore.h"
#include "runtime/lib/RtFile.h"
#include "runtime/lib/RtList.h"
#include "services/RtMailComposer.h"
#include "tests/support/LibraryTest.h"
#include "tests/support/SmtpTestServer.h"

namespace zemtra {
namespace {

using platform::qt::QtMailWindow;

class MailModule final : public RtStaticModule {
  public:
    static constexpr StringView kClassName = u"MailModule";
    String className() const override { return String(kClassName); }
    const MethodTable* methods() const override {
        static const MethodTable table{
            MethodTable::sub("_mailc_complete:", &MailModule::_mailc_complete),
        };
        return &table;
    }
    void _mailc_complete(int32_t result) {
        results.push_back(result);
        screenShowingInHandler = screen && screen->isShowing();
    }

    std::vector<int32_t> results;
    bool screenShowingInHandler = false;
    std::shared_ptr<QtMailWindow> screen;
};

// The word log with what a careless encoder loses: trailing white space, a leading dot, UTF-8.
const std::string kLogBytes = "Zemtra word log\n\tindented   \n.dot\n\xC3\xBC\xE2\x9C\x93\nlast";

class MailComposerTest : public testing::LibraryTest {
  protected:
    MailComposerTest() {
        FileLocations locations = FileLocations::defaults();
        locations.documents = fromUtf8(documents.dir());
        RtCommon::New()->service<RtFile>()->setLocations(locations);
        testing::writeFile(documents / "WordLog.txt", kLogBytes);
        module->screen = screen;
        scope.add<platform::MailScreen>(screen);
        scope.add<platform::MailDrafts>(drafts);
        // A server that refuses connections, until a test sets up another.
        useServer("smtp://127.0.0.1:9");
    }
    ~MailComposerTest() override {
        screen->dismiss();
        // The transport's end posts its outcomes to the queue: it goes while the queue is there.
        scope.add<platform::MailTransport>(nullptr);
    }

    void useServer(const std::string& url) {
        platform::smtp::SmtpSettings settings;
        settings.url = url;
        settings.sender = "zemtra@example.org";
        scope.add<platform::MailTransport>(
            std::make_shared<platform::smtp::SmtpTransport>(settings, drafts));
    }

    // A composer as the word generator makes one, shown: HTML body and the word log attached.
    std::shared_ptr<RtMailComposer> showLog(const std::vector<Value>& to = {},
                                            const String& subject = u"") {
        auto composer = std::make_shared<RtMailComposer>();
        composer->Initialize(module->bi, u"mailc");
        composer->SetBody(u"These are the most current brell2 log files.", true);
        composer->AddAttachment(fromUtf8(documents.dir()), u"WordLog.txt", u"text/plain");
        composer->SetToRecipients(RtList::of(to));
        composer->SetSubject(subject);
        composer->Show(Value());
        return composer;
    }

    void runQueue() {
        const testing::Watchdog watchdog(queue, std::chrono::seconds(20));
        queue.run();
    }

    bool logged(std::string_view text) const {
        return std::ranges::any_of(log.lines, [text](const std::string& line) {
            return line.find(text) != std::string::npos;
        });
    }

    testing::TemporaryFolder documents{"zemtra-mail"};
    std::shared_ptr<platform::MailDrafts> drafts =
        std::make_shared<platform::smtp::FileMailDrafts>(documents.file("Drafts"));
    std::shared_ptr<MailModule> module = StaticModules::New<MailModule>();
    std::shared_ptr<QtMailWindow> screen = std::make_shared<QtMailWindow>(nullptr);
};

TEST_F(MailComposerTest, SendingReportsSentWhileTheScreenShowsAndDeliversTheFile) {
    testing::SmtpTestServer server;
    useServer(server.url());
    const auto composer = showLog();
    ASSERT_TRUE(screen->typeRecipient("ann@example.org"));
    ASSERT_TRUE(screen->pressSend());
    EXPECT_TRUE(screen->showsProgress());
    EXPECT_TRUE(module->results.empty());
    runQueue();
    EXPECT_EQ(module->results, std::vector<int32_t>{RtMailComposer::kResultSent});
    EXPECT_TRUE(module->screenShowingInHandler);
    EXPECT_FALSE(screen->isShowing());

    const auto received = server.waitForMessages(1);
    ASSERT_EQ(received.size(), 1u) << server.problems();
    EXPECT_EQ(received[0].recipients, std::vector<std::string>{"ann@example.org"});
    // The file as it was when attached, whatever the encoding.
    EXPECT_NE(testing::describeMessage(received[0].text)
                  ->find("attachment=WordLog.txt text/plain " + testing::hex(kLogBytes)),
              std::string::npos);
}

TEST_F(MailComposerTest, SavedDraftsNeverReplaceEachOtherAndFailuresAreLogged) {
    for (int round = 0; round < 2; ++round) {
        const auto composer = showLog();
        ASSERT_TRUE(screen->pressSave());
        runQueue();
    }
    // Both saves happened at the same moment of the virtual clock.
    EXPECT_EQ(module->results, (std::vector<int32_t>{1, 1}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(documents / "Drafts"), {}), 2);

    // The transport's server refuses connections: the send fails.
    auto composer = showLog({Value(u"ann@example.org")});
    ASSERT_TRUE(screen->pressSend());
    runQueue();
    EXPECT_TRUE(logged("Mail was not sent: ")) << ::testing::PrintToString(log.lines);
    // A file where the drafts folder should be.
    std::filesystem::remove_all(documents / "Drafts");
    testing::writeFile(documents / "Drafts", "");
    composer = showLog();
    ASSERT_TRUE(screen->pressSave());
    runQueue();
    EXPECT_EQ(module->results, (std::vector<int32_t>{1, 1, 3, 3}));
    EXPECT_TRUE(logged("The draft was not saved: ")) << ::testing::PrintToString(log.lines);
}

TEST_F(MailComposerTest, LineBreaksAndMalformedAddressesAreRefusedInTheWindow) {
    const std::pair<std::u16string, std::string> cases[] = {
        {u"Log\r\nBcc: eve@example.org", ""},
        {u"Log", "ann(at)example.org"},
        {u"Log", "ann@eve@example.org"},
    };
    for (const auto& [subject, typed] : cases) {
        SCOPED_TRACE(typed);
        module->results.clear();
        const auto composer = showLog({Value(u"ann@example.org")}, subject);
        if (!typed.empty()) screen->typeRecipient(typed);
        // Neither sent nor saved: the problem is on the screen, which stays.
        ASSERT_TRUE(screen->pressSend());
        ASSERT_TRUE(screen->pressSave());
        runQueue();
        EXPECT_TRUE(module->results.empty());
        EXPECT_FALSE(screen->showsProgress());
        EXPECT_NE(screen->problemText(), "");
        ASSERT_TRUE(screen->pressCancel());
        runQueue();
        EXPECT_EQ(module->results, std::vector<int32_t>{RtMailComposer::kResultCancelled});
    }
    EXPECT_FALSE(std::filesystem::exists(documents / "Drafts"));
}

TEST_F(MailComposerTest, WithoutAMailServerShowReportsFailedLaterAndNothingEnds) {
    // A transport taken out of the scope (as the program's end does) is no mail server.
    scope.add<platform::MailTransport>(nullptr);
    const auto composer = showLog({Value(u"ann@example.org")});
    EXPECT_FALSE(composer->IsInitialized());
    EXPECT_FALSE(screen->isShowing());
    EXPECT_TRUE(module->results.empty()) << "the event is queued, not raised inside Show:";
    runQueue();
    EXPECT_EQ(module->results, std::vector<int32_t>{RtMailComposer::kResultFailed});
    EXPECT_TRUE(logged("no mail server")) << ::testing::PrintToString(log.lines);
}

TEST_F(MailComposerTest, AComposerDroppedWhileShowingClosesTheScreenQuietly) {
    auto composer = showLog({Value(u"ann@example.org")});
    // A second message cannot take over the screen; it is reported as failed.
    auto second = showLog();
    runQueue();
    EXPECT_EQ(module->results, std::vector<int32_t>{RtMailComposer::kResultFailed});
    ASSERT_TRUE(screen->isShowing());
    composer.reset();
    second.reset();
    ASSERT_TRUE(screen->pressSend());
    runQueue();
    EXPECT_FALSE(screen->isShowing());
    EXPECT_EQ(module->results.size(), 1u);
}

TEST_F(MailComposerTest, TheWindowIsModalOverTheMainWindowAndItsButtonsAct) {
    platform::qt::QtWindow window(340, 568, "Zemtra");
    window.show();
    module->screen = std::make_shared<QtMailWindow>(&window);
    scope.add<platform::MailScreen>(module->screen);
    const auto composer = showLog();
    auto* dialog = window.clientArea().window()->findChild<QDialog*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        if (button->text() == "Cancel") QTest::mouseClick(button, Qt::LeftButton);
    }
    runQueue();
    EXPECT_EQ(module->results, std::vector<int32_t>{RtMailComposer::kResultCancelled});
    EXPECT_FALSE(dialog->isVisible());
}

}  // namespace
}  // namespace zemtra
