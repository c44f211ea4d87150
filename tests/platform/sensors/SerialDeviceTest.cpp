// The serial board over a pseudo-terminal pair: the test writes to the master side what a board
// would send, the device reads the other side as a serial port. Lines and parts of lines, lines
// that are skipped, a port that goes away and comes back, and the port names refused.
#include "platform/sensors/SerialDevice.h"

#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <stdexcept>

#include "platform/Diagnostics.h"
#include "platform/sensors/MotionSourceFactory.h"
#include "platform/sensors/PolledMotionSource.h"
#include "tests/support/TemporaryFolder.h"

namespace zemtra::platform::sensors {
namespace {

using namespace std::chrono_literals;

// A pseudo-terminal whose far side is found by its path, as a board's port is.
class Board {
  public:
    Board() {
        int far = -1;
        char name[256] = {};
        if (::openpty(&master_, &far, name, nullptr, nullptr) != 0)
            throw std::runtime_error("openpty failed");
        // The device opens the port by its path, as the program does.
        ::close(far);
        path_ = name;
    }
    ~Board() { unplug(); }
    Board(const Board&) = delete;
    Board& operator=(const Board&) = delete;

    void send(std::string_view text) const {
        while (!text.empty()) {
            const ssize_t written = ::write(master_, text.data(), text.size());
            if (written <= 0) throw std::runtime_error("cannot write to the pseudo-terminal");
            text.remove_prefix(static_cast<size_t>(written));
        }
    }
    void unplug() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }
    const std::string& path() const { return path_; }

  private:
    int master_ = -1;
    std::string path_;
};

class SerialPort : public ::testing::Test {
  protected:
    std::unique_ptr<SerialDevice> open(const std::string& path, int baud = 115200) {
        auto device = SerialDevice::open({.device = path, .baud = baud}, clock);
        if (!device) throw std::runtime_error(device.error());
        return std::move(device).value();
    }
    Result<MotionReading> read(SerialDevice& device) { return device.read(stop.get_token()); }
    std::vector<std::string> warnings() const {
        std::vector<std::string> texts;
        for (const auto& message : diagnostics.messages()) {
            if (message.severity == Severity::warning) texts.push_back(message.text);
        }
        return texts;
    }

    std::chrono::nanoseconds now{};
    const SensorClock clock{[this] { return now; }, true};
    std::stop_source stop;
    const DiagnosticsCapture diagnostics;
};

TEST_F(SerialPort, ReadsTheNewestCompleteLineAndKeepsTheRestOfALineForTheNextRead) {
    const Board board;
    auto device = open(board.path(), 9600);
    EXPECT_EQ(device->description(), "Serial " + board.path() + " 9600");
    // What arrives before the first line end may be the end of a line begun before the port
    // opened ("-17,8,…"): it is dropped even when it reads as six numbers.
    board.send("7,8,3,4,5,6\n");
    auto reading = read(*device);
    EXPECT_FALSE(reading);
    board.send("mx, my, mz, ax, ay, az\r\n10,-20.5,+30,0.1,1e-2,-0.25\r\n");
    reading = read(*device);
    ASSERT_TRUE(reading) << reading.error();
    EXPECT_EQ(reading->magneticField->y, -20.5);
    EXPECT_EQ(reading->deviceMotion->userAcceleration.y, 0.01);

    board.send("1,2,3,4,5,6\n7,8,9,10,11,12\n13,14,");
    reading = read(*device);
    ASSERT_TRUE(reading);
    EXPECT_EQ(reading->magneticField->x, 7) << "the newest complete line";
    reading = read(*device);
    ASSERT_FALSE(reading) << "half a line is no reading yet";
    EXPECT_EQ(reading.error(), "no line from the serial port " + board.path() + " in 100 ms");
    board.send("15,16,17,18\n");
    reading = read(*device);
    ASSERT_TRUE(reading);
    EXPECT_EQ(reading->deviceMotion->userAcceleration.z, 18);

    // A board without a magnetometer leaves its fields empty.
    board.send(",,,0.5,0,0\n");
    reading = read(*device);
    ASSERT_TRUE(reading);
    EXPECT_FALSE(reading->magneticField);
    EXPECT_EQ(reading->deviceMotion->userAcceleration.x, 0.5);
    EXPECT_EQ(device->skippedLines(), 0u) << "the header and the first line are not counted";
    EXPECT_EQ(warnings(), std::vector<std::string>{});
}

TEST_F(SerialPort, LinesThatAreNotSixNumbersAreSkippedCountedAndSaidOnceAMinute) {
    const Board board;
    auto device = open(board.path());
    board.send("\nhello\x01\n1,2,3\n1,2,3,4,5,6,7\n1,2,x,4,5,6\n0x10,2,3,4,5,6\n1,,3,4,5,6\n");
    auto reading = read(*device);
    ASSERT_FALSE(reading);
    EXPECT_EQ(reading.error(),
              "the serial port " + board.path() + " sends lines that are not mx,my,mz,ax,ay,az");
    EXPECT_EQ(device->skippedLines(), 6u);
    EXPECT_EQ(warnings(),
              std::vector<std::string>{"skipped a line from the serial port " + board.path() +
                                       " that is not mx,my,mz,ax,ay,az: 'hello?' "
                                       "(1 line skipped so far)"});

    // An over-long line is dropped to its end, even when its end comes later and would read
    // as numbers on its own; a good line after it counts.
    board.send(std::string(SerialDevice::kMaxLine + 1, '9'));
    EXPECT_FALSE(read(*device));
    board.send("7,2,3,4,5,6\n");
    EXPECT_FALSE(read(*device));
    board.send("1,2,3,4,5,6\n");
    reading = read(*device);
    ASSERT_TRUE(reading);
    EXPECT_EQ(reading->magneticField->x, 1);
    EXPECT_EQ(device->skippedLines(), 7u);
    EXPECT_EQ(warnings().size(), 1u) << "within a minute of the first";

    now += SerialDevice::kReportPeriod;
    board.send("garbage\n");
    EXPECT_FALSE(read(*device));
    ASSERT_EQ(warnings().size(), 2u);
    EXPECT_TRUE(warnings()[1].ends_with("'garbage' (8 lines skipped so far)")) << warnings()[1];

    // Numbers that are not finite are a broken reading, not a line to skip.
    for (const std::string line : {"nan,0,0,0,0,0\n", "0,0,0,0,0,-inf\n"}) {
        board.send(line);
        reading = read(*device);
        ASSERT_FALSE(reading) << line;
        EXPECT_EQ(reading.failure().code, kNotFinite) << line;
    }
    EXPECT_EQ(device->skippedLines(), 8u);

    // A stop request ends a read at once, without a line.
    stop.request_stop();
    EXPECT_EQ(read(*device).error(),
              "the reading of the serial port " + board.path() + " was stopped");
}

TEST_F(SerialPort, APortThatGoesAwayIsLostAndOpenedAgainWhereItsPathPointsThen) {
    const zemtra::testing::TemporaryFolder folder("zemtra-serial");
    const std::filesystem::path link = folder / "board";
    const auto plugIn = [&](const Board& board) {
        std::filesystem::create_symlink(board.path(), folder / "board.new");
        std::filesystem::rename(folder / "board.new", link);
    };
    auto first = std::make_unique<Board>();
    plugIn(*first);
    PolledMotionSource source(open(link.string()), 0ns, clock, PolledMotionSource::Polling::manual);
    source.start(MotionKind::magnetometer);
    source.start(MotionKind::deviceMotion);
    first->send("\n1,2,3,4,5,6\n");
    ASSERT_TRUE(source.poll());

    first->unplug();
    EXPECT_FALSE(source.poll());
    now += 3s;
    const std::string gone = "the serial port " + link.string() + " is gone";
    EXPECT_EQ(source.status().reason, gone);
    EXPECT_TRUE(source.status().lost);

    // Another port under the same name: a board that came back on another pseudo-terminal.
    first.reset();
    auto second = std::make_unique<Board>();
    plugIn(*second);
    EXPECT_FALSE(source.poll()) << "opened again, but nothing has come yet";
    second->send("\n7,8,9,10,11,12\n");
    ASSERT_TRUE(source.poll());
    EXPECT_FALSE(source.status().lost);
    EXPECT_EQ(source.latestMagneticField()->x, 7);
}

TEST(SerialPortNames, TakeABaudRateTermiosKnowsAndRefuseWhatIsNoPort) {
    const auto port = [](const std::string& text) {
        const auto parsed = SerialDevice::parsePort(text);
        return parsed ? parsed->device + " " + std::to_string(parsed->baud) : parsed.error();
    };
    EXPECT_EQ(port("/dev/ttyACM0"), "/dev/ttyACM0 115200");
    EXPECT_EQ(port("/dev/ttyUSB1:9600"), "/dev/ttyUSB1 9600");
    EXPECT_EQ(port("/dev/serial/by-path/pci-0:1.0"), "/dev/serial/by-path/pci-0:1.0 115200");
    EXPECT_TRUE(port("/dev/ttyACM0:14400")
                    .starts_with("14400 is not a baud rate a serial port can be set to; the rates "
                                 "are 50, 75, 110,"));

    const zemtra::testing::TemporaryFolder folder("zemtra-serial");
    zemtra::testing::writeFile(folder / "plain", "");
    const SensorClock clock{[] { return 0ns; }, true};
    for (const auto& [name, error] : std::vector<std::pair<std::string, std::string>>{
             {"serial:/nonexistent/tty",
              "--sensors serial:/nonexistent/tty: the serial port /nonexistent/tty does not exist"},
             {"serial:" + folder.file("plain"), "--sensors serial:" + folder.file("plain") + ": " +
                                                    folder.file("plain") + " is not a serial port"},
             {"serial::9600",
              "--sensors serial::9600: no serial port given (serial:DEVICE[:BAUD])"},
         }) {
        const auto made = createMotionSource(name, clock);
        ASSERT_FALSE(made) << name;
        EXPECT_EQ(made.error(), error);
    }
}

}  // namespace
}  // namespace zemtra::platform::sensors
