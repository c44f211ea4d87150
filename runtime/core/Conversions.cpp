// The value conversions. The number scanners are written out here because their acceptance rules
// (which prefixes count, where scanning stops) are the system's own, not any library's.
#include "runtime/core/Conversions.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <string>
#include <string_view>

#include "runtime/core/MethodTable.h"
#include "runtime/core/Object.h"
#include "runtime/core/RtException.h"

namespace zemtra {

namespace {

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f' || c == u'\v' ||
           c == 0xA0;
}
bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// Length of the decimal floating-point literal at the start of `text` (sign, digits, optional
// fraction, optional exponent); 0 when there is none.
size_t numericPrefix(StringView text) {
    size_t i = 0;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) ++i;
    size_t digits = 0;
    while (i < text.size() && isDigit(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == u'.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        size_t j = i + 1;
        if (j < text.size() && (text[j] == u'+' || text[j] == u'-')) ++j;
        if (j < text.size() && isDigit(text[j])) {
            while (j < text.size() && isDigit(text[j])) ++j;
            i = j;
        }
    }
    return i;
}

// The power of ten of the first significant digit of an unsigned decimal literal with at least
// one non-zero digit (saturated far beyond the range of a double).
int64_t decimalExponent(std::string_view literal) {
    const size_t mantissaEnd = std::min(literal.find_first_of("eE"), literal.size());
    const std::string_view mantissa = literal.substr(0, mantissaEnd);
    const size_t point = std::min(mantissa.find('.'), mantissa.size());
    const size_t first = mantissa.find_first_of("123456789");
    int64_t exponent = first < point ? static_cast<int64_t>(point - first) - 1
                                     : -static_cast<int64_t>(first - point);
    int64_t written = 0;
    bool negative = false;
    size_t i = mantissaEnd + 1;
    if (i < literal.size() && (literal[i] == '+' || literal[i] == '-'))
        negative = literal[i++] == '-';
    for (; i < literal.size(); ++i)
        written = std::min<int64_t>(written * 10 + (literal[i] - '0'), 1'000'000'000);
    exponent += negative ? -written : written;
    return exponent;
}

double parseLiteral(StringView literal) {
    std::string ascii(literal.begin(), literal.end());
    const bool negative = !ascii.empty() && ascii[0] == '-';
    if (!ascii.empty() && (ascii[0] == '+' || ascii[0] == '-')) ascii.erase(0, 1);
    double value = 0;
    const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        // from_chars leaves the value alone when it is out of range; the platform answers infinity
        // or 0, decided by the decimal exponent of the first significant digit (the spelling of
        // the exponent says nothing: 1000...0e-5 is huge and 0.000...01 tiny).
        value = decimalExponent(ascii) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -value : value;
}

StringView skipBlanks(StringView text) {
    size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    return text.substr(i);
}

}  // namespace

double leadingDouble(StringView text) {
    const StringView rest = skipBlanks(text);
    const size_t length = numericPrefix(rest);
    return length == 0 ? 0.0 : parseLiteral(rest.substr(0, length));
}

Number objectToNumber(const Value& value) {
    if (const Number* number = value.number()) return *number;
    const String text = value.description();
    const double parsed = leadingDouble(text);
    if (parsed != 0.0) return Number::ofDouble(parsed);
    if (!text.empty() && (text[0] == u'.' || text[0] == u'0')) return Number::ofDouble(0.0);
    raise(u"", u"Cannot parse: %@", {text});
}

int64_t objectToLongNumber(const Value& value) {
    if (const Number* number = value.number()) return number->toLong();
    const String text = value.description();
    StringView rest = skipBlanks(text);
    bool negative = false;
    if (!rest.empty() && (rest[0] == u'+' || rest[0] == u'-')) {
        negative = rest[0] == u'-';
        rest.remove_prefix(1);
    }
    // Accumulate negatively so that the minimum value is reachable without overflow.
    int64_t result = 0;
    for (char16_t c : rest) {
        if (!isDigit(c)) break;
        const int digit = c - u'0';
        if (result < (std::numeric_limits<int64_t>::min() + digit) / 10) {
            return negative ? std::numeric_limits<int64_t>::min()
                            : std::numeric_limits<int64_t>::max();
        }
        result = result * 10 - digit;
    }
    if (negative) return result;
    return result == std::numeric_limits<int64_t>::min() ? std::numeric_limits<int64_t>::max()
                                                         : -result;
}

bool objectToBoolean(const Value& value) {
    if (value.isNull()) return false;
    if (const Number* number = value.number()) return number->toBoolean();
    return value.description() == u"true";
}

String objectToString(const Value& value) {
    if (value.isNull()) return u"null";
    return value.description();
}

char16_t objectToChar(const Value& value) {
    if (value.isNull()) return 0;
    if (const Number* number = value.number())
        return static_cast<char16_t>(number->toUnsignedShort());
    const String text = value.description();
    return text.empty() ? 0 : text[0];
}

int32_t switchObjectToInt(const Value& value, std::span<const Value> cases) {
    const Number* number = value.number();
    for (size_t i = 0; i < cases.size(); ++i) {
        if (number) {
            const Number* other = cases[i].number();
            if (other && number->toDouble() == other->toDouble()) return static_cast<int32_t>(i);
        } else if (value.equals(cases[i])) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

bool isKindOfNumber(const Value& value, StringView type) {
    const Number* number = value.number();
    return number && !type.empty() && type[0] == static_cast<char16_t>(number->tag());
}

bool isNumber(StringView text) {
    const StringView rest = skipBlanks(text);
    const size_t length = numericPrefix(rest);
    if (length == 0) return false;
    return skipBlanks(rest.substr(length)).empty();
}

Rgba colorToRgba(int32_t color) {
    const auto bits = static_cast<uint32_t>(color);
    return Rgba{static_cast<float>((bits >> 16) & 0xFF) / 255.0f,
                static_cast<float>((bits >> 8) & 0xFF) / 255.0f,
                static_cast<float>(bits & 0xFF) / 255.0f, static_cast<float>(bits >> 24) / 255.0f};
}

int32_t rgbaToColor(const Rgba& rgba) {
    const auto channel = [](float component) {
        return static_cast<uint32_t>(static_cast<int32_t>(component * 255.0f)) & 0xFF;
    };
    return static_cast<int32_t>(channel(rgba.alpha) << 24 | channel(rgba.red) << 16 |
                                channel(rgba.green) << 8 | channel(rgba.blue));
}

}  // namespace zemtra
