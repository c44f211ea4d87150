// The runtime scope: the process-wide services of one run of the program (or of one test), each
// registered together with its back end. `main` and the tests install one for their lifetime, as
// they install the main queue; nothing is created behind the caller's back.
//
// Contract:
// - A service is keyed by the type it is registered under (usually a platform interface or a
//   runtime service class); registering a type again replaces the earlier service.
// - get<S>() raises "ServiceError" with the reason "Service not registered: <type>" when S was
//   never registered, so a missing back end is an error at the point of use, not a silent default.
// - Registration and lookup happen on the main thread; the services themselves say what they
//   allow on other threads.
// - Scopes nest: installing one hides the previous until it is destroyed.
#pragma once

#include <memory>
#include <string>
#include <typeindex>
#include <typeinfo>
#include <unordered_map>

namespace zemtra {

class RuntimeScope {
  public:
    RuntimeScope();
    RuntimeScope(const RuntimeScope&) = delete;
    RuntimeScope& operator=(const RuntimeScope&) = delete;
    ~RuntimeScope();

    template <class S>
    void add(std::shared_ptr<S> service) {
        services_[std::type_index(typeid(S))] = std::move(service);
    }
    template <class S>
    std::shared_ptr<S> find() const {
        const auto found = services_.find(std::type_index(typeid(S)));
        if (found == services_.end()) return nullptr;
        return std::static_pointer_cast<S>(found->second);
    }
    template <class S>
    std::shared_ptr<S> get() const {
        if (auto service = find<S>()) return service;
        missing(typeid(S));
    }
    template <class S>
    bool has() const {
        return services_.contains(std::type_index(typeid(S)));
    }

    // The installed scope; raises "ServiceError" when none is installed.
    static RuntimeScope& current();
    static RuntimeScope* currentOrNull();

  private:
    [[noreturn]] static void missing(const std::type_info& type);

    std::unordered_map<std::type_index, std::shared_ptr<void>> services_;
    RuntimeScope* previous_;
};

}  // namespace zemtra
