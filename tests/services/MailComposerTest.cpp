// The mail composer with its real back ends: the Qt mail window on the offscreen platform, the SMTP
// transport against a server on 127.0.0.1, drafts written to disk and the xdg-email handoff with a
// stand-in program. The message format itself is the writer's and is tested there.
#include <gtest/gtest.h>

#include <algorithm>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest/QTest>

#include "platform/desktop/XdgEmailHandoff.h"
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

    testing::TemporaryFolder documents{"zemtra-mail"};
    std::shared_ptr<platform::MailDrafts> drafts =
        std::make_shared<platform::smtp::FileMailDrafts>(documents.file("Drafts"));
    std::shared_ptr<MailModule> module = StaticModules::New<MailModule>();
    std::shared_ptr<QtMailWindow> screen = std::make_shared<QtMailWindow>(nullptr);
};

TEST_F(MailComposerTest, SendingReportsSentWhileTheScreenShowsAndDelivers) {
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
    EXPECT_EQ(server.waitForMessages(1).size(), 1u) << server.problems();
}

// A failed send or save keeps the window up with its reason and what was typed; "complete" comes
// only when the person leaves it.
TEST_F(MailComposerTest, FailuresStayOnTheScreenUntilThePersonLeavesIt) {
    // The transport's server refuses connections.
    auto composer = showLog({Value(u"ann@example.org")}, u"Today");
    ASSERT_TRUE(screen->pressSend());
    runQueue();
    EXPECT_TRUE(module->results.empty());
    ASSERT_TRUE(screen->isShowing());
    EXPECT_FALSE(screen->showsProgress());
    EXPECT_TRUE(
        screen->problemText().starts_with("Mail was not sent: No connection to the mail "
                                          "server 127.0.0.1:9"))
        << screen->problemText();
    // Saved from the failed send's screen: the draft has what was shown.
    ASSERT_TRUE(screen->pressSave());
    runQueue();
    EXPECT_EQ(module->results, std::vector<int32_t>{RtMailComposer::kResultSaved});
    const auto draft = std::filesystem::directory_iterator(documents / "Drafts")->path();
    EXPECT_NE(testing::readFile(draft).find("Subject: Today"), std::string::npos);
    // A second draft at the same moment of the virtual clock does not replace the first.
    composer = showLog();
    ASSERT_TRUE(screen->pressSave());
    runQueue();
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(documents / "Drafts"), {}), 2);

    // A file where the drafts folder should be: the save fails, the window stays.
    std::filesystem::remove_all(documents / "Drafts");
    testing::writeFile(documents / "Drafts", "");
    module->results.clear();
    composer = showLog();
    ASSERT_TRUE(screen->pressSave());
    runQueue();
    EXPECT_TRUE(module->results.empty());
    EXPECT_TRUE(screen->problemText().starts_with("The draft was not saved: "))
        << screen->problemText();
    ASSERT_TRUE(screen->pressCancel());
    runQueue();
    EXPECT_EQ(module->results, std::vector<int32_t>{RtMailComposer::kResultCancelled});
}

// The person reads which recipient was refused, corrects the field and sends again.
TEST_F(MailComposerTest, ARefusedRecipientIsNamedAndARetryWithoutItSends) {
    testing::SmtpTestServer picky(
        {testing::SmtpServerOptions::Security::plain, "", {"bob@example.org"}});
    useServer(picky.url());
    const auto composer = showLog({Value(u"ann@example.org")});
    ASSERT_TRUE(screen->typeRecipient("bob@example.org"));
    ASSERT_TRUE(screen->pressSend());
    runQueue();
    EXPECT_NE(screen->problemText().find("refused the recipient bob@example.org"),
              std::string::npos)
        << screen->problemText();
    QLineEdit* to = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(window); dialog && dialog->isVisible())
            to = dialog->findChildren<QLineEdit*>().value(0);
    }
    ASSERT_NE(to, nullptr);
    EXPECT_EQ(to->text().toStdString(), "ann@example.org, bob@example.org") << "kept as typed";
    to->setText("ann@example.org");
    ASSERT_TRUE(screen->pressSend());
    runQueue();
    EXPECT_EQ(module->results, std::vector<int32_t>{RtMailComposer::kResultSent});
    const auto received = picky.waitForMessages(1);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].recipients, std::vector<std::string>{"ann@example.org"});
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

// What the window says without a server is the end-to-end runs'.
TEST_F(MailComposerTest, WithoutAMailServerOrAScreenShowReportsAFailureLater) {
    // A transport taken out of the scope (as the program's end does) is no mail server.
    scope.add<platform::MailTransport>(nullptr);
    EXPECT_FALSE(RtMailComposer().CanSendMail());
    scope.add<platform::MailScreen>(nullptr);
    const auto unshown = showLog();
    EXPECT_FALSE(unshown->IsInitialized());
    EXPECT_TRUE(module->results.empty()) << "the event is queued, not raised inside Show:";
    runQueue();
    EXPECT_EQ(module->results, std::vector<int32_t>{RtMailComposer::kResultFailed});
}

// Without a server, a desktop's mail program takes the message through xdg-email (a stand-in
// here): "saved" and handed over when it took it, "failed" with the reason logged when not, and a
// program that holds xdg-email up counts as taken once it has run for the settle time.
TEST_F(MailComposerTest, ADesktopHandsTheMessageToItsMailProgram) {
    scope.add<platform::MailTransport>(nullptr);
    struct Case {
        int status;
        int seconds;
        int32_t result;
        const char* logged;
    };
    for (const Case& test :
         {Case{0, 0, RtMailComposer::kResultSaved, "Mail handed to your mail"},
          Case{3, 0, RtMailComposer::kResultFailed,
               "Mail was not handed to your mail program: no mail program is set up"},
          Case{0, 5, RtMailComposer::kResultSaved, "Mail handed to your mail"}}) {
        SCOPED_TRACE(test.status);
        const testing::TemporaryFolder desktop("zemtra-desktop");
        platform::desktop::XdgEmailSettings settings{
            testing::writeStandInXdgEmail(desktop, test.status, test.seconds), desktop.dir(),
            std::chrono::milliseconds(300)};
        scope.add<platform::MailHandoff>(
            std::make_shared<platform::desktop::XdgEmailHandoff>(settings));
        EXPECT_TRUE(RtMailComposer().CanSendMail());
        module->results.clear();
        const auto composer = showLog({Value(u"ann@example.org")}, u"Word log");
        EXPECT_FALSE(screen->isShowing()) << "the mail program is the screen";
        runQueue();
        EXPECT_EQ(module->results, std::vector<int32_t>{test.result});
        EXPECT_EQ(composer->WasHandedOver(), test.result == RtMailComposer::kResultSaved);
        const std::string lines = ::testing::PrintToString(log.lines);
        EXPECT_NE(lines.find(test.logged), std::string::npos) << lines;
        const std::string arguments = testing::readFile(desktop / "arguments");
        EXPECT_TRUE(arguments.starts_with(
            "--utf8\n--subject\nWord log\n--body\nThese are the most current brell2 log "
            "files.\n--attach\n" +
            desktop.dir() + "zemtra-mail-"))
            << arguments;
        EXPECT_TRUE(arguments.ends_with("/WordLog.txt\nann@example.org\n")) << arguments;
        // The handoff ends promptly although the stand-in still runs.
        scope.add<platform::MailHandoff>(nullptr);
    }
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
