// Drafts as RFC 5322 message files: a multipart/mixed message with the body and each attachment
// base64-encoded (Qt's encoder), headers in UTF-8 encoded words where they are not ASCII, written
// under a new name "draft-YYYYMMDD-HHMMSS[-N].eml" (local time of the message date).
#pragma once

#include "platform/MailDrafts.h"

namespace zemtra::platform::qt {

class QtMailDrafts final : public MailDrafts {
  public:
    DraftOutcome save(const MailMessage& message, const std::string& sender, int64_t epochMillis,
                      const std::string& folder) override;
};

}  // namespace zemtra::platform::qt
