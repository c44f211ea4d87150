// The command line: defaults, each option's checks and the messages a user sees; the
// configuration file under it; and the mail login taken from both, the environment and the
// secret store.
#include <gtest/gtest.h>

#include <map>

#include "app/CommandLine.h"
#include "app/MailLogin.h"
#include "platform/Diagnostics.h"
#include "tests/support/TemporaryFolder.h"

namespace zemtra::app {
namespace {

std::optional<std::string> homeOnly(const char* name) {
    if (std::string(name) == "HOME") return std::string("/home/ada");
    return std::nullopt;
}

std::optional<std::string> withXdg(const char* name) {
    if (std::string(name) == "XDG_DATA_HOME") return std::string("/xdg");
    return homeOnly(name);
}

TEST(CommandLine, DefaultsRunWithoutConfiguration) {
    const auto parsed = parseCommandLine({}, homeOnly);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->dataDirectory, "/home/ada/.local/share/zemtra/");
    EXPECT_EQ(parsed->sensors, "auto");
    EXPECT_EQ(parsed->speech, "espeak");
    EXPECT_FALSE(parsed->virtualClock);
    EXPECT_EQ(parseCommandLine({}, withXdg)->dataDirectory, "/xdg/zemtra/");
}

TEST(CommandLine, AcceptsEveryOption) {
    const auto parsed = parseCommandLine(
        {"--headless", "--data", "/tmp/d", "--assets", "a", "--sensors", "sim:42", "--speech",
         "wav:out.wav", "--clock", "virtual:1000", "--smtp", "smtp://127.0.0.1:2525", "--mail-from",
         "z@example.org", "--script", "-", "--on"},
        homeOnly);
    ASSERT_TRUE(parsed) << parsed.error();
    const Options& o = *parsed;
    EXPECT_TRUE(o.headless && o.virtualClock && o.switchOn);
    EXPECT_EQ((std::vector{o.dataDirectory, o.assetsDirectory, o.sensors, o.speech, o.smtpUrl,
                           o.mailFrom, o.script}),
              (std::vector<std::string>{"/tmp/d/", "a/", "sim:42", "wav:out.wav",
                                        "smtp://127.0.0.1:2525", "z@example.org", "-"}));
    EXPECT_EQ(o.clockStartTicks, 1000);
    EXPECT_EQ(parseCommandLine({"--clock", "virtual:253402300799999"}, homeOnly)->clockStartTicks,
              253402300799999);
    // The port and its rate are the factory's to judge, when it opens the port.
    EXPECT_EQ(parseCommandLine({"--sensors", "serial:/dev/ttyACM0:9600"}, homeOnly)->sensors,
              "serial:/dev/ttyACM0:9600");
    const auto listed = parseCommandLine({"--sensors", "sim:4", "--sensors", "list"}, homeOnly);
    EXPECT_TRUE(listed->listSensors);
}

TEST(CommandLine, BadValuesSayWhatIsAccepted) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> rows{
        {{"--sensors", "gps"},
         "--sensors takes auto, sim[:SEED], iio[:SYSFS_ROOT], serial:DEVICE[:BAUD], "
         "phone:http://HOST:PORT, replay:FILE or list, got 'gps'"},
        {{"--sensors", "sim:x"}, "--sensors sim:SEED needs a whole number as SEED, got 'x'"},
        {{"--speech", "wav:"}, "--speech takes espeak, wav:FILE or none, got 'wav:'"},
        {{"--clock", "virtual:2024-13-01T00:00:00"},
         "--clock virtual:START needs START as epoch milliseconds or local YYYY-MM-DDTHH:MM:SS, "
         "got "
         "'2024-13-01T00:00:00'"},
        // Starts the clock cannot run from: it adds its elapsed time to the start.
        {{"--clock", "virtual:9223372036854775807"},
         "--clock virtual:START must lie between 0001-01-01 and 9999-12-31 (epoch milliseconds "
         "-62135596800000 to 253402300799999), got '9223372036854775807'"},
        {{"--smtp", "mail.example.org"},
         "--smtp takes a smtp:// or smtps:// URL, got 'mail.example.org'"},
        {{"--data"}, "--data needs a value; see --help"},
        {{"--verbose"}, "unknown option '--verbose'; see --help"},
        {{"--journal", "no"}, "--journal takes on or off, got 'no'"},
        {{"--words", "/no/such/list.txt"},
         "--words needs a readable word list file, got '/no/such/list.txt'"},
        {{"--words", "/"}, "--words needs a readable word list file, got '/'"},
        {{"--voice", ""}, "--voice needs a voice; --voice list lists the installed ones"},
    };
    for (const auto& [arguments, message] : rows) {
        const auto parsed = parseCommandLine(arguments, homeOnly);
        ASSERT_FALSE(parsed) << message;
        EXPECT_EQ(parsed.error(), message);
    }
}

TEST(CommandLine, ClockStartAsLocalTimeFollowsTheTimeZone) {
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(parseClockStart("2024-05-01T12:00:00"), 1714564800000);
    setenv("TZ", "Asia/Kolkata", 1);
    tzset();
    EXPECT_EQ(parseClockStart("2024-05-01T12:00:00"), 1714564800000 - 19800000);
    unsetenv("TZ");
    tzset();
    EXPECT_FALSE(parseClockStart("2024-05-01 12:00:00"));
    EXPECT_FALSE(parseClockStart("2024-02-30T00:00:00"));
    // Out-of-range clock fields must not roll over into the next minute or hour.
    EXPECT_FALSE(parseClockStart("2024-05-01T12:61:00"));
    EXPECT_FALSE(parseClockStart("2024-05-01T12:00:75"));
    EXPECT_FALSE(parseClockStart("2024-05-01T12:-5:00"));
}

// The environment of the configuration and login tests: whatever the test puts here.
std::map<std::string, std::string> variables;

std::optional<std::string> fromVariables(const char* name) {
    const auto found = variables.find(name);
    if (found == variables.end()) return std::nullopt;
    return found->second;
}

class ConfigFileTest : public ::testing::Test {
  protected:
    ConfigFileTest() { variables = {{"HOME", folder.file("home")}}; }
    ~ConfigFileTest() override { variables.clear(); }

    const testing::TemporaryFolder folder{"zemtra-config"};
    const std::string file = folder.file("home/.config/zemtra/zemtra.conf");
    const platform::DiagnosticsCapture diagnostics;
};

TEST_F(ConfigFileTest, TheFileGivesTheLongOptionsAndTheCommandLineWins) {
    testing::writeFile(file,
                       "# a comment, then a blank line\n\n"
                       "sensors = sim:7\r\n"
                       "  speech=none  \n"
                       "data = ~/words\n"
                       "clock = virtual:1000\n"
                       "mail-from = ada@example.org\n"
                       "mail-from = zemtra@example.org\n");
    const auto parsed = parseCommandLine({"--clock", "real", "--sensors", "sim:9"}, fromVariables);
    ASSERT_TRUE(parsed) << parsed.error();
    EXPECT_EQ(parsed->sensors, "sim:9");
    EXPECT_FALSE(parsed->virtualClock) << "a --clock replaces the file's whole";
    EXPECT_EQ(parsed->clockStartTicks, Options().clockStartTicks);
    EXPECT_EQ(parsed->speech, "none");
    EXPECT_EQ(parsed->dataDirectory, folder.file("home") + "/words/");
    EXPECT_EQ(parsed->mailFrom, "zemtra@example.org") << "the last line counts";
    // XDG_CONFIG_HOME moves the file; --config names another, which must exist.
    variables["XDG_CONFIG_HOME"] = folder.file("xdg");
    EXPECT_EQ(parseCommandLine({}, fromVariables)->sensors, "auto");
    EXPECT_EQ(parseCommandLine({"--config", file}, fromVariables)->sensors, "sim:7");
    EXPECT_EQ(diagnostics.texts(), std::vector<std::string>{});
    EXPECT_EQ(parseCommandLine({"--config", file + "x"}, fromVariables).error(),
              "cannot read the configuration file " + file + "x: No such file or directory");
}

TEST_F(ConfigFileTest, MalformedLinesAreReportedInOrderAndTheRestStillCounts) {
    testing::writeFile(file,
                       "sensors iio\n"
                       "smtp-password = hunter2\n"
                       "sensor = iio\n"
                       "clock = fast\n"
                       "headless = yes\n"
                       "sensors = list\n"
                       "sensors = sim:3\n");
    const auto parsed = parseCommandLine({}, fromVariables);
    ASSERT_TRUE(parsed) << parsed.error();
    EXPECT_EQ(parsed->sensors, "sim:3");
    const std::string where = file + ":";
    EXPECT_EQ(diagnostics.texts(),
              (std::vector<std::string>{
                  where + "1: expected key = value, got 'sensors iio'; the line is ignored",
                  where + "2: 'smtp-password' is refused: passwords are never read from this "
                          "file; set ZEMTRA_SMTP_PASSWORD or keep the password in the desktop's "
                          "secret store (see 'man zemtra'); the line is ignored",
                  where + "3: unknown key 'sensor'; the keys are data, assets, sensors, speech, "
                          "clock, smtp, smtp-user, mail-from, smtp-ca, script, journal, words, "
                          "voice; the line is ignored",
                  where + "4: clock takes real or virtual[:START], got 'fast'; the line is ignored",
                  where + "5: 'headless' is a switch of the command line only; the line is ignored",
                  where + "6: 'sensors = list' lists the sensors and ends the program: it "
                          "belongs on the command line only; the line is ignored",
              }));
    EXPECT_FALSE(parsed->listSensors);
    // A folder where the file should be is reported, and the program starts without it.
    std::filesystem::remove(file);
    std::filesystem::create_directories(file);
    EXPECT_TRUE(parseCommandLine({}, fromVariables));
    EXPECT_EQ(diagnostics.texts().back(), "cannot read the configuration file " + file +
                                              ": it is a folder; starting without it");
}

TEST_F(ConfigFileTest, AWordListAndAVoiceComeFromTheFileOrTheCommandLine) {
    testing::writeFile(folder.file("home/Wörter.txt"), "Haus\n");
    testing::writeFile(folder.file("elsewhere/list.txt"), "Baum\n");
    testing::writeFile(file, "words = ~/Wörter.txt\nvoice = de\nvoice = list\n");
    const auto parsed = parseCommandLine({}, fromVariables);
    ASSERT_TRUE(parsed) << parsed.error();
    EXPECT_EQ(parsed->words, folder.file("home/Wörter.txt"));
    EXPECT_EQ(parsed->voice, "de");
    EXPECT_EQ(diagnostics.texts(),
              std::vector<std::string>{file + ":3: 'voice = list' lists the voices and ends; it "
                                              "belongs on the command line; the line is ignored"});

    // A relative path is kept as the absolute one it meant when the program started.
    const auto here = std::filesystem::current_path();
    std::filesystem::current_path(folder.file("elsewhere"));
    const auto relative =
        parseCommandLine({"--words", "./list.txt", "--voice", "list"}, fromVariables);
    std::filesystem::current_path(here);
    ASSERT_TRUE(relative) << relative.error();
    EXPECT_EQ(relative->words,
              std::filesystem::canonical(folder.file("elsewhere/list.txt")).string());
    EXPECT_EQ(relative->voice, "list");
}

// Answers for alice on mail.example.org and records who was asked for.
class StandInSecretStore final : public platform::SecretStore {
  public:
    std::optional<std::string> mailPassword(const std::string& host,
                                            const std::string& user) override {
        asked += user + "@" + host;
        if (host == "mail.example.org" && user == "alice") return "stored";
        return std::nullopt;
    }
    std::string asked;
};

TEST(MailLogin, TheEnvironmentPasswordWinsOverTheStoreWhichIsAskedForTheServersHost) {
    struct Row {
        std::string url, optionUser;
        std::map<std::string, std::string> environment;
        std::string userPasswordAsked;
    };
    const Row rows[] = {
        {"smtps://bob@mail.example.org:465/",
         "alice",
         {{"ZEMTRA_SMTP_USER", "bob"}},
         "alice stored alice@mail.example.org"},
        {"smtp://[::1]:25", "", {{"ZEMTRA_SMTP_USER", "alice"}}, "alice  alice@::1"},
        {"smtp://mail.example.org", "alice", {{"ZEMTRA_SMTP_PASSWORD", "typed"}}, "alice typed "},
        {"smtp://mail.example.org", "", {}, "  "},
    };
    for (const Row& row : rows) {
        variables = row.environment;
        Options options;
        options.smtpUrl = row.url;
        options.smtpUser = row.optionUser;
        StandInSecretStore store;
        const MailLogin login = mailLogin(options, fromVariables, store);
        EXPECT_EQ(login.user + " " + login.password + " " + store.asked, row.userPasswordAsked);
    }
    variables.clear();
}

}  // namespace
}  // namespace zemtra::app
