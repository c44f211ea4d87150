// The program mails its log as a person would: build/zemtra runs with a script against the SMTP
// test server on 127.0.0.1 (over STARTTLS and smtps, with a login), against one that refuses, with
// no server at all, and on a desktop (an Xvfb display) with a stand-in xdg-email.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/app/ProgramRun.h"
#include "tests/support/SmtpTestServer.h"
#include "tests/support/TemporaryFolder.h"

namespace zemtra::testing {
namespace {

using Security = SmtpServerOptions::Security;

const std::string kLog =
    "PWR ,     DATE       ,   TIME    , WORD  \n"
    "0427 ,03/07/2026 , 15:04:05 , w427\n";

// Opens the log's mail screen, sends to one reader and, after the send's outcome, cancels.
const std::string kSendThenCancel =
    "tap btnlog\ntap btnemail\nmail to reader@example.org\nmail send\nwait 3000\nmail cancel\n";

class MailEndToEndTest : public ::testing::Test {
  protected:
    MailEndToEndTest() { writeFile(root / "data/WordLog.txt", kLog); }

    // A headless run on the virtual clock with `script` and `extra` options; no display, no login
    // unless `environment` gives them.
    ProgramOutcome run(const std::string& script, const std::vector<std::string>& extra = {},
                       std::map<std::string, std::string> environment = {}) const {
        writeFile(root / "script.txt", script);
        std::vector<std::string> arguments = {"--clock",     "virtual:2026-03-07T15:04:05",
                                              "--data",      root.file("data"),
                                              "--assets",    ZEMTRA_BUILD_ASSETS_DIR,
                                              "--sensors",   "sim:1",
                                              "--speech",    "none",
                                              "--mail-from", "zemtra@example.org",
                                              "--script",    root.file("script.txt")};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        environment.try_emplace("QT_QPA_PLATFORM", "offscreen");
        return runProgram(programRun(root.path(), arguments, environment));
    }

    const TemporaryFolder root{"zemtra-mail-e2e"};
};

TEST_F(MailEndToEndTest, OverStartTlsAndSmtpsTheLogArrivesWholeOnlyWithTheNamedAuthority) {
    for (const Security security : {Security::starttls, Security::implicitTls}) {
        SCOPED_TRACE(security == Security::starttls ? "STARTTLS" : "smtps");
        SmtpTestServer server({security, "zemtra:secret", {}});
        const std::map<std::string, std::string> login = {{"ZEMTRA_SMTP_USER", "zemtra"},
                                                          {"ZEMTRA_SMTP_PASSWORD", "secret"}};
        // Without the authority: refused, with the reason, and the window stays for the cancel.
        ProgramOutcome outcome =
            run(kSendThenCancel, {"--headless", "--smtp", server.url()}, login);
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        EXPECT_NE(outcome.out.find("Mail was not sent: The mail server's certificate is not "
                                   "trusted"),
                  std::string::npos)
            << outcome.out;
        EXPECT_TRUE(server.waitForMessages(1, std::chrono::milliseconds(100)).empty());

        outcome =
            run("tap btnlog\ntap btnemail\nmail to reader@example.org\nmail send\nwait 3000\n",
                {"--headless", "--smtp", server.url(), "--smtp-ca", server.certificateAuthority()},
                login);
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        EXPECT_EQ(outcome.err, "") << "a quiet run";
        const auto received = server.waitForMessages(1);
        ASSERT_EQ(received.size(), 1u) << server.problems();
        EXPECT_TRUE(received[0].secure);
        EXPECT_EQ(received[0].login, "zemtra");
        EXPECT_EQ(received[0].recipients, std::vector<std::string>{"reader@example.org"});
        const auto described = describeMessage(received[0].text);
        ASSERT_TRUE(described);
        EXPECT_NE(described->find("attachment=WordLog.txt text/plain " + hex(kLog) + "\n"),
                  std::string::npos)
            << *described;
    }
    EXPECT_EQ(readFile(root / "data/WordLog.txt"), kLog) << "sending does not change the log";
}

TEST_F(MailEndToEndTest, ARefusedLoginKeepsTheWindowOpenWithTheReasonUntilCancelled) {
    SmtpTestServer server({Security::starttls, "zemtra:secret", {}});
    // The second cancel finds no mail screen: the first one closed it.
    const ProgramOutcome outcome =
        run(kSendThenCancel + "mail cancel\n",
            {"--headless", "--smtp", server.url(), "--smtp-ca", server.certificateAuthority()},
            {{"ZEMTRA_SMTP_USER", "zemtra"}, {"ZEMTRA_SMTP_PASSWORD", "wrong"}});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "zemtra: script line 7: no mail screen is showing\n");
    EXPECT_NE(outcome.out.find("Mail was not sent: The mail server refused the login"),
              std::string::npos)
        << outcome.out;
    EXPECT_EQ(outcome.out.find("wrong"), std::string::npos) << "no password in the log";
}

TEST_F(MailEndToEndTest, WithoutAServerOrADesktopTheWindowSavesADraftAndSaysWhere) {
    const ProgramOutcome outcome =
        run("tap btnlog\ntap btnemail\nmail to reader@example.org\nmail send\nmail save\n",
            {"--headless"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_NE(outcome.out.find("Mail was not sent: no mail server is set up"), std::string::npos)
        << outcome.out;
    const auto draft = std::filesystem::directory_iterator(root / "data/Drafts")->path();
    EXPECT_NE(outcome.out.find("The draft was saved to " + draft.string() + "\n"),
              std::string::npos)
        << outcome.out;
    EXPECT_NE(readFile(draft).find("To: reader@example.org\r\n"), std::string::npos);
}

// A display of its own: Xvfb, its number chosen by the server itself.
class VirtualDisplay {
  public:
    VirtualDisplay() {
        if (!std::filesystem::exists("/usr/bin/Xvfb")) return;
        server_ = std::make_unique<ChildProcess>(
            ProgramOptions{{"/usr/bin/Xvfb", "-displayfd", "1", "-nolisten", "tcp", "-screen", "0",
                            "640x800x24"}});
        if (!server_->waitForOutput("\n", std::chrono::seconds(10))) return;
        std::string number = server_->out();
        number.pop_back();
        name_ = ":" + number;
    }
    // Empty when there is none.
    const std::string& name() const { return name_; }

  private:
    std::unique_ptr<ChildProcess> server_;
    std::string name_;
};

TEST_F(MailEndToEndTest, OnADesktopTheLogGoesToTheMailProgramThroughXdgEmail) {
    const VirtualDisplay display;
    if (display.name().empty()) GTEST_SKIP() << "no Xvfb (apt-get install xvfb)";
    const TemporaryFolder desktop("zemtra-desktop");
    writeStandInXdgEmail(desktop);
    const std::string path = (desktop / "bin").string() + ":" + std::getenv("PATH");
    // The log grows after the press; the mail program gets it as it was then.
    const ProgramOutcome outcome =
        run("tap btnlog\ntap btnemail\ntap label1\nwait 5000\n", {},
            {{"DISPLAY", display.name()}, {"QT_QPA_PLATFORM", ""}, {"PATH", path}});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    const std::string arguments = readFile(desktop / "arguments");
    EXPECT_TRUE(arguments.starts_with(
        "--utf8\n--body\nThese are the most current brell2 log files.\n--attach\n" +
        root.path().string() + "/zemtra-mail-"))
        << arguments;
    EXPECT_TRUE(arguments.ends_with("/WordLog.txt\n")) << arguments;
    EXPECT_EQ(readFile(desktop / "attached/WordLog.txt"), kLog);
    EXPECT_NE(readFile(root / "data/WordLog.txt"), kLog) << "words came after the press";
    EXPECT_NE(outcome.out.find("Mail handed to your mail program"), std::string::npos)
        << outcome.out;
}

}  // namespace
}  // namespace zemtra::testing
