// Registration of the runtime library's standard services.
#include "runtime/lib/StandardServices.h"

#include <memory>

#include "runtime/core/RuntimeScope.h"
#include "runtime/lib/RtBit.h"
#include "runtime/lib/RtColors.h"
#include "runtime/lib/RtDateTime.h"
#include "runtime/lib/RtFile.h"
#include "runtime/lib/RtNumbers.h"
#include "runtime/lib/RtRegex.h"

namespace zemtra {

void registerStandardServices(RuntimeScope& scope) {
    scope.add(std::make_shared<RtFile>());
    scope.add(std::make_shared<RtDateTime>());
    scope.add(std::make_shared<RtRegex>());
    scope.add(std::make_shared<RtNumbers>());
    scope.add(std::make_shared<RtColors>());
    scope.add(std::make_shared<RtBit>());
}

}  // namespace zemtra
