// Drafts as message files in a folder: "draft-YYYYMMDD-HHMMSS[-N].eml" (the local time of the
// message's date), written by the message writer, so that a draft is exactly what would have been
// sent, blind copies and "X-Unsent: 1" added. Holds no state: it may be used from any thread.
#pragma once

#include <string>

#include "platform/MailDrafts.h"

namespace zemtra::platform::smtp {

class FileMailDrafts final : public MailDrafts {
  public:
    // `folder` is created when the first draft is written.
    explicit FileMailDrafts(std::string folder) : folder_(std::move(folder)) {}

    const std::string& folder() const { return folder_; }
    Result<std::string> save(const MailMessage& message, const std::string& sender,
                             int64_t epochMillis) override;

  private:
    const std::string folder_;
};

}  // namespace zemtra::platform::smtp
