// Static and class modules and the process-wide table of static module instances.
#include "runtime/core/Module.h"

#include <map>
#include <unordered_map>

#include "runtime/core/Record.h"
#include "runtime/core/RtException.h"
#include "runtime/core/RuntimeScope.h"

namespace zemtra {

namespace {

struct ModuleState {
    ModuleState() = default;
    ModuleState(const ModuleState&) = delete;
    ModuleState& operator=(const ModuleState&) = delete;
    // Each module wraps itself; that reference is dropped here so that the modules can go.
    ~ModuleState() {
        for (const auto& [type, module] : instances) module->setObject(Value());
    }

    std::unordered_map<std::type_index, std::shared_ptr<RtStaticModule>> instances;
    std::map<String, std::function<std::shared_ptr<RtStaticModule>()>, std::less<>> factories;
};

// The modules of the installed runtime scope; main thread only, like the modules themselves.
ModuleState& state() {
    return *RuntimeScope::current().getOrCreate<ModuleState>(
        [] { return std::make_shared<ModuleState>(); });
}

}  // namespace

const ClassInfo* RtStaticModule::getClass() const {
    return &classInfoOf<RtStaticModule>();
}

bool RtStaticModule::isEqual(const Value& other) const {
    if (other.object().get() == this) return true;
    const auto wrapper = other.as<RtObjectWrapper>();
    return wrapper && wrapper->objectOrNull().get() == this;
}

void RtStaticModule::initializeStaticModules() {
    raise(u"", u"Must override");
}

std::shared_ptr<RtStaticModule> StaticModules::instance(
    std::type_index type, const std::function<std::shared_ptr<RtStaticModule>()>& make) {
    auto& slot = state().instances[type];
    if (!slot) {
        auto module = make();
        module->bi = RtCore::create(module);
        module->_c = RtCommon::New();
        module->setObject(Value(module));
        slot = std::move(module);
    }
    return slot;
}

void StaticModules::registerFactory(StringView name,
                                    std::function<std::shared_ptr<RtStaticModule>()> factory) {
    state().factories.insert_or_assign(String(name), std::move(factory));
}

std::shared_ptr<RtStaticModule> StaticModules::NewByName(StringView name) {
    const auto& factories = state().factories;
    const auto found = factories.find(name);
    return found == factories.end() ? nullptr : found->second();
}

void RtClass::initializeClassModule() {
    if (!bi) {
        bi = RtCore::create(shared_from_this());
        _c = RtCommon::New();
    }
    _class_globals();
}

String RtClass::description() const {
    if (const auto* record = dynamic_cast<const Record*>(this)) return TypeToString(*record);
    return Object::description();
}

}  // namespace zemtra
