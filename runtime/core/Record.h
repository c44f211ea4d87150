// Records (class-module instances, period objects) describe themselves field by field, in
// declaration order; TypeToString builds "[name=value, ...]" from that with a recursion guard.
#pragma once

#include <cstdint>
#include <functional>

#include "runtime/core/Value.h"

namespace zemtra {

// Receives each field of a record; names are stored with their leading underscore.
class FieldVisitor {
  public:
    virtual ~FieldVisitor() = default;
    virtual void field(StringView name, const Value& object) = 0;
    virtual void field(StringView name, int8_t value) = 0;
    virtual void field(StringView name, uint8_t value) = 0;
    virtual void field(StringView name, int16_t value) = 0;
    virtual void field(StringView name, uint16_t value) = 0;
    virtual void field(StringView name, int32_t value) = 0;
    virtual void field(StringView name, uint32_t value) = 0;
    virtual void field(StringView name, int64_t value) = 0;
    virtual void field(StringView name, float value) = 0;
    virtual void field(StringView name, double value) = 0;
    virtual void field(StringView name, bool value) = 0;
    // A field of a type the description cannot show: "Unknown type: %s".
    virtual void unknownField(StringView name, std::string_view typeCode) = 0;
};

class Record {
  public:
    virtual ~Record() = default;
    virtual void visitFields(FieldVisitor& visitor) const = 0;
};

// "[" + "name=value, " per field (name without its first character, a line feed after every
// third field) with the last two characters removed, + "]". Never raises: an error while
// describing is logged as "TypeToString error: %@" and gives "N/A". A record nested 50 levels
// deep, even one inside its own description, and sharing beyond a fixed bound answer "" (see
// DescriptionGuard.h), so any description stays cheap. The flag does not change the result.
String TypeToString(const Record& record, bool flag = false);

}  // namespace zemtra
