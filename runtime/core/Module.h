// Module base classes. A static module class keeps exactly one instance for the life of the
// runtime scope (StaticModules::New<T>()); a class module gets its runtime core object per
// instance.
// A module's operations are reached by name through its method table (see MethodTable).
#pragma once

#include <functional>
#include <memory>
#include <typeindex>

#include "runtime/core/RtCommon.h"
#include "runtime/core/RtCore.h"
#include "runtime/core/RtObjectWrapper.h"

namespace zemtra {

class RtStaticModule : public RtObjectWrapper {
  public:
    static constexpr StringView kClassName = u"RtStaticModule";
    String className() const override { return String(kClassName); }

    // A module wraps itself: once StaticModules has made it, `object` answers the module, it is
    // initialized and its Tag and bindings live in its own attached map. The reference to itself
    // is dropped when the runtime scope that holds the modules ends.
    const ClassInfo* getClass() const override;
    // Identity, description and hash of the module itself (the wrapper's rules would ask the
    // wrapped object, which is the module again).
    String description() const override { return Object::description(); }
    bool isEqual(const Value& other) const override;
    size_t hash() const override { return Object::hash(); }

    void initializeModule() { _process_globals(); }
    // Initialises every static module of the application; the base raises "Must override".
    virtual void initializeStaticModules();
    // Sets every global to its initial value.
    virtual String _process_globals() { return String(); }

    std::shared_ptr<RtCore> bi;
    // The Common object (`__c`; a double underscore is reserved in C++).
    std::shared_ptr<RtCommon> _c;
};

class RtClass : public Object {
  public:
    static constexpr StringView kClassName = u"RtClass";
    String className() const override { return String(kClassName); }
    String description() const override;

    // Creates `bi` (events target: this instance) and `_c` when absent, then runs _class_globals.
    void initializeClassModule();
    bool IsInitialized() const { return bi != nullptr; }
    virtual String _class_globals() { return String(); }

    std::shared_ptr<RtCore> bi;
    std::shared_ptr<RtCommon> _c;
};

// The single instances of the static modules and the classes known by name, kept in the
// installed runtime scope (so each test's scope starts without modules). Main thread only.
class StaticModules {
  public:
    // `new` of module class T: created on the first call (no further initialisation), with its
    // runtime core object and the Common object; the same instance afterwards.
    template <class T>
    static std::shared_ptr<T> New() {
        return std::static_pointer_cast<T>(
            instance(std::type_index(typeid(T)), [] { return std::make_shared<T>(); }));
    }

    // Makes `New<T>()` reachable by class name (the host looks up "zm_main").
    template <class T>
    static void registerClass(StringView name) {
        registerFactory(name, [] { return std::static_pointer_cast<RtStaticModule>(New<T>()); });
    }
    // `new` of the module class registered under `name`; nullptr when there is none.
    static std::shared_ptr<RtStaticModule> NewByName(StringView name);

  private:
    static std::shared_ptr<RtStaticModule> instance(
        std::type_index type, const std::function<std::shared_ptr<RtStaticModule>()>& make);
    static void registerFactory(StringView name,
                                std::function<std::shared_ptr<RtStaticModule>()> factory);
};

}  // namespace zemtra
