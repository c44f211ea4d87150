// The secret store as a person meets it: a password stored with secret-tool in GNOME Keyring is
// found for its user and server; a locked keyring, a bus without a secret service and no bus at
// all answer nothing, quickly and without a word above debug level.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/Diagnostics.h"
#include "platform/secrets/LibsecretStore.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TemporaryFolder.h"

namespace zemtra::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const char* const kDbusDaemon = "/usr/bin/dbus-daemon";
const char* const kKeyring = "/usr/bin/gnome-keyring-daemon";
const char* const kSecretTool = "/usr/bin/secret-tool";
const char* const kGdbus = "/usr/bin/gdbus";

// Sets an environment variable of the test process for the scope (the store reads the process's
// environment), and puts the old value back.
class ScopedVariable {
  public:
    ScopedVariable(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = getenv(name)) old_ = old;
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    ~ScopedVariable() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

// A session bus of the test's own, without service activation (so nothing starts on it that the
// test did not start), optionally with GNOME Keyring's secret service and its unlocked keyring.
class SessionBus {
  public:
    explicit SessionBus(bool withKeyring) {
        fs::create_directories(root_ / "home");
        fs::create_directories(root_ / "run");
        fs::permissions(root_ / "run", fs::perms::owner_all);
        address_ = "unix:path=" + root_.file("bus");
        writeFile(root_ / "bus.conf",
                  "<busconfig><type>session</type><listen>" + address_ +
                      "</listen><policy context=\"default\"><allow send_destination=\"*\" "
                      "eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/>"
                      "</policy></busconfig>\n");
        bus_.emplace(ProgramOptions{{kDbusDaemon, "--config-file=" + root_.file("bus.conf"),
                                     "--nofork", "--print-address=1"},
                                    environment()});
        if (!bus_->waitForOutput("unix:path=", 5s)) return;
        if (withKeyring) {
            writeFile(root_ / "keyring-password", "test");
            keyring_.emplace(
                ProgramOptions{{kKeyring, "--foreground", "--unlock", "--components=secrets"},
                               environment(),
                               root_ / "keyring-password"});
            if (run({kGdbus, "wait", "--session", "--timeout", "10", "org.freedesktop.secrets"})
                    .status != 0)
                return;
        }
        ready_ = true;
    }

    bool ready() const { return ready_; }
    const std::string& address() const { return address_; }

    ProgramOutcome run(std::vector<std::string> arguments, fs::path input = {}) const {
        return runProgram({std::move(arguments), environment(), std::move(input)}, 15s);
    }

    // secret-tool store, as the manual page tells a person to run it.
    bool store(const std::string& host, const std::string& user, const std::string& password) {
        writeFile(root_ / "secret", password);
        return run({kSecretTool, "store", "--label=Zemtra mail", "application", "zemtra", "server",
                    host, "user", user},
                   root_ / "secret")
                   .status == 0;
    }

    bool lockKeyring() const {
        return run({kGdbus, "call", "--session", "--dest", "org.freedesktop.secrets",
                    "--object-path", "/org/freedesktop/secrets", "--method",
                    "org.freedesktop.Secret.Service.Lock",
                    "['/org/freedesktop/secrets/collection/login']"})
                   .status == 0;
    }

  private:
    std::map<std::string, std::string> environment() const {
        return {{"DBUS_SESSION_BUS_ADDRESS", address_},
                {"HOME", root_.file("home")},
                {"XDG_RUNTIME_DIR", root_.file("run")},
                {"XDG_DATA_HOME", root_.file("home/.local/share")},
                {"DISPLAY", ""},
                {"WAYLAND_DISPLAY", ""}};
    }

    TemporaryFolder root_{"zemtra-secrets"};
    std::string address_;
    // The keyring goes first: it ends when its bus does, the bus when it is killed.
    std::optional<ChildProcess> bus_;
    std::optional<ChildProcess> keyring_;
    bool ready_ = false;
};

bool toolsPresent(std::initializer_list<const char*> tools) {
    for (const char* tool : tools) {
        if (!fs::exists(tool)) return false;
    }
    return true;
}

// Nothing above debug level: a machine without a store is the usual case, not a fault.
void expectQuiet(const platform::DiagnosticsCapture& capture) {
    for (const auto& message : capture.messages())
        EXPECT_EQ(message.severity, platform::Severity::debug) << message.text;
}

TEST(SecretStore, FindsThePasswordStoredForTheUserOnTheServerAndNothingElse) {
    if (!toolsPresent({kDbusDaemon, kKeyring, kSecretTool, kGdbus}))
        GTEST_SKIP() << "needs dbus-daemon, gnome-keyring and secret-tool (setup.sh installs them)";
    SessionBus bus(true);
    ASSERT_TRUE(bus.ready()) << "the private bus or the keyring did not come up";
    ASSERT_TRUE(bus.store("mail.example.org", "alice", "s3cret pass"));
    ASSERT_TRUE(bus.store("mail.example.org", "bob", "other"));
    const ScopedVariable address("DBUS_SESSION_BUS_ADDRESS", bus.address());
    const platform::DiagnosticsCapture capture;
    const auto store = platform::secrets::createSecretStore();
    EXPECT_EQ(store->mailPassword("mail.example.org", "alice"), "s3cret pass");
    EXPECT_EQ(store->mailPassword("mail.example.org", "bob"), "other");
    EXPECT_EQ(store->mailPassword("mail.example.org", "carol"), std::nullopt);
    EXPECT_EQ(store->mailPassword("smtp.example.org", "alice"), std::nullopt);
    expectQuiet(capture);

    // Locked, the keyring would have to ask for its password: it is passed over instead.
    ASSERT_TRUE(bus.lockKeyring());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(store->mailPassword("mail.example.org", "alice"), std::nullopt);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s) << "no prompt waited for";
    expectQuiet(capture);
}

TEST(SecretStore, WithoutASecretServiceOrABusItAnswersNothingQuickly) {
    if (!toolsPresent({kDbusDaemon})) GTEST_SKIP() << "needs dbus-daemon (setup.sh installs it)";
    const platform::DiagnosticsCapture capture;
    {
        SessionBus bus(false);
        ASSERT_TRUE(bus.ready());
        const ScopedVariable address("DBUS_SESSION_BUS_ADDRESS", bus.address());
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(platform::secrets::createSecretStore()->mailPassword("mail.example.org", "alice"),
                  std::nullopt);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    }
    const TemporaryFolder runtime("zemtra-no-bus");
    const ScopedVariable address("DBUS_SESSION_BUS_ADDRESS", std::nullopt);
    const ScopedVariable folder("XDG_RUNTIME_DIR", runtime.path().string());
    EXPECT_EQ(platform::secrets::createSecretStore()->mailPassword("mail.example.org", "alice"),
              std::nullopt);
    expectQuiet(capture);
    EXPECT_FALSE(capture.texts().empty()) << "the reason is there for ZEMTRA_DEBUG";
}

}  // namespace
}  // namespace zemtra::testing
