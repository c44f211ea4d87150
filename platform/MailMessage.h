// A composed mail message as the mail back ends see it, and the checks every back end applies
// before a message leaves the program. Texts are UTF-8. Addresses are bare addresses
// ("ann@example.org", no display name); headers are written from these fields, so a field that
// fails the checks must never reach a header.
#pragma once

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

// Addresses as one header field or text field shows them: "ann@example.org, bob@example.org".
// The one joiner of address lists (the message writer folds the result at its spaces).
inline std::string joinAddresses(const std::vector<std::string>& addresses) {
    std::string out;
    for (const std::string& address : addresses) {
        if (!out.empty()) out += ", ";
        out += address;
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
