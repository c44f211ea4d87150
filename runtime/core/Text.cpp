// UTF-8 <-> UTF-16 through ICU, and placeholder filling for reason texts.
#include "runtime/core/Text.h"
#include "runtime/core/IcuText.h"

#include <unicode/locid.h>
#include <unicode/unistr.h>

namespace zemtra {

String fromUtf8(std::string_view utf8) {
    return fromIcu(icu::UnicodeString::fromUTF8(
        icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size()))));
}

std::string toUtf8(StringView text) {
    const icu::UnicodeString unicode(false, text.data(), static_cast<int32_t>(text.size()));
    std::string out;
    unicode.toUTF8String(out);
    return out;
}

String formatText(StringView pattern, std::initializer_list<StringView> arguments) {
    String out;
    out.reserve(pattern.size() + 16);
    auto next = arguments.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char16_t c = pattern[i];
        if (c != u'%' || i + 1 >= pattern.size()) {
            out += c;
            continue;
        }
        if (pattern[i + 1] == u'%') {
            out += u'%';
            ++i;
            continue;
        }
        size_t length = 0;
        for (StringView placeholder : {StringView(u"@"), StringView(u"d"), StringView(u"i"),
                                       StringView(u"s"), StringView(u"lli")}) {
            if (pattern.substr(i + 1, placeholder.size()) == placeholder) {
                length = placeholder.size();
                break;
            }
        }
        if (length == 0 || next == arguments.end()) {
            out += c;
            continue;
        }
        out += *next++;
        i += length;
    }
    return out;
}

namespace {
const icu::Locale& englishUS() {
    static const icu::Locale locale("en_US");
    return locale;
}
}  // namespace

String toLowerEnUs(StringView text) {
    icu::UnicodeString unicode(text.data(), static_cast<int32_t>(text.size()));
    return fromIcu(unicode.toLower(englishUS()));
}

String toUpperEnUs(StringView text) {
    icu::UnicodeString unicode(text.data(), static_cast<int32_t>(text.size()));
    return fromIcu(unicode.toUpper(englishUS()));
}

String decimal(long long value) {
    const std::string text = std::to_string(value);
    return String(text.begin(), text.end());
}

}  // namespace zemtra
