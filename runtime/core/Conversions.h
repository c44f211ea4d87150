// Conversions between values of different kinds that module code relies on implicitly: object to
// number, to 64-bit integer, to boolean, to string, to char; the multi-way branch selector; colour
// packing. RtCore exposes each under its operation name.
#pragma once

#include <span>

#include "runtime/core/Value.h"

namespace zemtra {

// A boxed number is answered unchanged (tag kept). Otherwise the description is read with the
// lenient rule; a zero reading is accepted only when the text starts with "." or "0", else
// raises "Cannot parse: %@".
Number objectToNumber(const Value& value);
// Never raises: numbers truncate toward zero, texts give their integer prefix (saturating).
int64_t objectToLongNumber(const Value& value);
// Numbers: non-zero. Other objects: description is exactly "true". Null: false.
bool objectToBoolean(const Value& value);
// Null gives "null"; everything else its description (a boxed Boolean gives "1" or "0").
String objectToString(const Value& value);
// Numbers as a code unit; otherwise the first code unit of the description; Null and "" give 0.
char16_t objectToChar(const Value& value);
// Index of the first case equal to the value (numbers by Double value), -1 when none.
int32_t switchObjectToInt(const Value& value, std::span<const Value> cases);
// IsKindOfNumber: whether the value is a boxed number whose tag is the first character of `type`.
bool isKindOfNumber(const Value& value, StringView type);
// Whether the whole text (blanks around it allowed) is one number in en_US conventions.
bool isNumber(StringView text);

// Platform colour components (0..1) and the packed ARGB integer.
struct Rgba {
    float red, green, blue, alpha;
};
Rgba colorToRgba(int32_t color);
// Each component is multiplied by 255 and truncated toward zero, not rounded.
int32_t rgbaToColor(const Rgba& rgba);

}  // namespace zemtra
