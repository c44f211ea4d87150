// The message writer: headers, folding, the encodings of the body and the attachments.
#include "platform/smtp/MessageWriter.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <random>
#include <string_view>
#include <vector>

namespace zemtra::platform::smtp {

namespace {

// Header lines fold before this length where a space allows it.
constexpr size_t kFoldLength = 78;
// Bytes of text per RFC 2047 encoded word: 52 characters of base64, so that "Subject: " and one
// word stay within the fold length.
constexpr size_t kEncodedWordBytes = 39;
// Characters of an RFC 2231 parameter section, so that a section with its name fits a line.
constexpr size_t kParameterSectionLength = 60;

const char kHexDigits[] = "0123456789ABCDEF";

// The program's only base64 encoder.
std::string base64(std::string_view bytes) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t count = std::min<size_t>(3, bytes.size() - i);
        uint32_t group = static_cast<uint8_t>(bytes[i]) << 16;
        if (count > 1) group |= static_cast<uint8_t>(bytes[i + 1]) << 8;
        if (count > 2) group |= static_cast<uint8_t>(bytes[i + 2]);
        out += kAlphabet[group >> 18];
        out += kAlphabet[(group >> 12) & 63];
        out += count > 1 ? kAlphabet[(group >> 6) & 63] : '=';
        out += count > 2 ? kAlphabet[group & 63] : '=';
    }
    return out;
}

// Base64 in lines of 76 characters joined by CR LF (no line end after the last).
std::string base64Lines(std::string_view bytes) {
    const std::string encoded = base64(bytes);
    std::string out;
    for (size_t at = 0; at < encoded.size(); at += 76) {
        if (at > 0) out += "\r\n";
        out.append(encoded, at, 76);
    }
    return out;
}

void appendHex(std::string& out, char prefix, uint8_t byte) {
    out += prefix;
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 15];
}

// "Name: value" folded at the value's spaces: a line break goes before a space wherever the
// next piece would pass the fold length, never right after the name and never leaving a line of
// white space only. A piece longer than a line stays whole, so callers keep pieces short.
std::string headerLine(std::string_view name, std::string_view value) {
    std::string out(name);
    out += ':';
    size_t lineLength = out.size();
    size_t start = 0;
    for (;;) {
        const size_t space = value.find(' ', start);
        const std::string_view piece =
            value.substr(start, space == std::string_view::npos ? space : space - start);
        if (!piece.empty() && lineLength > name.size() + 1 &&
            lineLength + 1 + piece.size() > kFoldLength) {
            out += "\r\n";
            lineLength = 0;
        }
        out += ' ';
        out += piece;
        lineLength += 1 + piece.size();
        if (space == std::string_view::npos) break;
        start = space + 1;
    }
    out += "\r\n";
    return out;
}

// Text that may stand in a header as it is: printable ASCII and spaces, nothing a reader would
// take for an encoded word, and no word too long to fold.
bool isPlainHeaderText(std::string_view text) {
    size_t word = 0;
    for (const char c : text) {
        if (c < ' ' || c > '~') return false;
        word = c == ' ' ? 0 : word + 1;
        if (word >= kFoldLength - 1) return false;
    }
    return text.find("=?") == std::string_view::npos;
}

// The text itself when plain, else RFC 2047 "B" encoded words separated by spaces (where the
// line folds; readers drop white space between encoded words), never splitting a UTF-8
// sequence between two words.
std::string headerText(std::string_view text) {
    if (isPlainHeaderText(text)) return std::string(text);
    std::string out;
    for (size_t start = 0; start < text.size();) {
        size_t end = std::min(text.size(), start + kEncodedWordBytes);
        while (end < text.size() && end > start + 1 &&
               (static_cast<uint8_t>(text[end]) & 0xC0) == 0x80) {
            --end;
        }
        if (!out.empty()) out += ' ';
        out += "=?UTF-8?B?" + base64(text.substr(start, end - start)) + "?=";
        start = end;
    }
    return out;
}

// The Content-Disposition parameters that carry `name`: a quoted string when it is short printable
// ASCII (a '"' is refused by the checks; a backslash is escaped), else RFC 2231 percent-encoded
// UTF-8, cut into numbered sections when long (never inside a %XX).
std::string fileNameParameters(std::string_view name) {
    bool plain = name.size() <= kParameterSectionLength;
    for (const char c : name) plain = plain && c >= ' ' && c <= '~';
    if (plain) {
        std::string quoted = "filename=\"";
        for (const char c : name) {
            if (c == '\\') quoted += '\\';
            quoted += c;
        }
        return quoted + "\"";
    }
    constexpr std::string_view kAttributeSpecials = "!#$&+-.^_`|~";
    std::vector<std::string> sections{"UTF-8''"};
    for (const char c : name) {
        const bool alnum =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        std::string piece;
        if (alnum || kAttributeSpecials.find(c) != std::string_view::npos) {
            piece = c;
        } else {
            appendHex(piece, '%', static_cast<uint8_t>(c));
        }
        if (sections.back().size() + piece.size() > kParameterSectionLength)
            sections.emplace_back();
        sections.back() += piece;
    }
    if (sections.size() == 1) return "filename*=" + sections.front();
    std::string out;
    for (size_t i = 0; i < sections.size(); ++i) {
        if (i > 0) out += "; ";
        out += "filename*" + std::to_string(i) + "*=" + sections[i];
    }
    return out;
}

// Quoted-printable text (RFC 2045): the text's line ends (LF or CR LF) become CR LF, lines are
// cut by soft breaks to at most 76 characters, and what could be changed on the way is encoded:
// "=", bytes outside printable ASCII, white space before a line end, and a "." or "From " at the
// start of a line.
std::string quotedPrintable(std::string_view text) {
    std::string out;
    size_t lineLength = 0;
    const auto lineEndsAt = [text](size_t at) {
        return at >= text.size() || text[at] == '\n' ||
               (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n');
    };
    for (size_t i = 0; i < text.size(); ++i) {
        if (lineEndsAt(i)) {
            if (text[i] == '\r') ++i;
            out += "\r\n";
            lineLength = 0;
            continue;
        }
        const char c = text[i];
        const bool space = c == ' ' || c == '\t';
        const bool encode = c == '=' || (!space && (c < ' ' || c > '~')) ||
                            (space && lineEndsAt(i + 1)) ||
                            (lineLength == 0 && (c == '.' || text.substr(i, 5) == "From "));
        const size_t width = encode ? 3 : 1;
        if (lineLength + width > 75) {
            out += "=\r\n";
            lineLength = 0;
        }
        if (encode) {
            appendHex(out, '=', static_cast<uint8_t>(c));
        } else {
            out += c;
        }
        lineLength += width;
    }
    return out;
}

// 64 random bits in hexadecimal: the part of the Message-ID and of the boundary that makes them
// unique among messages written in the same millisecond.
std::string randomToken() {
    thread_local std::mt19937_64 generator{std::random_device{}()};
    std::string token;
    uint64_t bits = generator();
    for (int i = 0; i < 16; ++i, bits >>= 4) token += "0123456789abcdef"[bits & 15];
    return token;
}

}  // namespace

std::string messageDate(int64_t epochMillis) {
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::time_t seconds = static_cast<std::time_t>(
        epochMillis >= 0 ? epochMillis / 1000 : -((-epochMillis + 999) / 1000));
    std::tm local{};
    localtime_r(&seconds, &local);
    const long offset = local.tm_gmtoff / 60;
    const long magnitude = offset < 0 ? -offset : offset;
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d %c%02ld%02ld",
                  kDays[local.tm_wday], local.tm_mday, kMonths[local.tm_mon], local.tm_year + 1900,
                  local.tm_hour, local.tm_min, local.tm_sec, offset < 0 ? '-' : '+', magnitude / 60,
                  magnitude % 60);
    return text;
}

std::string writeMessage(const MailMessage& message, const std::string& sender, int64_t epochMillis,
                         MessageUse use) {
    const std::string token = randomToken();
    // "=_" occurs in neither base64 nor quoted-printable text, so no part can hold the boundary.
    const std::string boundary = "=_zemtra_" + token;
    const size_t at = sender.rfind('@');
    const std::string domain = at == std::string::npos ? "localhost" : sender.substr(at + 1);

    std::string out = headerLine("Date", messageDate(epochMillis));
    if (!sender.empty()) out += headerLine("From", sender);
    if (!message.to.empty()) out += headerLine("To", mail::joinAddresses(message.to));
    if (!message.cc.empty()) out += headerLine("Cc", mail::joinAddresses(message.cc));
    if (use == MessageUse::draft && !message.bcc.empty()) {
        out += headerLine("Bcc", mail::joinAddresses(message.bcc));
    }
    if (!message.subject.empty()) out += headerLine("Subject", headerText(message.subject));
    out += headerLine("Message-ID",
                      "<" + std::to_string(epochMillis) + "." + token + "@" + domain + ">");
    out += "MIME-Version: 1.0\r\n";
    if (use == MessageUse::draft) out += "X-Unsent: 1\r\n";
    out += headerLine("Content-Type", "multipart/mixed; boundary=\"" + boundary + "\"");
    out += "\r\n";

    out += "--" + boundary + "\r\n";
    out += message.bodyIsHtml ? "Content-Type: text/html; charset=UTF-8\r\n"
                              : "Content-Type: text/plain; charset=UTF-8\r\n";
    out += "Content-Transfer-Encoding: quoted-printable\r\n\r\n";
    out += quotedPrintable(message.body);
    for (const MailAttachment& attachment : message.attachments) {
        out += "\r\n--" + boundary + "\r\n";
        out += headerLine("Content-Type", attachment.mimeType);
        out += headerLine("Content-Disposition",
                          "attachment; " + fileNameParameters(attachment.fileName));
        out += "Content-Transfer-Encoding: base64\r\n\r\n";
        out += base64Lines(std::string_view(reinterpret_cast<const char*>(attachment.bytes.data()),
                                            attachment.bytes.size()));
    }
    out += "\r\n--" + boundary + "--\r\n";
    return out;
}

}  // namespace zemtra::platform::smtp
