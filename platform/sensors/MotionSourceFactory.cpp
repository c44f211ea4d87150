// Turns the --sensors text into a source.
#include "platform/sensors/MotionSourceFactory.h"

#include <charconv>

#include "platform/sensors/IioMotionSource.h"
#include "platform/sensors/ReplayMotionSource.h"
#include "platform/sensors/SimulatedMotionSource.h"

namespace zemtra::platform::sensors {

MotionSourceChoice createMotionSource(const std::string& name, const SensorClock& clock) {
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
                return {nullptr,
                        "--sensors sim:SEED needs a whole number as SEED, got '" + argument + "'"};
            }
        }
        return {std::make_shared<SimulatedMotionSource>(seed, clock), ""};
    }
    if (kind == "iio" && !(hasArgument && argument.empty())) {
        auto opened = IioMotionSource::open(hasArgument ? argument : "/sys");
        if (!opened.source) return {nullptr, "--sensors " + name + ": " + opened.error};
        return {std::move(opened.source), ""};
    }
    if (kind == "replay" && !argument.empty()) {
        auto loaded = ReplayMotionSource::load(argument, clock);
        if (!loaded.source) return {nullptr, "--sensors " + name + ": " + loaded.error};
        return {std::move(loaded.source), ""};
    }
    return {nullptr,
            "--sensors takes sim[:SEED], iio[:SYSFS_ROOT] or replay:FILE, got '" + name + "'"};
}

}  // namespace zemtra::platform::sensors
