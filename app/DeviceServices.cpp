// Device service set-up. The motion, speech and mail service classes are registered here as they
// become part of the program; until then the module finds none and runs as on a device without
// them (no readings, no speech, mail that cannot be sent).
#include "app/DeviceServices.h"

namespace zemtra::app {

std::optional<std::string> setUpDeviceServices(const Options&, RuntimeScope&) {
    return std::nullopt;
}

}  // namespace zemtra::app
