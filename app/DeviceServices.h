// The device service classes the application module makes by name ("RtMotion", "RtTTS",
// "RtMailComposer"); their back ends are chosen from the command line and registered in the
// runtime scope by main.
#pragma once

namespace zemtra::app {

// Makes each device service class of this build creatable by its runtime class name.
void registerDeviceServiceClasses();

}  // namespace zemtra::app
