// Motion samples from a phone on the local network that runs the phyphox app with remote access
// switched on and the experiment assets/zemtra.phyphox open, asked through the app's
// remote-access interface: GET /get?magX=full&... answers one JSON object whose "buffer" object
// holds, per buffer asked for, its values in an array "buffer", and whose "status" object says
// whether a measurement runs ("measuring"); GET /control?cmd=start starts one.
//
// The experiment keeps the magnetometer (magX, magY, magZ, with its time magT) and the linear
// acceleration, gravity removed by the phone (accX, accY, accZ, with accT), each in a buffer
// that holds its latest value only, so every answer is a few hundred bytes. phyphox gives the
// field in microtesla and the acceleration in m/s²; the latter becomes g. The experiment has no
// attitude, so yaw, pitch and roll stay 0: the magnetometer's digits are the ones that count.
//
// Every request has a connection of its own (the app's small server is known to misbehave on
// kept-alive ones), short timeouts and an answer of at most kMaximumAnswer bytes. A reading fails,
// with the reason in plain words, when the phone does not answer, answers something that is not
// JSON or is too large, lacks one of the buffers (named), holds a value that is not a finite
// number (kNotFinite), or has no sample newer than the one before. A phone that answers that it
// is not measuring is asked to start, at most once a kStartPeriod, and that is said once per
// spell. Nothing is kept between requests but the last sample's times, so the phone is found
// again by the next request that gets an answer.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "platform/Result.h"
#include "platform/sensors/MotionDevice.h"
#include "platform/sensors/SensorClock.h"

namespace zemtra::platform::sensors {

// How long a request to the phone may take.
struct PhoneTimeouts {
    std::chrono::milliseconds connect{300};
    std::chrono::milliseconds total{500};  // one request, from connecting to the last byte
};

class PhoneDevice final : public MotionDevice {
  public:
    using Timeouts = PhoneTimeouts;

    // The device for http://HOST:PORT (a trailing "/" allowed, nothing else), or a failure that
    // says what such an address looks like. Nothing is asked yet. The clock paces the start
    // commands.
    static Result<std::unique_ptr<PhoneDevice>> open(const std::string& url, SensorClock clock,
                                                     Timeouts timeouts = {});

    // How often the source asks: the latest sample is at most this old, plus the request's time.
    static constexpr std::chrono::milliseconds kPeriod{50};
    static constexpr std::chrono::seconds kStartPeriod{1};
    static constexpr std::size_t kMaximumAnswer = 1024 * 1024;
    static constexpr double kStandardGravity = 9.80665;  // m/s² in one g

    // The path of the request for a reading.
    static const std::string& readingPath();

  private:
    struct Key {};
    struct Transfer;

  public:
    // Through open() only (the key is private).
    PhoneDevice(Key, std::string address, SensorClock clock, Timeouts timeouts);
    ~PhoneDevice() override;

    // "Phone 192.168.1.20:8080".
    std::string description() const override;
    // One request for the latest sample (and, when the phone is waiting, one to start it). It
    // returns within the timeouts, and soon after `stop` is requested.
    Result<MotionReading> read(const std::stop_token& stop) override;

  private:
    // The answer's body to GET http://ADDRESS<path>.
    Result<std::string> fetch(const std::string& path, const std::stop_token& stop);
    // Asks a waiting phone to start, when the last time was a kStartPeriod ago or more.
    void askToStart(const std::stop_token& stop);

    const std::string address_;  // HOST:PORT
    const SensorClock clock_;
    const std::unique_ptr<Transfer> transfer_;
    std::optional<std::chrono::nanoseconds> lastStart_;   // program's clock
    bool startSaid_ = false;                              // for this spell of waiting
    std::optional<std::pair<double, double>> lastTimes_;  // magT, accT of the last sample
};

}  // namespace zemtra::platform::sensors
