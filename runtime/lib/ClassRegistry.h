// Creation of objects by class name, for object arrays created without a default value (arrays
// of lists, maps, views or records: every slot gets a new instance made with the class's plain
// constructor). The runtime library's own classes are always known; other libraries add theirs.
// A documented process-wide singleton; main thread only.
#pragma once

#include <functional>
#include <map>
#include <memory>

#include "runtime/core/Object.h"

namespace zemtra {

class ClassRegistry {
  public:
    using Factory = std::function<ObjectRef()>;

    static ClassRegistry& instance();

    // Makes `create(name)` answer a new T; a later registration under the same name wins.
    template <class T>
    void add(StringView name) {
        add(name, [] { return std::make_shared<T>(); });
    }
    void add(StringView name, Factory factory);

    // A new instance of the class registered under `name`; nullptr when there is none.
    ObjectRef create(StringView name) const;
    bool contains(StringView name) const;

    // Forgets every registration but the runtime library's own classes.
    void resetForTesting();

  private:
    ClassRegistry();
    void addLibraryClasses();

    std::map<String, Factory, std::less<>> factories_;
};

}  // namespace zemtra
