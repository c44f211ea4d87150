// Sensors that go away and come back, as a user meets it: build/zemtra runs headless on the real
// clock over a fake IIO tree whose device the test removes and puts back while the generator
// runs. The program keeps running, says the sensors are lost, and speaks again once they return.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <random>
#include <thread>

#include "tests/app/ProgramRun.h"
#include "tests/support/TemporaryFolder.h"

namespace zemtra::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// One IIO device with an accelerometer and a magnetometer whose raw readings change at 50 Hz, each
// file replaced whole so that the program never reads half a number.
class ChangingDevice {
  public:
    explicit ChangingDevice(fs::path folder) : folder_(std::move(folder)) {}
    ~ChangingDevice() { stop(); }

    void start() {
        writeAll();
        running_ = true;
        thread_ = std::thread([this] {
            while (running_) {
                writeAll();
                std::this_thread::sleep_for(20ms);
            }
        });
    }
    void stop() {
        running_ = false;
        if (thread_.joinable()) thread_.join();
    }

  private:
    void writeAll() {
        fs::create_directories(folder_);
        writeAtomically("name", "accel_magn");
        writeAtomically("in_accel_scale", "0.000598");
        writeAtomically("in_magn_scale", "0.000123");
        for (const char* type : {"accel", "magn"}) {
            for (const char* axis : {"x", "y", "z"}) {
                writeAtomically(std::string("in_") + type + "_" + axis + "_raw",
                                std::to_string(random_() % 20000));
            }
        }
    }
    void writeAtomically(const std::string& name, const std::string& text) {
        writeFile(folder_ / (name + ".new"), text + "\n");
        std::error_code ignored;
        fs::rename(folder_ / (name + ".new"), folder_ / name, ignored);
    }

    const fs::path folder_;
    std::mt19937 random_{7};
    std::atomic<bool> running_{false};
    std::thread thread_;
};

TEST(SensorsEndToEndRealClock, LostSensorsAreShownAndWordsComeAgainWhenTheyReturn) {
    const TemporaryFolder root("zemtra-sensors-e2e");
    const fs::path devices = root / "sys/bus/iio/devices";
    ChangingDevice device(devices / "iio:device0");
    device.start();
    const ProgramOptions program =
        programRun(root.path(), {"--headless", "--on", "--data", root.file("data"), "--assets",
                                 ZEMTRA_BUILD_ASSETS_DIR, "--sensors", "iio:" + root.file("sys"),
                                 "--speech", "none"});
    writeFile(root / "data/sp.txt", "1\n1\n10\n10\n3\n10\n");  // a sample every 0.5 s
    ChildProcess child(program);
    ASSERT_TRUE(child.started());
    ASSERT_TRUE(child.waitForOutput("current value", 10s)) << child.err();

    // Unplugged: the folder goes at once, as the kernel takes it away.
    device.stop();
    fs::rename(devices / "iio:device0", root / "unplugged");
    fs::remove_all(root / "unplugged");
    EXPECT_TRUE(child.waitForOutput("Sensors lost: ", 6s)) << child.out();

    device.start();
    ASSERT_TRUE(child.waitForOutput("Sensors found again", 6s)) << child.out();
    const size_t foundAt = child.out().find("Sensors found again");
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (child.out().find("Spoke =", foundAt) == std::string::npos &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(50ms);
    }
    EXPECT_NE(child.out().find("Spoke =", foundAt), std::string::npos)
        << "words again after the sensors came back:\n"
        << child.out();

    child.signal(SIGTERM);
    const ProgramOutcome outcome = child.wait(10s);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
}

}  // namespace
}  // namespace zemtra::testing
