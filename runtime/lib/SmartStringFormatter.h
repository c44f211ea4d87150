// The formatter behind interpolated strings ("$xml{text}$", "$1.2{number}$", "$date{ticks}$"),
// chosen by the format text:
//   ""          the value's ObjectToString text
//   "date"      the date part of the value taken as ticks, as the DateTime service formats it
//   "time"      the time part, likewise
//   "datetime"  both, joined by one space
//   "xml"       the value's text with " & ' < > escaped as entities
//   otherwise   a number format "MIN.MAX" (at least MIN integer digits, at most MAX fraction
//               digits) or "MIN" (unlimited fraction digits); digit counts are read leniently
//               (leading digits, none gives 0); the value goes through ObjectToNumber (so a
//               non-numeric text raises "Cannot parse: %@") and is formatted with
//               NumberFormat (en_US conventions, groups of three, half-even rounding).
#pragma once

#include "runtime/core/Value.h"

namespace zemtra {

String SmartStringFormatter(StringView format, const Value& value);

}  // namespace zemtra
