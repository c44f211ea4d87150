// Interpolation formats; numbers and dates are formatted by ICU.
#include "runtime/lib/SmartStringFormatter.h"

#include <algorithm>
#include <limits>
#include <memory>

#include "runtime/core/Conversions.h"
#include "runtime/core/RtCore.h"
#include "runtime/core/RtException.h"

#include <unicode/decimfmt.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

namespace zemtra {

namespace {

String fromUnicode(const icu::UnicodeString& text) {
    return String(reinterpret_cast<const char16_t*>(text.getBuffer()),
                  static_cast<size_t>(text.length()));
}

String escapeXml(StringView text) {
    String out;
    out.reserve(text.size());
    for (char16_t c : text) {
        switch (c) {
            case u'"':
                out += u"&quot;";
                break;
            case u'&':
                out += u"&amp;";
                break;
            case u'\'':
                out += u"&#39;";
                break;
            case u'<':
                out += u"&lt;";
                break;
            case u'>':
                out += u"&gt;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// A lenient digit count: leading blanks, a sign and digits; anything else ends it.
int32_t digitCount(StringView text) {
    const int64_t count = objectToLongNumber(Value(text));
    return static_cast<int32_t>(std::clamp<int64_t>(count, 0, std::numeric_limits<int32_t>::max()));
}

// Ticks (milliseconds since 1970 UTC) with a fixed pattern in the process's time zone.
String formatTicks(int64_t ticks, const char16_t* pattern) {
    UErrorCode status = U_ZERO_ERROR;
    icu::SimpleDateFormat format(icu::UnicodeString(pattern), icu::Locale(RtCore::cul()), status);
    if (U_FAILURE(status)) raise(u"", u"Cannot format date: %@", {decimal(ticks)});
    format.adoptTimeZone(icu::TimeZone::createDefault());
    icu::UnicodeString out;
    format.format(static_cast<UDate>(ticks), out);
    return fromUnicode(out);
}

}  // namespace

String formatNumber(const Number& number, int32_t minimumIntegerDigits,
                    int32_t maximumFractionDigits) {
    UErrorCode status = U_ZERO_ERROR;
    icu::DecimalFormatSymbols symbols(icu::Locale(RtCore::cul()), status);
    icu::DecimalFormat format(u"#,##0.###", symbols, status);
    if (U_FAILURE(status)) raise(u"", u"Cannot format number: %@", {numberToString(number)});
    // ICU keeps at most 999 digits on either side of the point; larger counts mean "all".
    format.setMinimumIntegerDigits(std::clamp(minimumIntegerDigits, 0, 999));
    format.setMaximumFractionDigits(std::clamp(maximumFractionDigits, 0, 999));
    format.setMinimumFractionDigits(0);
    format.setGroupingUsed(true);
    format.setRoundingMode(icu::DecimalFormat::kRoundHalfEven);
    icu::UnicodeString out;
    if (number.isFloatingPoint()) {
        format.format(number.toDouble(), out);
    } else {
        format.format(static_cast<int64_t>(number.toLong()), out);
    }
    return fromUnicode(out);
}

String SmartStringFormatter(StringView format, const Value& value) {
    if (format.empty()) return objectToString(value);
    if (format == u"date") return formatTicks(objectToLongNumber(value), u"MM/dd/yyyy");
    if (format == u"time") return formatTicks(objectToLongNumber(value), u"HH:mm:ss");
    if (format == u"datetime") {
        const int64_t ticks = objectToLongNumber(value);
        return formatTicks(ticks, u"MM/dd/yyyy") + u" " + formatTicks(ticks, u"HH:mm:ss");
    }
    if (format == u"xml") return escapeXml(objectToString(value));
    const size_t point = format.find(u'.');
    const int32_t minimumIntegerDigits = digitCount(format.substr(0, point));
    const int32_t maximumFractionDigits = point == StringView::npos
                                              ? std::numeric_limits<int32_t>::max()
                                              : digitCount(format.substr(point + 1));
    return formatNumber(objectToNumber(value), minimumIntegerDigits, maximumFractionDigits);
}

}  // namespace zemtra
