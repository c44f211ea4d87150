// Motion samples from a microcontroller board that writes text lines to a serial port
// ("/dev/ttyACM0"): one sample per line, "mx,my,mz,ax,ay,az", the magnetic field in microtesla
// and the acceleration in g with gravity removed (a replay file's columns without the time).
// Empty mx,my,mz fields mean a board without a magnetometer. A header line that names the
// columns and blank lines are passed over; the attitude stays 0, as the board sends none.
//
// The port is set to raw mode (no echo, no line editing, 8 bits, the receiver on and the modem
// lines ignored) at the baud rate asked for. A read takes what has arrived and answers the newest
// complete line; the rest of a line waits for the next read. It waits for a line for at most
// kLineWait, and returns soon once its stop is requested, so the source polls it with a period of
// zero on a thread of its own.
//
// A line that is not six numbers (or is longer than kMaxLine bytes) is skipped and counted, and
// said with its text at most once a kReportPeriod of the program's clock. A line with a number
// that is not finite ("nan", "inf") fails the reading with kNotFinite. The first line after the
// port opens is dropped unread: it may have begun before the port was open, and a line that lost
// its beginning can still read as six numbers.
//
// A port that goes away (the board unplugged: a hang-up, EIO, ENXIO) fails the readings with
// "the serial port DEVICE is gone" and is opened again by its path once a kReopenPeriod, so a
// board that comes back (under the same name, or a link re-pointed to it) is read again.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "platform/Result.h"
#include "platform/sensors/MotionDevice.h"
#include "platform/sensors/SensorClock.h"

namespace zemtra::platform::sensors {

class SerialDevice final : public MotionDevice {
  public:
    struct Port {
        std::string device;
        int baud = 0;
    };

    static constexpr int kDefaultBaud = 115200;
    static constexpr size_t kMaxLine = 256;
    static constexpr std::chrono::milliseconds kLineWait{100};
    static constexpr std::chrono::seconds kReopenPeriod{1};
    static constexpr std::chrono::seconds kReportPeriod{60};

    // "DEVICE[:BAUD]": a last ":" part of digits only is the baud rate (default kDefaultBaud),
    // which must be one of the rates termios knows; anything else belongs to the path.
    static Result<Port> parsePort(const std::string& text);

    // The port opened and set up, or why not ("the serial port /dev/ttyACM0 does not exist").
    static Result<std::unique_ptr<SerialDevice>> open(const Port& port, SensorClock clock);

  private:
    struct Key {};

  public:
    // Through open() only (the key is private). Takes the port's descriptor and the one that
    // wakes a waiting read.
    SerialDevice(Key, Port port, SensorClock clock, int descriptor, int wake);
    ~SerialDevice() override;
    SerialDevice(const SerialDevice&) = delete;
    SerialDevice& operator=(const SerialDevice&) = delete;

    // "Serial /dev/ttyACM0 115200".
    std::string description() const override;
    Result<MotionReading> read(const std::stop_token& stop) override;

    // The lines skipped so far as not readable; on any thread.
    uint64_t skippedLines() const { return skipped_.load(); }

  private:
    struct Line;
    enum class Drained { open, gone };

    // Reads what has arrived into the pending text, keeping the newest line that holds numbers.
    Drained drain(std::optional<Line>& newest);
    // Splits the complete lines off the pending text.
    void takeLines(std::optional<Line>& newest);
    void lineEnded(std::string_view text, std::optional<Line>& newest);
    void skip(std::string_view text);
    Result<MotionReading> gone();
    // Opens the port again when a kReopenPeriod has passed since the last try.
    bool reopen();

    const Port port_;
    const SensorClock clock_;
    int descriptor_;  // -1 while the port is gone
    const int wake_;  // an eventfd that a stop request makes readable
    std::string pending_;
    bool discarding_ = true;  // until the next line end: the first line, or an over-long one
    bool overLong_ = false;   // what is being discarded is an over-long line
    std::chrono::nanoseconds nextOpen_{};
    std::optional<std::chrono::nanoseconds> lastReport_;
    std::atomic<uint64_t> skipped_{0};
};

}  // namespace zemtra::platform::sensors
