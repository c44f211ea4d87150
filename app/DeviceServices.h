// The device services of a run (motion sensors, speech, mail transport), chosen from the command
// line and made known to the application module by their runtime class names.
#pragma once

#include <optional>
#include <string>

#include "app/CommandLine.h"
#include "runtime/core/RuntimeScope.h"

namespace zemtra::app {

// Registers the back ends chosen by --sensors, --speech and --smtp in the scope and the service
// classes by name; answers an error message for the user when a choice cannot be honoured.
std::optional<std::string> setUpDeviceServices(const Options& options, RuntimeScope& scope);

}  // namespace zemtra::app
