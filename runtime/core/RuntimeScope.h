// The runtime scope: the process-wide services of one run of the program (or of one test), each
// registered together with its back end, and the runtime's own shared objects (the shared runtime
// core object, the Common object, the static modules). `main` and the tests install one for their
// lifetime, as they install the main queue; no service is created behind the caller's back.
//
// Contract:
// - A service is keyed by the type it is registered under (usually a platform interface or a
//   runtime service class); registering a type again replaces the earlier service.
// - get<S>() raises "ServiceError" with the reason "Service not registered: <type>" when S was
//   never registered, so a missing back end is an error at the point of use, not a silent default.
// - getOrCreate<S>() is for the runtime's own objects that need no back end: the first call
//   creates the object, every later call answers the same one, also when threads race.
// - The table is guarded, so lookups are safe from any thread while the scope is installed; the
//   services themselves say what they allow on other threads. Installing and removing a scope
//   happens on the main thread while no other thread uses it.
// - Scopes nest: installing one hides the previous until it is destroyed. A scope drops its
//   services while it is still installed, so their destructors may still look up the others.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
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
        std::shared_ptr<void> replaced;  // dropped outside the lock: its destructor may look up
        std::lock_guard lock(mutex_);
        auto& slot = services_[std::type_index(typeid(S))];
        replaced = std::move(slot);
        slot = std::move(service);
    }
    template <class S>
    std::shared_ptr<S> find() const {
        std::lock_guard lock(mutex_);
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
        std::lock_guard lock(mutex_);
        return services_.contains(std::type_index(typeid(S)));
    }
    // The object registered under S, made with `make` on first use. `make` runs outside the lock
    // (it may use the scope); when two threads race, the first one stored wins.
    template <class S, class Make>
    std::shared_ptr<S> getOrCreate(Make&& make) {
        if (auto existing = find<S>()) return existing;
        std::shared_ptr<S> made = std::forward<Make>(make)();
        std::lock_guard lock(mutex_);
        auto& slot = services_[std::type_index(typeid(S))];
        if (!slot) slot = std::move(made);
        return std::static_pointer_cast<S>(slot);
    }

    // The installed scope; raises "ServiceError" when none is installed.
    static RuntimeScope& current();
    static RuntimeScope* currentOrNull();

  private:
    [[noreturn]] static void missing(const std::type_info& type);

    mutable std::mutex mutex_;
    std::unordered_map<std::type_index, std::shared_ptr<void>> services_;
    RuntimeScope* previous_;
};

}  // namespace zemtra
