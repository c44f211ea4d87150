// The formatter behind interpolated strings ("$xml{text}$", "$1.2{number}$", "$date{ticks}$"),
// chosen by the format text:
//   ""          the value's ObjectToString text
//   "date"      the date part of the value taken as ticks, as "MM/dd/yyyy"
//   "time"      the time part, as "HH:mm:ss"
//   "datetime"  both, joined by one space
//   "xml"       the value's text with " & ' < > escaped as entities
//   otherwise   a number format "MIN.MAX" (at least MIN integer digits, at most MAX fraction
//               digits) or "MIN" (unlimited fraction digits); digit counts are read leniently
//               (leading digits, none gives 0); the value goes through ObjectToNumber (so a
//               non-numeric text raises "Cannot parse: %@") and is formatted with en_US
//               conventions, groups of three, half-even rounding.
// Dates and times use the process's time zone; neither output depends on the process locale.
#pragma once

#include "runtime/core/Value.h"

namespace zemtra {

String SmartStringFormatter(StringView format, const Value& value);

// The number rule on its own: `number` with at least `minimumIntegerDigits` integer digits and at
// most `maximumFractionDigits` fraction digits, grouping on ("1,234.5"; 0.5 with 0 integer
// digits gives ".5").
String formatNumber(const Number& number, int32_t minimumIntegerDigits,
                    int32_t maximumFractionDigits);

}  // namespace zemtra
