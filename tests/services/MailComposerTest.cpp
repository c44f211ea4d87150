// The mail composer end to end: a real SMTP server on 127.0.0.1, the Qt mail window on the
// offscreen platform, drafts really written to disk and read back with Python's email package.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QtTest/QTest>
#include <filesystem>
#include <fstream>
#include <random>

#include "platform/qt/QtMailDrafts.h"
#include "platform/qt/QtMailWindow.h"
#include "platform/qt/QtWindow.h"
#include "platform/smtp/SmtpTransport.h"
#include "runtime/core/Module.h"
#include "runtime/core/RtCommon.h"
#include "runtime/core/RtCore.h"
#include "runtime/core/RuntimeScope.h"
#include "runtime/lib/RtFile.h"
#include "runtime/lib/RtList.h"
#include "services/RtMailComposer.h"
#include "tests/platform/smtp/SmtpTestServer.h"
#include "tests/support/LibraryTest.h"

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

// Bytes a careless encoder loses: trailing spaces, tabs, a leading dot and "From ", UTF-8, a line
// far longer than SMTP allows, and the final line feed.
const std::string kLogBytes =
    "Zemtra word log\n03/01/2025 10:00:00 apple   \n\tindented\n.leading dot\n"
    "From the start\n\xC3\xBCn\xC3\xAF\x63\xC3\xB6\x64\xC3\xA9 \xE2\x9C\x93\n" +
    std::string(1200, 'w') + "\nlast line with trailing spaces   \n";
const std::string kHtmlBody =
    "<p>These are the most current brell2 log files.</p>\n<p>a=b &amp; c</p>";

std::string lineStartingWith(const std::string& text, std::string_view start) {
    size_t at = text.starts_with(start) ? 0 : text.find("\n" + std::string(start));
    if (at == std::string::npos) return {};
    if (at != 0) ++at;
    return text.substr(at, text.find('\n', at) - at);
}

class MailComposerTest : public testing::LibraryTest {
  protected:
    MailComposerTest() {
        std::random_device random;
        documents_ = std::filesystem::temp_directory_path() /
                     ("zemtra-mail-" + std::to_string(::getpid()) + "-" + std::to_string(random()));
        std::filesystem::create_directories(documents_);
        FileLocations locations = FileLocations::defaults();
        locations.documents = fromUtf8(documents_.string() + "/");
        RtCommon::New()->service<RtFile>()->setLocations(locations);
        std::ofstream(documents_ / "WordLog.txt", std::ios::binary) << kLogBytes;
        module->screen = screen;
        scope.add<platform::MailScreen>(screen);
        scope.add<platform::MailDrafts>(std::make_shared<platform::qt::QtMailDrafts>());
    }
    ~MailComposerTest() override {
        screen->dismiss();
        // The transport's end waits for its sends, which post to the queue: it goes while the
        // queue is still there (the base's scope outlives the queue).
        scope.add<platform::MailTransport>(nullptr);
        std::error_code ignored;
        std::filesystem::remove_all(documents_, ignored);
    }

    void useServer(const std::string& url) {
        platform::smtp::SmtpSettings settings;
        settings.url = url;
        settings.sender = "zemtra@example.org";
        scope.add<platform::MailTransport>(
            std::make_shared<platform::smtp::SmtpTransport>(settings));
    }

    // A composer as the word generator makes one: HTML body and the word log attached.
    std::shared_ptr<RtMailComposer> logComposer() {
        auto composer = std::make_shared<RtMailComposer>();
        composer->Initialize(module->bi, u"mailc");
        composer->SetBody(fromUtf8(kHtmlBody), true);
        composer->AddAttachment(RtCommon::New()->service<RtFile>()->DirDocuments(), u"WordLog.txt",
                                u"text/plain");
        return composer;
    }

    void runQueue() {
        const testing::Watchdog watchdog(queue, std::chrono::seconds(20));
        queue.run();
    }

    bool logged(std::string_view text) const {
        for (const std::string& line : log.lines) {
            if (line.find(text) != std::string::npos) return true;
        }
        return false;
    }

    std::filesystem::path documents_;
    std::shared_ptr<MailModule> module = StaticModules::New<MailModule>();
    std::shared_ptr<QtMailWindow> screen = std::make_shared<QtMailWindow>(nullptr);
};

TEST_F(MailComposerTest, SendingDeliversTheHtmlBodyAndTheFileByteForByte) {
    testing::SmtpTestServer server;
    ASSERT_TRUE(server.ready());
    useServer(server.url());
    auto composer = logComposer();
    std::ofstream(documents_ / "back\\slash.txt", std::ios::binary) << "x";
    composer->AddAttachment(RtCommon::New()->service<RtFile>()->DirDocuments(),
                            u"back\\slash.txt", u"text/plain");
    EXPECT_TRUE(composer->CanSendMail());
    composer->SetSubject(u"Wortliste f\u00FCr heute \u2713");
    composer->SetCcRecipients(RtList::of({Value(u"cc@example.org")}));
    composer->SetBccRecipients(RtList::of({Value(u"hidden@example.org")}));
    composer->Show(Value());
    ASSERT_TRUE(screen->isShowing());
    EXPECT_EQ(screen->problemText(), "");
    ASSERT_TRUE(screen->typeRecipient("ann@example.org"));
    ASSERT_TRUE(screen->pressSend());
    EXPECT_TRUE(screen->showsProgress());
    EXPECT_TRUE(module->results.empty());

    runQueue();
    EXPECT_EQ(module->results, std::vector<int32_t>{RtMailComposer::kResultSent});
    EXPECT_TRUE(module->screenShowingInHandler);
    EXPECT_FALSE(screen->isShowing());

    ASSERT_TRUE(server.waitForMessages(1));
    const auto described = testing::describeMessage(server.messages().front());
    ASSERT_TRUE(described);
    EXPECT_NE(described->find("subject=Wortliste f\xC3\xBCr heute \xE2\x9C\x93\n"),
              std::string::npos)
        << *described;
    EXPECT_NE(described->find("to=ann@example.org\n"), std::string::npos) << *described;
    const std::string headers = lineStartingWith(*described, "headers=");
    EXPECT_NE(headers.find("date"), std::string::npos) << headers;
    EXPECT_EQ(headers.find("bcc"), std::string::npos) << "a Bcc header went out: " << headers;
    EXPECT_NE(lineStartingWith(*described, "rcpt=").find("hidden@example.org"), std::string::npos)
        << "the blind copy is not in the envelope";
    EXPECT_NE(described->find("body=text/html " + testing::hex(kHtmlBody) + "\n"),
              std::string::npos)
        << *described;
    EXPECT_NE(
        described->find("attachment=WordLog.txt text/plain " + testing::hex(kLogBytes) + "\n"),
        std::string::npos)
        << *described;
    EXPECT_NE(described->find("attachment=back\\slash.txt text/plain 78\n"), std::string::npos)
        << *described;
}

TEST_F(MailComposerTest, AStoppedServerGivesFailedWithTheReasonInTheLog) {
    testing::SmtpTestServer server;
    ASSERT_TRUE(server.ready());
    useServer(server.url());
    server.stop();
    auto composer = logComposer();
    composer->SetToRecipients(RtList::of({Value(u"ann@example.org")}));
    composer->Show(Value());
    ASSERT_TRUE(screen->pressSend());
    runQueue();
    EXPECT_EQ(module->results, std::vector<int32_t>{RtMailComposer::kResultFailed});
    EXPECT_FALSE(screen->isShowing());
    EXPECT_TRUE(logged("Mail was not sent: ")) << ::testing::PrintToString(log.lines);
    EXPECT_TRUE(logged("connect")) << ::testing::PrintToString(log.lines);
}

TEST_F(MailComposerTest, LineBreaksAndMalformedAddressesAreRefusedInTheWindow) {
    testing::SmtpTestServer server;
    ASSERT_TRUE(server.ready());
    useServer(server.url());
    struct Case {
        const char* name;
        std::u16string subject;
        std::vector<Value> to;
        std::string typed;
    };
    const Case cases[] = {
        {"subject with CR LF", u"Log\r\nBcc: eve@example.org", {Value(u"ann@example.org")}, ""},
        {"subject with LF", u"Log\nX: y", {Value(u"ann@example.org")}, ""},
        {"address with LF", u"Log", {Value(u"ann@example.org\nBcc: eve@example.org")}, ""},
        {"typed malformed address", u"Log", {}, "ann(at)example.org"},
        {"typed address with two @", u"Log", {}, "ann@eve@example.org"},
        {"no recipient", u"Log", {}, ""},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        module->results.clear();
        auto composer = logComposer();
        composer->SetSubject(test.subject);
        composer->SetToRecipients(RtList::of(test.to));
        composer->Show(Value());
        if (!test.typed.empty()) screen->typeRecipient(test.typed);
        ASSERT_TRUE(screen->pressSend());
        EXPECT_TRUE(screen->isShowing());
        EXPECT_FALSE(screen->showsProgress());
        EXPECT_NE(screen->problemText(), "");
        // Neither can the draft be written with it (recipients aside).
        ASSERT_TRUE(screen->pressSave());
        runQueue();
        if (std::string(test.name) == "no recipient") {
            EXPECT_EQ(module->results, std::vector<int32_t>{RtMailComposer::kResultSaved});
            continue;
        }
        EXPECT_TRUE(module->results.empty());
        ASSERT_TRUE(screen->pressCancel());
        runQueue();
        EXPECT_EQ(module->results, std::vector<int32_t>{RtMailComposer::kResultCancelled});
        EXPECT_FALSE(screen->isShowing());
    }
    EXPECT_TRUE(server.messages().empty());
}

TEST_F(MailComposerTest, SavingWritesDraftsThatParseAsMimeWithTheAttachment) {
    useServer("smtp://127.0.0.1:9");
    // A quoted file name keeps its backslash (unescaped, a reader drops it).
    std::ofstream(documents_ / "back\\slash.txt", std::ios::binary) << "x";
    for (int round = 0; round < 2; ++round) {
        auto composer = logComposer();
        composer->AddAttachment(RtCommon::New()->service<RtFile>()->DirDocuments(),
                                u"back\\slash.txt", u"text/plain");
        composer->SetSubject(u"Entwurf \u2713");
        composer->Show(Value());
        screen->typeRecipient("ann@example.org");
        ASSERT_TRUE(screen->pressSave());
        runQueue();
    }
    EXPECT_EQ(module->results,
              (std::vector<int32_t>{RtMailComposer::kResultSaved, RtMailComposer::kResultSaved}));
    // Both saves happened at the same moment of the virtual clock: neither replaced the other.
    std::vector<std::filesystem::path> drafts;
    for (const auto& entry : std::filesystem::directory_iterator(documents_ / "Drafts")) {
        drafts.push_back(entry.path());
    }
    ASSERT_EQ(drafts.size(), 2u);
    for (const auto& draft : drafts) {
        EXPECT_EQ(draft.extension(), ".eml");
        const auto described = testing::describeMessage(draft);
        ASSERT_TRUE(described);
        EXPECT_NE(described->find("multipart=True\n"), std::string::npos) << *described;
        EXPECT_NE(described->find("subject=Entwurf \xE2\x9C\x93\n"), std::string::npos)
            << *described;
        EXPECT_NE(described->find("to=ann@example.org\n"), std::string::npos) << *described;
        EXPECT_NE(lineStartingWith(*described, "headers=").find("x-unsent"), std::string::npos);
        EXPECT_NE(described->find("body=text/html " + testing::hex(kHtmlBody) + "\n"),
                  std::string::npos);
        EXPECT_NE(
            described->find("attachment=WordLog.txt text/plain " + testing::hex(kLogBytes) + "\n"),
            std::string::npos)
            << *described;
        EXPECT_NE(described->find("attachment=back\\slash.txt text/plain 78\n"), std::string::npos)
            << *described;
    }
}

TEST_F(MailComposerTest, WithoutAMailServerShowReportsFailedLaterAndNothingEnds) {
    auto composer = std::make_shared<RtMailComposer>();
    EXPECT_FALSE(composer->CanSendMail());
    composer->Initialize(module->bi, u"mailc");
    EXPECT_FALSE(composer->IsInitialized());
    composer->SetBody(u"body", true);
    composer->SetToRecipients(RtList::of({Value(u"ann@example.org")}));
    composer->AddAttachment(u"/nonexistent/", u"missing.txt", u"text/plain");
    composer->Show(Value());
    EXPECT_FALSE(screen->isShowing());
    EXPECT_TRUE(module->results.empty()) << "the event is queued, not raised inside Show:";
    runQueue();
    EXPECT_EQ(module->results, std::vector<int32_t>{RtMailComposer::kResultFailed});
    EXPECT_TRUE(logged("no mail server")) << ::testing::PrintToString(log.lines);

    // A transport taken out of the scope (as the program's end does) is no mail server either.
    useServer("smtp://127.0.0.1:9");
    scope.add<platform::MailTransport>(nullptr);
    EXPECT_FALSE(composer->CanSendMail());
    composer->Initialize(module->bi, u"mailc");
    EXPECT_FALSE(composer->IsInitialized());
}

TEST_F(MailComposerTest, AComposerDroppedWhileShowingClosesTheScreenQuietly) {
    useServer("smtp://127.0.0.1:9");
    auto composer = logComposer();
    composer->SetToRecipients(RtList::of({Value(u"ann@example.org")}));
    composer->Show(Value());
    ASSERT_TRUE(screen->isShowing());
    // A second message cannot take over the screen; it is reported as failed.
    auto second = logComposer();
    second->Show(Value());
    runQueue();
    EXPECT_EQ(module->results, std::vector<int32_t>{RtMailComposer::kResultFailed});
    EXPECT_TRUE(screen->isShowing());

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
    auto overWindow = std::make_shared<QtMailWindow>(&window);
    module->screen = overWindow;
    scope.add<platform::MailScreen>(overWindow);
    useServer("smtp://127.0.0.1:9");
    auto composer = logComposer();
    composer->Show(Value());
    QDialog* dialog = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* candidate = qobject_cast<QDialog*>(widget); candidate && candidate->isVisible()) {
            dialog = candidate;
        }
    }
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    EXPECT_EQ(dialog->parentWidget(), window.clientArea().window());
    QPushButton* cancel = nullptr;
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        if (button->text() == "Cancel") cancel = button;
    }
    ASSERT_NE(cancel, nullptr);
    QTest::mouseClick(cancel, Qt::LeftButton);
    runQueue();
    EXPECT_EQ(module->results, std::vector<int32_t>{RtMailComposer::kResultCancelled});
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(MailComposerTest, ResultCodesAndOperationsAreReachableByName) {
    auto composer = std::make_shared<RtMailComposer>();
    const Value target(composer);
    EXPECT_EQ(RtCore::runDynamicMethod(target, u"RESULT_CANCELLED", true).description(), u"0");
    EXPECT_EQ(RtCore::runDynamicMethod(target, u"RESULT_SAVED", true).description(), u"1");
    EXPECT_EQ(RtCore::runDynamicMethod(target, u"RESULT_SENT", true).description(), u"2");
    EXPECT_EQ(RtCore::runDynamicMethod(target, u"RESULT_FAILED", true).description(), u"3");
    useServer("smtp://127.0.0.1:9");
    const Value initialize[] = {Value(module->bi), Value(u"mailc")};
    RtCore::runDynamicMethod(target, u"Initialize::", true, initialize);
    EXPECT_TRUE(composer->IsInitialized());
    const Value subject[] = {Value(u"By name")};
    RtCore::runDynamicMethod(target, u"SetSubject:", true, subject);
    EXPECT_EQ(composer->controllerOrNull()->message.subject, "By name");
}

}  // namespace
}  // namespace zemtra
