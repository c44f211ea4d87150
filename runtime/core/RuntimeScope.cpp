// The runtime scope and its installation.
#include "runtime/core/RuntimeScope.h"

#include <cxxabi.h>

#include <atomic>
#include <cstdlib>

#include "runtime/core/RtException.h"
#include "runtime/core/Text.h"

namespace zemtra {

namespace {

// The installed scope. Atomic because back-end threads may look it up while the main thread
// installs or removes one in tests; the services themselves are reached on the main thread.
std::atomic<RuntimeScope*>& installed() {
    static std::atomic<RuntimeScope*> scope{nullptr};
    return scope;
}

std::string readableTypeName(const std::type_info& type) {
    int status = 0;
    char* demangled = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
    if (status != 0 || !demangled) return type.name();
    std::string name(demangled);
    std::free(demangled);  // NOLINT: memory from the ABI's demangler
    return name;
}

}  // namespace

RuntimeScope::RuntimeScope() : previous_(installed().exchange(this)) {}

RuntimeScope::~RuntimeScope() {
    // Services are dropped while this scope is still the installed one, outside the lock, so a
    // destructor may look up (or even create) others; repeat until nothing is left.
    for (;;) {
        std::unordered_map<std::type_index, std::shared_ptr<void>> dropping;
        {
            std::lock_guard lock(mutex_);
            if (services_.empty()) break;
            dropping.swap(services_);
        }
    }
    installed().store(previous_);
}

RuntimeScope& RuntimeScope::current() {
    if (RuntimeScope* scope = installed().load()) return *scope;
    raise(u"ServiceError", u"No runtime scope is installed");
}

RuntimeScope* RuntimeScope::currentOrNull() {
    return installed().load();
}

void RuntimeScope::missing(const std::type_info& type) {
    raise(u"ServiceError", u"Service not registered: %@", {fromUtf8(readableTypeName(type))});
}

}  // namespace zemtra
