// The SMTP transport against a real server: what is sent is the draft's format byte for byte, blind
// copies travel in the envelope only, failures say why, and the end is prompt and loses nothing.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <regex>

#include "platform/Diagnostics.h"
#include "platform/smtp/FileMailDrafts.h"
#include "platform/smtp/SmtpTransport.h"
#include "tests/support/SmtpTestServer.h"

namespace zemtra::platform::smtp {
namespace {

using namespace std::chrono_literals;

constexpr int64_t kDate = 1782959370000;

SmtpSettings settingsFor(const std::string& url) {
    SmtpSettings settings;
    settings.url = url;
    settings.sender = "zemtra@example.org";
    return settings;
}

MailMessage logMessage() {
    MailMessage message;
    message.to = {"ann@example.org"};
    message.cc = {"cc@example.org"};
    message.bcc = {"hidden@example.org"};
    message.subject = "Wortliste f\xC3\xBCr heute";
    message.body = "These are the most current brell2 log files.";
    message.bodyIsHtml = true;
    message.attachments = {{"WordLog.txt", "text/plain", {'l', 'o', 'g', '\n'}}};
    return message;
}

// Sends each message and answers the outcomes once the transport has ended.
std::vector<Result<void>> sendAll(const SmtpSettings& settings, std::vector<MailMessage> messages,
                                  std::shared_ptr<MailDrafts> drafts = nullptr) {
    std::vector<std::promise<Result<void>>> promises(messages.size());
    {
        SmtpTransport transport(settings, std::move(drafts));
        for (size_t i = 0; i < messages.size(); ++i) {
            transport.send(messages[i], kDate, [&promises, i](Result<void> outcome) {
                promises[i].set_value(outcome);
            });
        }
    }
    std::vector<Result<void>> outcomes;
    for (auto& promise : promises) outcomes.push_back(promise.get_future().get());
    return outcomes;
}

// The per-message parts (the random token of the Message-ID and the boundary) made equal.
std::string withoutToken(const std::string& text) {
    return std::regex_replace(text, std::regex("[0-9a-f]{16}"), "TOKEN");
}

TEST(SmtpTransportTest, ASentMessageIsTheSavedDraftWithoutItsBlindCopies) {
    testing::SmtpTestServer server;
    const testing::TemporaryFolder folder("zemtra-drafts");
    FileMailDrafts drafts(folder.dir());
    const auto draft = drafts.save(logMessage(), "zemtra@example.org", kDate);
    ASSERT_TRUE(draft) << draft.error();

    SmtpSettings settings = settingsFor(server.url());
    // The end of the transport waits for a send that is under way (the server may still start).
    settings.shutdownGrace = 20s;
    const auto outcomes = sendAll(settings, {logMessage()});
    ASSERT_TRUE(outcomes[0]) << outcomes[0].error() << server.problems();

    const auto received = server.waitForMessages(1);
    ASSERT_EQ(received.size(), 1u) << server.problems();
    EXPECT_EQ(received[0].sender, "zemtra@example.org");
    EXPECT_EQ(received[0].recipients, (std::vector<std::string>{"ann@example.org", "cc@example.org",
                                                                "hidden@example.org"}));
    std::string saved = testing::readFile(*draft);
    for (const std::string line : {"Bcc: hidden@example.org\r\n", "X-Unsent: 1\r\n"}) {
        ASSERT_NE(saved.find(line), std::string::npos) << saved;
        saved.erase(saved.find(line), line.size());
    }
    EXPECT_EQ(withoutToken(received[0].text), withoutToken(saved));
}

TEST(SmtpTransportTest, FailuresSayWhyAndWhatWouldInjectHeadersNeverGoesOut) {
    testing::SmtpTestServer server;
    std::vector<MailMessage> bad(3, logMessage());
    bad[0].subject = "Log\r\nBcc: eve@example.org";
    bad[1].to = {"ann@example.org\r\nBcc: eve@example.org"};
    bad[2].attachments[0].mimeType = "text/plain\r\nX-Evil: 1";
    for (const Result<void>& outcome : sendAll(settingsFor(server.url()), bad)) {
        ASSERT_FALSE(outcome);
        EXPECT_NE(outcome.error(), "");
    }
    EXPECT_TRUE(server.waitForMessages(1, 300ms).empty());
}

using Security = testing::SmtpServerOptions::Security;

// Each failure in the words the mail window shows; the password never appears in one. (A refused
// connection and a refused recipient are the mail composer's tests', a trusted authority the
// program's mail runs'.)
TEST(SmtpTransportTest, FailuresSayInPlainWordsWhatWentWrong) {
    struct Case {
        const char* name;
        testing::SmtpServerOptions server;
        const char* password;  // nullptr: no login
        std::vector<std::string> said;
    };
    const std::vector<Case> cases = {
        {"untrusted certificate",
         {Security::starttls, "", {}},
         nullptr,
         {"certificate is not trusted", "--smtp-ca"}},
        {"a password over no TLS",
         {Security::plain, "zemtra:secret", {}},
         "secret",
         {"offers no secure connection"}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        testing::SmtpTestServer server(test.server);
        SmtpSettings settings = settingsFor(server.url());
        if (test.password) {
            settings.user = "zemtra";
            settings.password = test.password;
        }
        settings.shutdownGrace = 20s;
        const auto outcomes = sendAll(settings, {logMessage()});
        ASSERT_FALSE(outcomes[0]) << server.problems();
        for (const std::string& words : test.said)
            EXPECT_NE(outcomes[0].error().find(words), std::string::npos) << outcomes[0].error();
        if (test.password) {
            EXPECT_EQ(outcomes[0].error().find(test.password), std::string::npos);
        }
        EXPECT_TRUE(server.waitForMessages(1, 100ms).empty());
    }

    const testing::StalledServer stalled;
    SmtpSettings settings = settingsFor(stalled.url());
    settings.connectTimeout = 200ms;
    const auto silent = sendAll(settings, {logMessage()});
    ASSERT_FALSE(silent[0]);
    EXPECT_NE(silent[0].error().find("did not answer in time (timed out)"), std::string::npos)
        << silent[0].error();
}

TEST(SmtpTransportTest, EndingDuringAStalledSendIsPromptAndKeepsTheMessagesAsDrafts) {
    const testing::StalledServer server;
    const testing::TemporaryFolder folder("zemtra-drafts");
    const DiagnosticsCapture diagnostics;
    const auto started = std::chrono::steady_clock::now();
    const auto outcomes = sendAll(settingsFor(server.url()), {logMessage(), logMessage()},
                                  std::make_shared<FileMailDrafts>(folder.dir()));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1500ms);

    const std::string said = ::testing::PrintToString(diagnostics.texts());
    for (const Result<void>& outcome : outcomes) {
        ASSERT_FALSE(outcome);
        const std::string marker = "kept as a draft: ";
        const size_t at = outcome.error().find(marker);
        ASSERT_NE(at, std::string::npos) << outcome.error();
        const std::string path = outcome.error().substr(at + marker.size());
        EXPECT_TRUE(path.starts_with(folder.dir())) << path;
        EXPECT_NE(testing::readFile(path).find("Bcc: hidden@example.org"), std::string::npos);
        EXPECT_NE(said.find(path), std::string::npos) << said;
    }
}

}  // namespace
}  // namespace zemtra::platform::smtp
