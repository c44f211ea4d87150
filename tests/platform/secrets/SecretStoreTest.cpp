// The secret store as a person meets it: a password stored with secret-tool in GNOME Keyring is
// found for its user and server; a locked keyring, a bus without a secret service, one that never
// answers and no bus at all answer nothing, quickly and without a word above debug level.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>

#include "platform/Diagnostics.h"
#include "platform/secrets/LibsecretStore.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TemporaryFolder.h"

namespace zemtra::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A session bus of the test's own, which the test process uses while it lives. It activates no
// services, so nothing runs on it that the test did not start: with `keyring`, GNOME Keyring's
// secret service with an unlocked keyring.
class SessionBus {
  public:
    // A bus that does not `answer` lets no reply through: the store's calls wait for D-Bus's
    // timeout, as with a service that hangs.
    explicit SessionBus(bool keyring, bool answer = true) {
        for (const char* tool : {kDbus, kKeyring, kSecretTool, kGdbus})
            if (!fs::exists(tool)) return;
        fs::create_directories(root_ / "run");
        writeFile(root_ / "bus.conf",
                  "<busconfig><type>session</type><listen>unix:path=" + root_.file("bus") +
                      "</listen><policy context=\"default\"><allow send_destination=\"*\"/>" +
                      (answer ? "<allow eavesdrop=\"true\"/>" : "") +
                      "<allow own=\"*\"/>"
                      "</policy></busconfig>\n");
        setenv("DBUS_SESSION_BUS_ADDRESS", environment_["DBUS_SESSION_BUS_ADDRESS"].c_str(), 1);
        bus_.emplace(ProgramOptions{
            {kDbus, "--config-file=" + root_.file("bus.conf"), "--nofork", "--print-address=1"},
            environment_});
        if (!bus_->waitForOutput("unix:path=", 5s)) return;
        writeFile(root_ / "keyring-password", "test");
        if (keyring) {
            keyring_.emplace(
                ProgramOptions{{kKeyring, "--foreground", "--unlock", "--components=secrets"},
                               environment_,
                               root_ / "keyring-password"});
        }
        ready_ = !keyring ||
                 run({kGdbus, "wait", "--session", "--timeout", "10", "org.freedesktop.secrets"});
    }
    ~SessionBus() { unsetenv("DBUS_SESSION_BUS_ADDRESS"); }

    bool ready() const { return ready_; }

    // As the manual page tells a person to store it.
    bool store(const std::string& host, const std::string& user, const std::string& password) {
        writeFile(root_ / "secret", password);
        return run({kSecretTool, "store", "--label=Zemtra mail", "application", "zemtra", "server",
                    host, "user", user},
                   root_ / "secret");
    }
    bool lockKeyring() const {
        return run({kGdbus, "call", "--session", "--dest", "org.freedesktop.secrets",
                    "--object-path", "/org/freedesktop/secrets", "--method",
                    "org.freedesktop.Secret.Service.Lock",
                    "['/org/freedesktop/secrets/collection/login']"});
    }

  private:
    static constexpr const char* kDbus = "/usr/bin/dbus-daemon";
    static constexpr const char* kKeyring = "/usr/bin/gnome-keyring-daemon";
    static constexpr const char* kSecretTool = "/usr/bin/secret-tool";
    static constexpr const char* kGdbus = "/usr/bin/gdbus";

    bool run(std::vector<std::string> arguments, fs::path input = {}) const {
        return runProgram({std::move(arguments), environment_, std::move(input)}, 15s).status == 0;
    }

    TemporaryFolder root_{"zemtra-secrets"};
    std::map<std::string, std::string> environment_{
        {"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + root_.file("bus")},
        {"HOME", root_.path().string()},
        {"XDG_RUNTIME_DIR", root_.file("run")},
        {"DISPLAY", ""}};
    // Destroyed first, the keyring is stopped before its bus.
    std::optional<ChildProcess> bus_;
    std::optional<ChildProcess> keyring_;
    bool ready_ = false;
};

// Nothing above debug level: a machine without a store is the usual case, not a fault.
void expectQuiet(const platform::DiagnosticsCapture& capture) {
    for (const auto& message : capture.messages())
        EXPECT_EQ(message.severity, platform::Severity::debug) << message.text;
}

// GLib keeps a process's first session bus connection even once that bus has gone, so each bus is
// really asked only in a process of its own: CTest runs each case alone, and this one forks anew.
TEST(SecretStoreDeathTest, AServiceThatNeverAnswersIsWaitedForNoLongerThanTheLimit) {
    if (!fs::exists("/usr/bin/dbus-daemon")) GTEST_SKIP() << "needs dbus-daemon";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto answersNothingInTime = [] {
        const SessionBus bus(false, false);
        const auto start = std::chrono::steady_clock::now();
        const auto password =
            platform::secrets::createSecretStore(300ms)->mailPassword("mail.example.org", "a");
        return bus.ready() && !password && std::chrono::steady_clock::now() - start < 2s;
    };
    EXPECT_EXIT(std::exit(answersNothingInTime() ? 0 : 1), ::testing::ExitedWithCode(0), "");
}

TEST(SecretStore, FindsThePasswordStoredForTheUserOnTheServerAndPassesALockedOneOver) {
    SessionBus bus(true);
    if (!bus.ready()) GTEST_SKIP() << "needs dbus-daemon, gnome-keyring and secret-tool";
    ASSERT_TRUE(bus.store("mail.example.org", "alice", "s3cret pass"));
    const platform::DiagnosticsCapture capture;
    const auto store = platform::secrets::createSecretStore();
    EXPECT_EQ(store->mailPassword("mail.example.org", "alice"), "s3cret pass");
    EXPECT_EQ(store->mailPassword("mail.example.org", "carol"), std::nullopt);
    EXPECT_EQ(store->mailPassword("smtp.example.org", "alice"), std::nullopt);
    // Locked, the keyring would have to ask for its password: it is passed over instead.
    ASSERT_TRUE(bus.lockKeyring());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(store->mailPassword("mail.example.org", "alice"), std::nullopt);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s) << "no prompt waited for";
    expectQuiet(capture);
}

TEST(SecretStore, WithoutASecretServiceOrABusItAnswersNothingQuickly) {
    const platform::DiagnosticsCapture capture;
    {
        SessionBus bus(false);
        if (!bus.ready()) GTEST_SKIP() << "needs dbus-daemon";
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(platform::secrets::createSecretStore()->mailPassword("mail.example.org", "a"),
                  std::nullopt);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    }
    const TemporaryFolder runtime("zemtra-no-bus");
    setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    EXPECT_EQ(platform::secrets::createSecretStore()->mailPassword("mail.example.org", "a"),
              std::nullopt);
    expectQuiet(capture);
    EXPECT_FALSE(capture.texts().empty()) << "the reason is there for ZEMTRA_DEBUG";
}

}  // namespace
}  // namespace zemtra::testing
