// RtException and the raise helper.
#include "runtime/core/RtException.h"

namespace zemtra {

RtException::RtException(String name, String reason)
    : name_(std::move(name)),
      reason_(std::move(reason)),
      what_(name_.empty() ? toUtf8(reason_) : toUtf8(name_) + ": " + toUtf8(reason_)) {}

void raise(StringView name, StringView reasonPattern, std::initializer_list<StringView> arguments) {
    throw RtException(String(name), formatText(reasonPattern, arguments));
}

}  // namespace zemtra
