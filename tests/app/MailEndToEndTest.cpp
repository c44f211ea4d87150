// The program mails its log: build/zemtra runs headless with a script against the SMTP test server
// on 127.0.0.1, and the message that arrives carries the word log byte for byte.
#include <gtest/gtest.h>

#include "tests/support/ChildProcess.h"
#include "tests/support/SmtpTestServer.h"
#include "tests/support/TemporaryFolder.h"

namespace zemtra::testing {
namespace {

TEST(MailEndToEndTest, TheLogIsMailedWithTheAttachmentBytesUnchanged) {
    SmtpTestServer server;
    const TemporaryFolder root("zemtra-mail-e2e");
    const std::string log =
        "PWR ,     DATE       ,   TIME    , WORD  \n"
        "0427 ,03/07/2026 , 15:04:05 , w427\n";
    writeFile(root / "data/WordLog.txt", log);
    writeFile(root / "script.txt",
              "tap btnlog\ntap btnemail\nmail to reader@example.org\nmail send\nwait 3000\n");
    ProgramOptions program;
    program.arguments = {ZEMTRA_PROGRAM, "--headless",
                         "--clock",      "virtual:2026-03-07T15:04:05",
                         "--data",       root.file("data"),
                         "--assets",     ZEMTRA_BUILD_ASSETS_DIR,
                         "--sensors",    "sim:1",
                         "--speech",     "none",
                         "--smtp",       server.url(),
                         "--mail-from",  "zemtra@example.org",
                         "--script",     root.file("script.txt")};
    program.environment = {{"TZ", "UTC"},
                           {"QT_QPA_PLATFORM", "offscreen"},
                           {"XDG_RUNTIME_DIR", root.path().string()},
                           {"XDG_CONFIG_HOME", root.file("config")}};
    const ProgramOutcome outcome = runProgram(program);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.err, "") << "a quiet run";

    const auto received = server.waitForMessages(1);
    ASSERT_EQ(received.size(), 1u) << server.problems();
    EXPECT_EQ(received[0].recipients, std::vector<std::string>{"reader@example.org"});
    const auto described = describeMessage(received[0].text);
    ASSERT_TRUE(described);
    EXPECT_NE(described->find("attachment=WordLog.txt text/plain " + hex(log) + "\n"),
              std::string::npos)
        << *described;
    EXPECT_EQ(readFile(root / "data/WordLog.txt"), log) << "sending does not change the log";
}

}  // namespace
}  // namespace zemtra::testing
