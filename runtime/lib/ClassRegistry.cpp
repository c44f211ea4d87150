// The class registry, seeded with the collection and text classes of the runtime library.
#include "runtime/lib/ClassRegistry.h"

#include "runtime/lib/RtArray.h"
#include "runtime/lib/RtList.h"
#include "runtime/lib/RtMap.h"
#include "runtime/lib/RtStringBuilder.h"

namespace zemtra {

ClassRegistry& ClassRegistry::instance() {
    static ClassRegistry registry;
    return registry;
}

ClassRegistry::ClassRegistry() {
    addLibraryClasses();
}

void ClassRegistry::addLibraryClasses() {
    add<RtList>(RtList::kClassName);
    add<RtMap>(RtMap::kClassName);
    add<RtArray>(RtArray::kClassName);
    add<RtStringBuilder>(RtStringBuilder::kClassName);
}

void ClassRegistry::add(StringView name, Factory factory) {
    factories_.insert_or_assign(String(name), std::move(factory));
}

ObjectRef ClassRegistry::create(StringView name) const {
    const auto found = factories_.find(name);
    return found == factories_.end() ? nullptr : found->second();
}

bool ClassRegistry::contains(StringView name) const {
    return factories_.find(name) != factories_.end();
}

void ClassRegistry::resetForTesting() {
    factories_.clear();
    addLibraryClasses();
}

}  // namespace zemtra
