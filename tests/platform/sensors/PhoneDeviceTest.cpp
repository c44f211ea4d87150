// The phone device against a stand-in for phyphox's remote-access server on 127.0.0.1: readings
// and their units, a phone that waits to be started, each way an answer can fail and a phone that
// comes back, and a stop while the phone hangs.
#include "platform/sensors/PhoneDevice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "platform/Diagnostics.h"
#include "tests/support/PhoneTestServer.h"

namespace zemtra::platform::sensors {
namespace {

using namespace std::chrono_literals;

// An answer as phyphox gives it, with the status and the buffers given (JSON text per buffer).
std::string answer(bool measuring,
                   const std::vector<std::pair<std::string, std::string>>& buffers) {
    std::string text = R"({"buffer": {)";
    for (const auto& [name, values] : buffers) {
        if (text.back() != '{') text += ", ";
        text += '"' + name + R"(": {"size": 1, "updateMode": "full", "buffer": )" + values + "}";
    }
    return text + R"(}, "status": {"session": "5f3c2a", "measuring": )" +
           (measuring ? "true" : "false") + R"(, "timedRun": false, "countDown": 0}})";
}

std::vector<std::pair<std::string, std::string>> sample(double time) {
    const std::string t = "[" + std::to_string(time) + "]";
    return {{"magX", "[12.5]"}, {"magY", "[-3.25]"},   {"magZ", "[-41]"},      {"magT", t},
            {"accX", "[0.5]"},  {"accY", "[9.80665]"}, {"accZ", "[-19.6133]"}, {"accT", t}};
}

class Phone : public ::testing::Test {
  protected:
    std::unique_ptr<PhoneDevice> open(PhoneDevice::Timeouts timeouts = {}) {
        return PhoneDevice::open(server.url(), clock, timeouts).value();
    }
    size_t starts() const {
        const auto requests = server.requests();
        return std::count(requests.begin(), requests.end(), "/control?cmd=start");
    }

    zemtra::testing::PhoneTestServer server;
    std::chrono::nanoseconds now{};
    const SensorClock clock{[this] { return now; }, true};
    const DiagnosticsCapture diagnostics;
};

TEST_F(Phone, ReadsTheLatestSampleInMicroteslaAndGOnlyWhenItIsNew) {
    server.answerText(answer(true, sample(1.5)));
    auto device = open();  // its description: the factory's test
    const MotionReading reading = device->read({}).value();
    const MagneticField& f = *reading.magneticField;
    const Acceleration& a = reading.deviceMotion->userAcceleration;
    EXPECT_EQ((std::vector{f.x, f.y, f.z, a.y, a.z}),
              (std::vector<double>{12.5, -3.25, -41, 1, -2}));
    EXPECT_DOUBLE_EQ(a.x, 0.5 / 9.80665);
    EXPECT_EQ(device->read({}).error(), "the phone at " + server.address() + " sent no new sample");
    server.answerText(answer(true, sample(1.52)));
    EXPECT_TRUE(device->read({}));
}

TEST_F(Phone, AWaitingPhoneIsAskedToStartAtMostOnceASecondAndThatIsSaidOnce) {
    server.answerText(answer(false, sample(0)));
    auto device = open();
    EXPECT_EQ(device->read({}).error(), "the phone at " + server.address() + " is not measuring");
    now = 999ms;
    EXPECT_FALSE(device->read({}));
    EXPECT_EQ(starts(), 1u);
    now = 1s;
    EXPECT_FALSE(device->read({}));
    EXPECT_EQ(starts(), 2u);
    EXPECT_EQ(diagnostics.texts(), std::vector<std::string>{"The phone at " + server.address() +
                                                            " was not measuring; zemtra asked it "
                                                            "to start"});
    // The stand-in measures once started.
    server.answerLive(false);
    now = 2s;
    EXPECT_FALSE(device->read({}));
    EXPECT_TRUE(device->read({}));
}

TEST_F(Phone, EachBrokenAnswerSaysWhy) {
    auto device = open();
    const std::string at = "the phone at " + server.address();
    auto withoutAcceleration = sample(1);
    withoutAcceleration.resize(4);
    auto withNull = sample(1);
    withNull[1].second = "[null]";
    const struct {
        std::string body;
        int status;
        std::string reason;
        std::error_code code = {};
    } rows[] = {
        {"<html>phyphox</html>", 200, at + " answered something that is not JSON"},
        {"[1, 2]", 200, at + " answered JSON without phyphox's \"buffer\" and \"status\" objects"},
        {"not found", 404, at + " answered HTTP 404 to " + PhoneDevice::readingPath()},
        {std::string(1'100'000, ' '), 200, at + " answered more than 1 MB"},
        {answer(true, withoutAcceleration), 200,
         "the phone's experiment has no buffer accX, accY, accZ, accT; open zemtra.phyphox on "
         "the phone"},
        {answer(true, withNull), 200, "the phone sent a magY that is not a finite number",
         kNotFinite},
    };
    for (const auto& row : rows) {
        server.answerText(row.body, row.status);
        const auto reading = device->read({});
        ASSERT_FALSE(reading) << row.reason;
        EXPECT_EQ(reading.error(), row.reason);
        EXPECT_EQ(reading.failure().code, row.code) << row.reason;
    }
    // A phone gone and back: every request has a connection of its own, so the next one after
    // its return reads again (how long a loss takes to show is the polled source's matter).
    server.stop();
    EXPECT_TRUE(device->read({}).error().starts_with("no answer from " + at + " ("));
    server.answerLive();
    server.start();
    EXPECT_TRUE(device->read({}));
}

TEST_F(Phone, AStopEndsAReadAtOnceWhileThePhoneHangs) {
    server.answer(R"({"delay": 30})");
    auto device = open({.connect = 10s, .total = 20s});
    std::stop_source stop;
    std::jthread stopper([&stop] {
        std::this_thread::sleep_for(200ms);
        stop.request_stop();
    });
    const auto began = std::chrono::steady_clock::now();
    EXPECT_FALSE(device->read(stop.get_token()));
    EXPECT_LT(std::chrono::steady_clock::now() - began, 2s);
}

}  // namespace
}  // namespace zemtra::platform::sensors
