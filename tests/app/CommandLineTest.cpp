// The command line: defaults, each option's checks and the messages a user sees.
#include <gtest/gtest.h>

#include "app/CommandLine.h"

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
    EXPECT_EQ(parsed->sensors, "sim");
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
    EXPECT_TRUE(o.headless);
    EXPECT_EQ(o.dataDirectory, "/tmp/d/");
    EXPECT_EQ(o.assetsDirectory, "a/");
    EXPECT_EQ(o.sensors, "sim:42");
    EXPECT_EQ(o.speech, "wav:out.wav");
    EXPECT_TRUE(o.virtualClock);
    EXPECT_EQ(o.clockStartTicks, 1000);
    EXPECT_EQ(parseCommandLine({"--clock", "virtual:253402300799999"}, homeOnly)->clockStartTicks,
              253402300799999);
    EXPECT_EQ(o.smtpUrl, "smtp://127.0.0.1:2525");
    EXPECT_EQ(o.script, "-");
    EXPECT_TRUE(o.switchOn);
}

TEST(CommandLine, BadValuesSayWhatIsAccepted) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> rows{
        {{"--sensors", "gps"},
         "--sensors takes sim[:SEED], iio[:SYSFS_ROOT] or replay:FILE, got 'gps'"},
        {{"--sensors", "sim:x"}, "--sensors sim:SEED needs a whole number as SEED, got 'x'"},
        {{"--speech", "wav:"}, "--speech takes espeak, wav:FILE or none, got 'wav:'"},
        {{"--clock", "fast"}, "--clock takes real or virtual[:START], got 'fast'"},
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

}  // namespace
}  // namespace zemtra::app
