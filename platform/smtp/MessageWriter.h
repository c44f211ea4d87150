// The one writer of mail messages: the bytes the transport sends and the bytes a draft keeps come
// from here, so a sent message and a saved draft are the same format.
//
// What it writes (RFC 5322 with MIME, every line ended by CR LF):
// - Date in the process's time zone with its numeric offset, From, To, Cc, the subject (RFC 2047
//   encoded words when it is not plain ASCII text), a Message-ID made of the date, a random part
//   and the sender's domain, and a multipart/mixed body.
// - Header lines folded at spaces so that none is longer than 78 characters where the content
//   allows it, and none ever longer than 998 (a single address is at most 254).
// - The body as UTF-8 text, quoted-printable; each attachment base64 in lines of 76 characters,
//   its file name as a quoted string when short and ASCII, else as RFC 2231 parameters.
// - Blind copies never appear in a message that is sent (the envelope carries them); a draft keeps
//   them, the sender's own record, and says "X-Unsent: 1" so that mail programs open it as one.
//
// The message must pass the checks of MailMessage.h first; the writer does not check again.
#pragma once

#include <cstdint>
#include <string>

#include "platform/MailMessage.h"

namespace zemtra::platform::smtp {

enum class MessageUse { sending, draft };

// The whole message; `sender` may be empty for a draft (no From header then).
std::string writeMessage(const MailMessage& message, const std::string& sender, int64_t epochMillis,
                         MessageUse use);

// The RFC 5322 date-time of `epochMillis` in the process's time zone (TZ):
// "Mon, 07 Dec 2026 08:15:00 +0100".
std::string messageDate(int64_t epochMillis);

}  // namespace zemtra::platform::smtp
