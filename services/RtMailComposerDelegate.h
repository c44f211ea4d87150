// The mail composer's delegate: it hears the mail screen's decisions, sends or saves the message
// (a failure goes back to the screen, which stays), or hands the message to the desktop's mail
// program, and turns the person's leaving into the composer's "complete" event. It lives in the
// controller's attached map under "delegate"; the screen and the transport hold it only weakly, so
// a composer dropped by the module while its screen shows leaves nothing behind (its outcome goes
// nowhere).
#pragma once

#include <memory>

#include "platform/MailHandoff.h"
#include "platform/MailScreen.h"
#include "runtime/core/Object.h"

namespace zemtra {

class MailComposeController;

class RtMailComposerDelegate final : public Object, public platform::MailScreenListener {
  public:
    static constexpr StringView kClassName = u"RtMailComposerDelegate";
    String className() const override { return String(kClassName); }

    explicit RtMailComposerDelegate(const std::shared_ptr<MailComposeController>& controller)
        : controller_(controller) {}

    // The page the screen was shown over (weak).
    ObjectRef parent() const { return parent_.lock(); }
    void setParent(const ObjectRef& parent) { parent_ = parent; }

    // Shows the controller's message on `screen` (held weakly: the program may end with a screen
    // up); false when the screen is busy with another message.
    bool present(const std::shared_ptr<platform::MailScreen>& screen);

    // Hands the controller's message to the desktop's mail program; "complete" follows with
    // RESULT_SAVED when it took the message, else RESULT_FAILED (the reason in the log).
    void handOver(const std::shared_ptr<platform::MailHandoff>& handoff);

    // Raises "complete" with `result` now, then closes the screen.
    void finish(int32_t result);

    void sendRequested(const platform::MailMessage& message) override;
    void saveRequested(const platform::MailMessage& message) override;
    void cancelRequested() override;

  private:
    // Queues finish(result): the person's decisions come from the window system, outside the
    // main queue's tasks, and the handler must run as a task.
    void finishLater(int32_t result);
    std::weak_ptr<RtMailComposerDelegate> weakSelf();
    // Shows why the message was not sent or saved on the screen, which stays, and logs it.
    void showFailure(const std::string& reason);

    std::weak_ptr<MailComposeController> controller_;
    std::weak_ptr<Object> parent_;
    std::weak_ptr<platform::MailScreen> screen_;
    bool busy_ = false;  // a send or a queued completion is under way
};

}  // namespace zemtra
