// Turns the --sensors text into a source.
#include "platform/sensors/MotionSourceFactory.h"

#include <charconv>

#include "platform/Diagnostics.h"
#include "platform/sensors/IioDevice.h"
#include "platform/sensors/PhoneDevice.h"
#include "platform/sensors/PolledMotionSource.h"
#include "platform/sensors/ReplayMotionSource.h"
#include "platform/sensors/SerialDevice.h"
#include "platform/sensors/SimulatedMotionSource.h"

namespace zemtra::platform::sensors {

namespace {

std::shared_ptr<MotionSource> polledIio(std::unique_ptr<IioDevice> device,
                                        const SensorClock& clock) {
    // Under the virtual clock the device is asked as the program's time passes, not the real
    // time, so that losing it and finding it again are judged exactly.
    const auto polling = clock.isVirtual ? PolledMotionSource::Polling::whenRead
                                         : PolledMotionSource::Polling::ownThread;
    return std::make_shared<PolledMotionSource>(std::move(device), IioDevice::kPeriod, clock,
                                                polling);
}

}  // namespace

Result<std::shared_ptr<MotionSource>> createMotionSource(const std::string& name,
                                                         const SensorClock& clock,
                                                         const std::filesystem::path& sysfsRoot) {
    const auto colon = name.find(':');
    const std::string kind = name.substr(0, colon);
    const bool hasArgument = colon != std::string::npos;
    const std::string argument = hasArgument ? name.substr(colon + 1) : std::string();

    if (name == "auto") {
        auto opened = IioDevice::open(sysfsRoot, clock);
        if (opened && (*opened)->hasMagnetometer())
            return polledIio(std::move(opened).value(), clock);
        diagnostics::debug(
            "--sensors auto: " + (opened ? (*opened)->description() : opened.error()) +
            "; the sensors are simulated");
        return std::shared_ptr<MotionSource>(
            std::make_shared<SimulatedMotionSource>(SimulatedMotionSource::kDefaultSeed, clock));
    }
    if (kind == "sim") {
        uint64_t seed = SimulatedMotionSource::kDefaultSeed;
        if (hasArgument) {
            const auto [end, error] =
                std::from_chars(argument.data(), argument.data() + argument.size(), seed);
            if (argument.empty() || error != std::errc() ||
                end != argument.data() + argument.size()) {
                return fail("--sensors sim:SEED needs a whole number as SEED, got '" + argument +
                            "'");
            }
        }
        return std::shared_ptr<MotionSource>(std::make_shared<SimulatedMotionSource>(seed, clock));
    }
    // The reason of a back end that cannot be made, after the option that asked for it.
    const auto refused = [&name](const Failure& failure) {
        return fail("--sensors " + name + ": " + failure.reason, failure.code);
    };
    if (kind == "iio" && !(hasArgument && argument.empty())) {
        auto opened = IioDevice::open(hasArgument ? argument : "/sys", clock);
        if (!opened) return refused(opened.failure());
        return polledIio(std::move(opened).value(), clock);
    }
    if (kind == "serial" && !argument.empty()) {
        const auto port = SerialDevice::parsePort(argument);
        if (!port) return refused(port.failure());
        auto opened = SerialDevice::open(*port, clock);
        if (!opened) return refused(opened.failure());
        // The read waits for the board's next line itself, so it is asked again at once, on a
        // thread of its own under either clock: a board keeps the real time whatever the
        // program's clock says.
        return std::shared_ptr<MotionSource>(std::make_shared<PolledMotionSource>(
            std::move(opened).value(), std::chrono::nanoseconds::zero(), clock,
            PolledMotionSource::Polling::ownThread));
    }
    if (kind == "phone" && hasArgument) {
        auto opened = PhoneDevice::open(argument, clock);
        if (!opened) return refused(opened.failure());
        // On a thread of its own under either clock, as the board: a phone keeps the real time,
        // and a request that waits for it must never hold up the main thread.
        return std::shared_ptr<MotionSource>(
            std::make_shared<PolledMotionSource>(std::move(opened).value(), PhoneDevice::kPeriod,
                                                 clock, PolledMotionSource::Polling::ownThread));
    }
    if (kind == "replay" && !argument.empty()) {
        auto loaded = ReplayMotionSource::load(argument, clock);
        if (!loaded) return refused(loaded.failure());
        return std::shared_ptr<MotionSource>(std::move(loaded).value());
    }
    return fail(
        "--sensors takes auto, sim[:SEED], iio[:SYSFS_ROOT], serial:DEVICE[:BAUD], "
        "phone:http://HOST:PORT or replay:FILE, got '" +
        name + "'");
}

}  // namespace zemtra::platform::sensors
