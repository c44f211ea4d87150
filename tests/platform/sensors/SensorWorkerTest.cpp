// What every source shares: the counting of starts and stops, and the polling thread, which
// must poll only while updates run and end at once, even inside a poll that waits for a device.
#include "platform/sensors/SensorWorker.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <functional>

#include "platform/MotionSource.h"

namespace zemtra::platform::sensors {
namespace {

using namespace std::chrono_literals;

TEST(MotionUpdates, CountStartsPerKindSoThatUsersDoNotSwitchEachOtherOff) {
    MotionUpdates updates;
    const MotionKind kind = MotionKind::magnetometer;
    EXPECT_FALSE(updates.stop(kind)) << "a stop without a start does nothing";
    EXPECT_TRUE(updates.start(kind) && !updates.start(kind)) << "the second user adds a count";
    EXPECT_FALSE(updates.running(MotionKind::deviceMotion) ||
                 updates.everStarted(MotionKind::deviceMotion));
    EXPECT_FALSE(updates.stop(kind));
    EXPECT_TRUE(updates.running(kind) && updates.lastStart(kind)) << "one user still runs it";
    EXPECT_TRUE(updates.stop(kind) && !updates.stop(kind));
    EXPECT_FALSE(updates.anyRunning());
    EXPECT_TRUE(updates.everStarted(kind) && updates.start(kind)) << "the extra stop left no debt";
}

// Waits, at most 10 s, until `done` holds.
bool eventually(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
    }
    return done();
}

TEST(SensorWorkerRealClock, PollsOnlyWhileRunning) {
    std::atomic<int> polls{0};
    SensorWorker worker(1ms, [&](const std::stop_token&) { ++polls; });
    worker.setRunning(true);
    ASSERT_TRUE(eventually([&] { return polls >= 3; }));
    worker.setRunning(false);
    const int stopped = polls;
    std::this_thread::sleep_for(50ms);
    EXPECT_LE(polls - stopped, 1) << "only a poll under way may finish";
    worker.setRunning(true);
    EXPECT_TRUE(eventually([&] { return polls >= stopped + 3; }));
}

TEST(SensorWorkerRealClock, EndsAtOnceWhileWaitingOrInsideABlockingPoll) {
    const auto began = std::chrono::steady_clock::now();
    {
        std::atomic<int> polls{0};
        SensorWorker hourly(1h, [&](const std::stop_token&) { ++polls; });
        hourly.setRunning(true);
        ASSERT_TRUE(eventually([&] { return polls == 1; }));
    }
    // As a serial line is read: a poll blocked on its device, woken through a pipe beside it.
    int line[2];
    ASSERT_EQ(::pipe(line), 0);
    std::atomic<bool> waiting{false}, woken{false};
    {
        SensorWorker serial(0ms, [&](const std::stop_token& stop) {
            const std::stop_callback wake(stop, [&] { EXPECT_EQ(::write(line[1], "", 1), 1); });
            waiting = true;
            pollfd device{.fd = line[0], .events = POLLIN, .revents = 0};
            woken = ::poll(&device, 1, 20'000) == 1;
        });
        serial.setRunning(true);
        ASSERT_TRUE(eventually([&] { return waiting.load(); }));
    }
    EXPECT_TRUE(woken);
    EXPECT_LT(std::chrono::steady_clock::now() - began, 5s);
    ::close(line[0]);
    ::close(line[1]);
}

}  // namespace
}  // namespace zemtra::platform::sensors
