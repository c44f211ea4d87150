// A composed mail message as the mail back ends see it, and the checks every back end applies
// before a message leaves the program. Texts are UTF-8. Addresses are bare addresses
// ("ann@example.org", no display name); headers are written from these fields, so a field that
// fails the checks must never reach a header.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zemtra::platform {

struct MailAttachment {
    std::string fileName;
    std::string mimeType;
    std::vector<uint8_t> bytes;
};

struct MailMessage {
    std::vector<std::string> to;
    std::vector<std::string> cc;
    std::vector<std::string> bcc;
    std::string subject;
    std::string body;
    bool bodyIsHtml = false;
    std::vector<MailAttachment> attachments;
};

namespace mail {

inline bool hasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// A dot-atom local part, "@", and a domain of letters, digits and inner hyphens in dot-separated
// labels (one label, as in "root@localhost", is allowed). ASCII only: the transport does not
// offer internationalised addresses.
inline bool isValidAddress(std::string_view address) {
    if (address.empty() || address.size() > 254) return false;
    const size_t at = address.rfind('@');
    if (at == std::string_view::npos || at == 0 || at + 1 == address.size() || at > 64) {
        return false;
    }
    const std::string_view local = address.substr(0, at);
    const std::string_view domain = address.substr(at + 1);
    constexpr std::string_view kAtomSpecials = "!#$%&'*+/=?^_`{|}~-";
    char previous = '.';
    for (const char c : local) {
        const bool alnum =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (c == '.') {
            if (previous == '.') return false;
        } else if (!alnum && kAtomSpecials.find(c) == std::string_view::npos) {
            return false;
        }
        previous = c;
    }
    if (previous == '.') return false;
    size_t labelLength = 0;
    previous = '.';
    for (const char c : domain) {
        const bool alnum =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (c == '.') {
            if (labelLength == 0 || previous == '-') return false;
            labelLength = 0;
        } else if (c == '-') {
            if (labelLength == 0) return false;
            ++labelLength;
        } else if (alnum) {
            ++labelLength;
        } else {
            return false;
        }
        if (labelLength > 63) return false;
        previous = c;
    }
    return labelLength > 0 && previous != '-';
}

// "type/subtype" made of token characters, nothing else (no parameters, no line breaks).
inline bool isValidMimeType(std::string_view type) {
    constexpr std::string_view kTokenSpecials = "!#$&^_.+-";
    const size_t slash = type.find('/');
    if (slash == std::string_view::npos || slash == 0 || slash + 1 == type.size()) return false;
    for (size_t i = 0; i < type.size(); ++i) {
        const char c = type[i];
        if (i == slash) continue;
        const bool alnum =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!alnum && kTokenSpecials.find(c) == std::string_view::npos) return false;
    }
    return true;
}

// What keeps the message from being sent (or saved), in words for the person, or nothing.
// `needRecipient`: sending needs at least one recipient; a draft does not.
inline std::optional<std::string> problemWith(const MailMessage& message, bool needRecipient) {
    const std::pair<const std::vector<std::string>*, const char*> lists[] = {
        {&message.to, "To"}, {&message.cc, "Cc"}, {&message.bcc, "Bcc"}};
    for (const auto& [addresses, field] : lists) {
        for (const std::string& address : *addresses) {
            if (hasLineBreak(address))
                return std::string(field) + ": an address contains a line break.";
            if (!isValidAddress(address)) {
                return std::string(field) + ": \"" + address + "\" is not a valid mail address.";
            }
        }
    }
    if (needRecipient && message.to.empty() && message.cc.empty() && message.bcc.empty()) {
        return "Add at least one recipient.";
    }
    if (hasLineBreak(message.subject)) return "The subject must not contain line breaks.";
    for (const MailAttachment& attachment : message.attachments) {
        if (attachment.fileName.empty() || hasLineBreak(attachment.fileName) ||
            attachment.fileName.find('"') != std::string::npos) {
            return "An attachment has an unusable file name.";
        }
        if (!isValidMimeType(attachment.mimeType)) {
            return "The attachment \"" + attachment.fileName + "\" has an invalid type \"" +
                   attachment.mimeType + "\".";
        }
    }
    return std::nullopt;
}

// Whether `text` may stand in a header as it is: ASCII, no NUL.
inline bool isPlainHeaderText(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80 || c == '\0') return false;
    }
    return true;
}

// Base64 of a few bytes, for the encoded words of a header.
inline std::string base64(std::string_view bytes) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const uint32_t n =
            (uint8_t(bytes[i]) << 16) | (uint8_t(bytes[i + 1]) << 8) | uint8_t(bytes[i + 2]);
        out += {kAlphabet[n >> 18], kAlphabet[(n >> 12) & 63], kAlphabet[(n >> 6) & 63],
                kAlphabet[n & 63]};
    }
    if (i + 1 == bytes.size()) {
        const uint32_t n = uint8_t(bytes[i]) << 16;
        out += {kAlphabet[n >> 18], kAlphabet[(n >> 12) & 63], '=', '='};
    } else if (i + 2 == bytes.size()) {
        const uint32_t n = (uint8_t(bytes[i]) << 16) | (uint8_t(bytes[i + 1]) << 8);
        out += {kAlphabet[n >> 18], kAlphabet[(n >> 12) & 63], kAlphabet[(n >> 6) & 63], '='};
    }
    return out;
}

// A header value (the subject) as it is written: the text itself when plain, else RFC 2047 "B"
// encoded words of at most 45 bytes of text each (so each word stays within 75 characters), never
// splitting a UTF-8 sequence between words. Shared by every back end that writes headers.
inline std::string headerText(std::string_view text) {
    if (isPlainHeaderText(text)) return std::string(text);
    std::string out;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = std::min(text.size(), start + 45);
        while (end < text.size() && end > start && (static_cast<uint8_t>(text[end]) & 0xC0) == 0x80)
            --end;
        if (end == start) end = std::min(text.size(), start + 45);
        if (!out.empty()) out += ' ';
        out += "=?UTF-8?B?" + base64(text.substr(start, end - start)) + "?=";
        start = end;
    }
    return out;
}

// Splits a recipient field as a person types it: addresses separated by commas, semicolons or
// white space; empty pieces are dropped.
inline std::vector<std::string> splitAddresses(std::string_view text) {
    std::vector<std::string> addresses;
    std::string current;
    for (const char c : text) {
        if (c == ',' || c == ';' || c == ' ' || c == '\t') {
            if (!current.empty()) addresses.push_back(std::move(current));
            current.clear();
            continue;
        }
        current.push_back(c);
    }
    if (!current.empty()) addresses.push_back(std::move(current));
    return addresses;
}

}  // namespace mail
}  // namespace zemtra::platform
