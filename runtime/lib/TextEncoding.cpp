// Character sets through ICU's converters, with stop callbacks: by default ICU substitutes
// unmappable characters silently (0x1A, U+FFFD), which would turn failures into wrong data.
#include "runtime/lib/TextEncoding.h"

#include "runtime/core/RtException.h"
#include "runtime/lib/RtArray.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

namespace zemtra {

namespace {

struct ConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

// A converter that stops at the first unmappable or invalid sequence in both directions.
Converter openStrict(const std::string& name) {
    UErrorCode status = U_ZERO_ERROR;
    Converter converter(ucnv_open(name.c_str(), &status));
    if (U_FAILURE(status)) return nullptr;
    ucnv_setFromUCallBack(converter.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                          &status);
    ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                        &status);
    return U_FAILURE(status) ? nullptr : std::move(converter);
}

// The name as plain ASCII for ICU's alias table; nothing for names that cannot be one.
std::optional<std::string> asciiName(StringView name) {
    std::string out;
    for (char16_t c : name) {
        if (c == 0 || c > 0x7F) return std::nullopt;
        out += static_cast<char>(c);
    }
    return out;
}

}  // namespace

TextEncoding getEncoding(StringView name) {
    if (toLowerEnUs(name) == u"utf8") return TextEncoding::utf8();
    if (const auto ascii = asciiName(name); ascii && !ascii->empty()) {
        UErrorCode status = U_ZERO_ERROR;
        const char* canonical = ucnv_getCanonicalName(ascii->c_str(), "IANA", &status);
        if (U_SUCCESS(status) && canonical && *canonical) return TextEncoding(canonical);
    }
    raise(u"", u"Invalid CharSet %@", {name});
}

std::optional<std::vector<uint8_t>> TextEncoding::encode(StringView text) const {
    const Converter converter = openStrict(converterName_);
    if (!converter) return std::nullopt;
    const auto* source = reinterpret_cast<const UChar*>(text.data());
    const auto sourceLength = static_cast<int32_t>(text.size());
    UErrorCode status = U_ZERO_ERROR;
    const int32_t needed =
        ucnv_fromUChars(converter.get(), nullptr, 0, source, sourceLength, &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return std::nullopt;
    std::vector<uint8_t> bytes(static_cast<size_t>(needed));
    status = U_ZERO_ERROR;
    ucnv_fromUChars(converter.get(), reinterpret_cast<char*>(bytes.data()), needed, source,
                    sourceLength, &status);
    if (U_FAILURE(status)) return std::nullopt;
    return bytes;
}

std::optional<String> TextEncoding::decode(std::span<const uint8_t> bytes) const {
    const Converter converter = openStrict(converterName_);
    if (!converter) return std::nullopt;
    const auto* source = reinterpret_cast<const char*>(bytes.data());
    const auto sourceLength = static_cast<int32_t>(bytes.size());
    UErrorCode status = U_ZERO_ERROR;
    const int32_t needed =
        ucnv_toUChars(converter.get(), nullptr, 0, source, sourceLength, &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return std::nullopt;
    String text(static_cast<size_t>(needed), u'\0');
    status = U_ZERO_ERROR;
    ucnv_toUChars(converter.get(), reinterpret_cast<UChar*>(text.data()), needed, source,
                  sourceLength, &status);
    if (U_FAILURE(status)) return std::nullopt;
    return text;
}

namespace strings {

std::shared_ptr<RtArray> GetBytes(StringView text, StringView charset) {
    const TextEncoding encoding = getEncoding(charset);
    auto bytes = encoding.encode(text);
    if (!bytes) return std::make_shared<RtArray>();
    return RtArray::ofBytes(std::move(*bytes));
}

}  // namespace strings

String BytesToString(const RtArray& bytes, int32_t offset, int32_t length, StringView charset) {
    const TextEncoding encoding = getEncoding(charset);
    const std::span<const uint8_t> all = bytes.bytesData()
                                             ? std::span<const uint8_t>(bytes.bytesData()->bytes)
                                             : std::span<const uint8_t>();
    if (offset < 0 || length < 0 || int64_t{offset} + length > static_cast<int64_t>(all.size())) {
        raise(u"RangeError", u"Range of %d bytes at %d beyond bounds of %d bytes",
              {decimal(length), decimal(offset), decimal(static_cast<long long>(all.size()))});
    }
    auto text =
        encoding.decode(all.subspan(static_cast<size_t>(offset), static_cast<size_t>(length)));
    if (!text) raise(u"", u"Error decoding data as string.");
    return std::move(*text);
}

}  // namespace zemtra
