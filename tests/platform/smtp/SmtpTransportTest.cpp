// The SMTP transport on its own: what an orderly end does with a send in progress, and the last
// line of defence against header injection.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>

#include "platform/smtp/SmtpTransport.h"
#include "tests/platform/smtp/SmtpTestServer.h"

namespace zemtra::platform::smtp {
namespace {

using namespace std::chrono_literals;

SmtpSettings settingsFor(const std::string& url,
                         std::chrono::milliseconds grace = std::chrono::seconds(30)) {
    SmtpSettings settings;
    settings.url = url;
    settings.sender = "zemtra@example.org";
    settings.shutdownGrace = grace;
    return settings;
}

MailMessage simpleMessage() {
    MailMessage message;
    message.to = {"ann@example.org"};
    message.subject = "Log";
    message.body = "Hello";
    return message;
}

TEST(SmtpTransportTest, EndingWaitsForTheMessagesGivenToIt) {
    testing::SmtpTestServer server;
    ASSERT_TRUE(server.ready());
    std::promise<MailOutcome> outcome;
    {
        SmtpTransport transport(settingsFor(server.url()));
        transport.send(simpleMessage(), [&](MailOutcome result) { outcome.set_value(result); });
    }
    // The destructor returned only after the send: its outcome is there and the mail arrived.
    auto result = outcome.get_future();
    ASSERT_EQ(result.wait_for(0s), std::future_status::ready);
    const MailOutcome sent = result.get();
    EXPECT_TRUE(sent.sent) << sent.failure;
    EXPECT_TRUE(server.waitForMessages(1));
}

TEST(SmtpTransportTest, EndingCutsOffASendThatOutlastsTheGraceTime) {
    testing::SilentServer server;
    std::promise<MailOutcome> outcome;
    const auto started = std::chrono::steady_clock::now();
    {
        SmtpTransport transport(settingsFor(server.url(), 300ms));
        transport.send(simpleMessage(), [&](MailOutcome result) { outcome.set_value(result); });
        ASSERT_TRUE(server.waitForClient(10s));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
    auto result = outcome.get_future();
    ASSERT_EQ(result.wait_for(0s), std::future_status::ready);
    const MailOutcome cut = result.get();
    EXPECT_FALSE(cut.sent);
    EXPECT_NE(cut.failure.find("program ended"), std::string::npos) << cut.failure;
}

TEST(SmtpTransportTest, RefusesWhatWouldInjectHeadersWithoutContactingTheServer) {
    testing::SmtpTestServer server;
    ASSERT_TRUE(server.ready());
    std::vector<MailMessage> bad(4, simpleMessage());
    bad[0].subject = "Log\r\nBcc: eve@example.org";
    bad[1].to = {"ann@example.org\r\nBcc: eve@example.org"};
    bad[2].attachments = {{"WordLog.txt", "text/plain\r\nX-Evil: 1", {}}};
    std::vector<std::promise<MailOutcome>> outcomes(bad.size());
    {
        SmtpTransport transport(settingsFor(server.url()));
        for (size_t i = 0; i < bad.size(); ++i) {
            transport.send(bad[i],
                           [&outcomes, i](MailOutcome result) { outcomes[i].set_value(result); });
        }
    }
    for (size_t i = 0; i + 1 < bad.size(); ++i) {
        SCOPED_TRACE(i);
        const MailOutcome result = outcomes[i].get_future().get();
        EXPECT_FALSE(result.sent);
        EXPECT_FALSE(result.failure.empty());
    }
    // The one good message went through, and only it.
    EXPECT_TRUE(outcomes.back().get_future().get().sent);
    ASSERT_TRUE(server.waitForMessages(1));
    EXPECT_EQ(server.messages().size(), 1u);
}

TEST(SmtpTransportTest, LongNonAsciiSubjectsBecomeShortEncodedWords) {
    MailMessage message = simpleMessage();
    message.subject =
        std::string(30, 'x') + "Wörterliste für den Generator ✓ " + std::string(40, 'y');
    const auto headers = SmtpTransport::headersFor(message, "zemtra@example.org", {});
    std::string subject;
    for (const std::string& header : headers) {
        if (header.starts_with("Subject: ")) subject = header.substr(9);
    }
    ASSERT_FALSE(subject.empty());
    size_t words = 0;
    for (size_t start = 0; start < subject.size();) {
        const size_t end = std::min(subject.find(' ', start), subject.size());
        const std::string word = subject.substr(start, end - start);
        EXPECT_TRUE(word.starts_with("=?UTF-8?B?") && word.ends_with("?=")) << word;
        EXPECT_LE(word.size(), 75u);
        ++words;
        start = end + 1;
    }
    EXPECT_GT(words, 1u);
    const auto decoded = testing::runPython(
        "import email.header, sys\n"
        "print(str(email.header.make_header(email.header.decode_header(sys.argv[1]))), end='')\n",
        {subject});
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, message.subject);
}

}  // namespace
}  // namespace zemtra::platform::smtp
