// Interpolation formats; numbers and dates go through the number and date-time services.
#include "runtime/lib/SmartStringFormatter.h"

#include <algorithm>
#include <limits>
#include <memory>

#include "runtime/core/Conversions.h"
#include "runtime/core/RtCommon.h"
#include "runtime/core/RtCore.h"
#include "runtime/core/RtException.h"
#include "runtime/lib/RtDateTime.h"
#include "runtime/lib/RtNumbers.h"

namespace zemtra {

namespace {

RtDateTime& dates() {
    return *RtCommon::New()->service<RtDateTime>();
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

}  // namespace

String SmartStringFormatter(StringView format, const Value& value) {
    if (format.empty()) return objectToString(value);
    if (format == u"date") return dates().Date(objectToLongNumber(value));
    if (format == u"time") return dates().Time(objectToLongNumber(value));
    if (format == u"datetime") {
        const int64_t ticks = objectToLongNumber(value);
        return dates().Date(ticks) + u" " + dates().Time(ticks);
    }
    if (format == u"xml") return escapeXml(objectToString(value));
    const size_t point = format.find(u'.');
    const int32_t minimumIntegerDigits = digitCount(format.substr(0, point));
    const int32_t maximumFractionDigits = point == StringView::npos
                                              ? std::numeric_limits<int32_t>::max()
                                              : digitCount(format.substr(point + 1));
    return RtCommon::New()->service<RtNumbers>()->NumberFormat(
        objectToNumber(value).toDouble(), minimumIntegerDigits, maximumFractionDigits);
}

}  // namespace zemtra
