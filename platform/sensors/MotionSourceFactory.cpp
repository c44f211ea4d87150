// Turns the --sensors text into a source.
#include "platform/sensors/MotionSourceFactory.h"

#include <charconv>

#include "platform/sensors/IioDevice.h"
#include "platform/sensors/PhoneDevice.h"
#include "platform/sensors/PolledMotionSource.h"
#include "platform/sensors/ReplayMotionSource.h"
#include "platform/sensors/SimulatedMotionSource.h"

namespace zemtra::platform::sensors {

Result<std::shared_ptr<MotionSource>> createMotionSource(const std::string& name,
                                                         const SensorClock& clock) {
    const auto colon = name.find(':');
    const std::string kind = name.substr(0, colon);
    const bool hasArgument = colon != std::string::npos;
    const std::string argument = hasArgument ? name.substr(colon + 1) : std::string();

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
        // Under the virtual clock the device is asked as the program's time passes, not the
        // real time, so that losing it and finding it again are judged exactly.
        const auto polling = clock.isVirtual ? PolledMotionSource::Polling::whenRead
                                             : PolledMotionSource::Polling::ownThread;
        return std::shared_ptr<MotionSource>(std::make_shared<PolledMotionSource>(
            std::move(opened).value(), IioDevice::kPeriod, clock, polling));
    }
    if (kind == "phone" && hasArgument) {
        auto opened = PhoneDevice::open(argument, clock);
        if (!opened) return refused(opened.failure());
        // As the IIO device: asked as the program's time passes under the virtual clock.
        const auto polling = clock.isVirtual ? PolledMotionSource::Polling::whenRead
                                             : PolledMotionSource::Polling::ownThread;
        return std::shared_ptr<MotionSource>(std::make_shared<PolledMotionSource>(
            std::move(opened).value(), PhoneDevice::kPeriod, clock, polling));
    }
    if (kind == "replay" && !argument.empty()) {
        auto loaded = ReplayMotionSource::load(argument, clock);
        if (!loaded) return refused(loaded.failure());
        return std::shared_ptr<MotionSource>(std::move(loaded).value());
    }
    return fail(
        "--sensors takes sim[:SEED], iio[:SYSFS_ROOT], replay:FILE or phone:http://HOST:PORT, got "
        "'" +
        name + "'");
}

}  // namespace zemtra::platform::sensors
