// Device service classes by name. A class not registered here is one the module finds missing:
// it then runs as on a device without that service.
#include "app/DeviceServices.h"

#include "runtime/lib/ClassRegistry.h"
#include "services/RtMailComposer.h"
#include "services/RtMotion.h"
#include "services/RtTTS.h"

namespace zemtra::app {

void registerDeviceServiceClasses() {
    ClassRegistry::instance().add<RtMotion>(u"RtMotion");
    ClassRegistry::instance().add<RtTTS>(u"RtTTS");
    ClassRegistry::instance().add<RtMailComposer>(u"RtMailComposer");
}

}  // namespace zemtra::app
