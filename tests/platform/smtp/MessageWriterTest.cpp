// The message writer, read back by Python's email package: lines a server accepts whatever the
// content, everything decoding to what was given, the date and the Message-ID.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <regex>

#include "platform/smtp/MessageWriter.h"
#include "tests/support/SmtpTestServer.h"

namespace zemtra::platform::smtp {
namespace {

// Every line ends with CR LF and none is longer than `limit`.
void expectLinesWithin(const std::string& text, size_t limit) {
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find("\r\n", start);
        ASSERT_NE(end, std::string::npos) << "the text does not end with CR LF";
        const std::string line = text.substr(start, end - start);
        EXPECT_LE(line.size(), limit) << line;
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "a bare line end: " << line;
        start = end + 2;
    }
}

std::string valueOf(const std::string& description, const std::string& key) {
    const std::string lines = "\n" + description;
    const size_t at = lines.find("\n" + key + "=");
    if (at == std::string::npos) return "";
    const size_t start = at + key.size() + 2;
    return lines.substr(start, lines.find('\n', start) - start);
}

TEST(MessageWriterTest, EveryLineIsShortAndEverythingReadsBackAsWritten) {
    MailMessage message;
    for (int i = 0; i < 80; ++i)
        message.to.push_back("reader" + std::to_string(i) + "@example.org");
    message.bcc = {"hidden@example.org"};
    message.subject = "Word log";
    // What a careless encoder loses: trailing white space, "=", a leading dot and "From ", UTF-8,
    // a line longer than SMTP allows, CR LF and LF line ends, no final line end.
    message.body = "<p>a=b &amp; c</p>  \n\tindented\t\n.dot\r\nFrom here\n\xC3\xBC\xE2\x9C\x93 " +
                   std::string(1200, 'w') + "\nend";
    message.bodyIsHtml = true;
    const std::string log = "title   \n.x\nFrom y\n\x01\xFF" + std::string(500, 'z') + "\n";
    const std::string longName = std::string(100, 'n') + ".txt";
    const std::string unicodeName =
        "W\xC3\xB6rterliste " + std::string(90, 'x') + " \xE2\x9C\x93.txt";
    message.attachments = {{"WordLog.txt", "text/plain", {log.begin(), log.end()}},
                           {"back\\slash.txt", "text/plain", {'x'}},
                           {longName, "application/octet-stream", {}},
                           {unicodeName, "text/plain", {'u'}}};

    for (const MessageUse use : {MessageUse::sending, MessageUse::draft}) {
        const std::string text = writeMessage(message, "zemtra@example.org", 0, use);
        expectLinesWithin(text, 78);
        const auto described = testing::describeMessage(text);
        ASSERT_TRUE(described);
        EXPECT_EQ(valueOf(*described, "defects"), "0") << *described;
        EXPECT_EQ(valueOf(*described, "to"), mail::joinAddresses(message.to));
        // Which headers each use leaves out is the transport test's (the sent message is the draft
        // without them).
        std::string body = message.body;
        body.replace(body.find("\r\n"), 2, "\n");
        EXPECT_NE(described->find("body=text/html " + testing::hex(body) + "\n"),
                  std::string::npos);
        for (const MailAttachment& attachment : message.attachments) {
            const std::string bytes(attachment.bytes.begin(), attachment.bytes.end());
            EXPECT_NE(described->find("attachment=" + attachment.fileName + " " +
                                      attachment.mimeType + " " + testing::hex(bytes) + "\n"),
                      std::string::npos)
                << attachment.fileName << " in\n"
                << *described;
        }
    }
}

TEST(MessageWriterTest, SubjectsStayPlainWhenTheyCanAndFoldEitherWay) {
    const std::pair<std::string, bool> subjects[] = {
        {"Word log of today", true},
        {"A long plain subject " + std::string(20, 'x') + " with many words, past the fold", true},
        {"One word longer than a line: " + std::string(200, 'y'), false},
        {"Looks encoded =?UTF-8?B?eA==?=", false},
        {std::string(30, 'x') + " W\xC3\xB6rter f\xC3\xBCr heute \xE2\x9C\x93 " +
             std::string(80, 'z'),
         false},
    };
    for (const auto& [subject, plain] : subjects) {
        SCOPED_TRACE(subject);
        MailMessage message;
        message.subject = subject;
        const std::string text = writeMessage(message, "", 0, MessageUse::draft);
        expectLinesWithin(text, 78);
        EXPECT_EQ(text.find("=?UTF-8?B?") == std::string::npos, plain);
        const auto described = testing::describeMessage(text);
        ASSERT_TRUE(described);
        EXPECT_EQ(valueOf(*described, "subject"), subject);
    }
}

TEST(MessageWriterTest, TheDateIsLocalTimeWithItsOffsetAndEachMessageHasItsOwnId) {
    const std::string previous = std::getenv("TZ") ? std::getenv("TZ") : "";
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
    EXPECT_EQ(messageDate(1782959370000), "Thu, 02 Jul 2026 04:29:30 +0200");
    setenv("TZ", "America/St_Johns", 1);
    tzset();
    EXPECT_EQ(messageDate(1782959370000), "Wed, 01 Jul 2026 23:59:30 -0230");

    const std::regex id("\r\nMessage-ID: <1782959370000\\.([0-9a-f]{16})@example\\.org>\r\n");
    std::smatch first, second;
    const std::string one = writeMessage({}, "a@example.org", 1782959370000, MessageUse::sending);
    const std::string two = writeMessage({}, "a@example.org", 1782959370000, MessageUse::sending);
    EXPECT_TRUE(one.starts_with("Date: Wed, 01 Jul 2026 23:59:30 -0230\r\n")) << one;
    ASSERT_TRUE(std::regex_search(one, first, id)) << one;
    ASSERT_TRUE(std::regex_search(two, second, id)) << two;
    EXPECT_NE(first[1], second[1]);
    if (previous.empty())
        unsetenv("TZ");
    else
        setenv("TZ", previous.c_str(), 1);
    tzset();
}

}  // namespace
}  // namespace zemtra::platform::smtp
