// The errors the runtime raises: a name (often empty) and a reason text, as module code catches
// them. Everything else in the runtime reports failure through return values.
#pragma once

#include <exception>
#include <string>

#include "runtime/core/Text.h"

namespace zemtra {

class RtException : public std::exception {
  public:
    RtException(String name, String reason);

    const String& name() const { return name_; }
    const String& reason() const { return reason_; }
    // The description a caught exception has in module code (the reason).
    const String& description() const { return reason_; }
    // "name: reason" in UTF-8 for diagnostics; just the reason when the name is empty.
    const char* what() const noexcept override { return what_.c_str(); }

  private:
    String name_;
    String reason_;
    std::string what_;
};

// Raises RtException with the name and the reason pattern filled in.
[[noreturn]] void raise(StringView name, StringView reasonPattern,
                        std::initializer_list<StringView> arguments = {});

}  // namespace zemtra
