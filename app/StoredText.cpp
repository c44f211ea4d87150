// Numbers and encoding faults in the generator's text files.
#include "app/StoredText.h"

#include <unicode/utf8.h>

#include <cstdio>
#include <string>

#include "runtime/core/Conversions.h"
#include "runtime/core/RtException.h"
#include "runtime/lib/RtFile.h"
#include "runtime/lib/RtList.h"

namespace zemtra::app {

namespace {

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\f' || c == u'\v' || c == 0xA0;
}

// Where the file's bytes stop being UTF-8, or nothing when they are UTF-8 or cannot be read.
std::optional<String> encodingFault(const RtFile& files, const String& dir, const String& name) {
    String latin1;
    try {
        // ISO-8859-1 maps each byte to the character of the same number: the file's bytes.
        latin1 = files.ReadString2(dir, name, u"ISO-8859-1");
    } catch (const RtException&) {
        return std::nullopt;
    }
    std::string bytes(latin1.size(), '\0');
    for (size_t index = 0; index < latin1.size(); ++index)
        bytes[index] = static_cast<char>(latin1[index]);
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    const auto length = static_cast<int32_t>(bytes.size());
    int32_t line = 1;
    for (int32_t offset = 0; offset < length;) {
        const int32_t start = offset;
        UChar32 character = 0;
        U8_NEXT(data, offset, length, character);
        if (character < 0) {
            char byte[8];
            std::snprintf(byte, sizeof byte, "0x%02X", data[start]);
            return fromUtf8("line " + std::to_string(line) + ", byte " + byte + " at offset " +
                            std::to_string(start));
        }
        if (character == '\n') ++line;
    }
    return std::nullopt;
}

}  // namespace

std::optional<int32_t> storedNumber(StringView text) {
    try {
        return objectToNumber(Value(String(text))).toInt();
    } catch (const RtException&) {
    }
    // The conversion tells "no number" from a reading of 0 by the text's first character alone,
    // so a zero behind a sign or blanks is refused; read past them and ask again.
    size_t start = 0;
    while (start < text.size() && isBlank(text[start])) ++start;
    if (start < text.size() && (text[start] == u'-' || text[start] == u'+')) ++start;
    if (start == 0 || start == text.size()) return std::nullopt;
    if (text[start] != u'0' && text[start] != u'.') return std::nullopt;
    try {
        // 0, or a number the first try would have read already.
        return objectToNumber(Value(String(text.substr(start)))).toInt();
    } catch (const RtException&) {
        return std::nullopt;
    }
}

platform::Result<std::shared_ptr<RtList>> readStoredLines(const RtFile& files, const String& dir,
                                                          const String& name) {
    try {
        return files.ReadList(dir, name);
    } catch (const RtException& error) {
        if (const auto fault = encodingFault(files, dir, name)) {
            return platform::fail("is not UTF-8 text (" + toUtf8(*fault) + ")",
                                  std::make_error_code(std::errc::illegal_byte_sequence));
        }
        return platform::fail("cannot be read (" + toUtf8(error.reason()) + ")");
    }
}

platform::Result<std::vector<String>> readWordList(const RtFile& files, const String& dir,
                                                   const String& name) {
    auto lines = readStoredLines(files, dir, name);
    if (!lines) return lines.failure();
    std::vector<String> words;
    words.reserve(static_cast<size_t>(lines.value()->Size()));
    for (int32_t line = 0; line < lines.value()->Size(); ++line) {
        String word = objectToString(lines.value()->Get(line));
        if (line == 0 && !word.empty() && word.front() == u'\uFEFF') word.erase(0, 1);
        size_t start = 0;
        while (start < word.size() && isBlank(word[start])) ++start;
        size_t end = word.size();
        while (end > start && isBlank(word[end - 1])) --end;
        if (end > start) words.push_back(word.substr(start, end - start));
    }
    return words;
}

}  // namespace zemtra::app
