// The mail screen of the Qt back end: a dialog, modal over the main window, with To, Cc and Bcc
// (addresses separated by commas), the subject, the body (rendered as HTML when the message says
// so, else shown as plain text; not editable), the attachments by name and size, and Send, Save
// draft and Cancel. Closing the dialog (its close button, Escape) cancels. While a send runs the
// dialog shows a busy bar and takes no decision; a failed send shows its reason above the buttons
// and leaves every field as the person left it. It works the same on the offscreen platform, so
// headless runs and tests drive the very same widgets. A QApplication must exist; main thread
// only. No Qt header leaks out of this one.
#pragma once

#include <memory>

#include "platform/MailScreen.h"
#include "platform/Window.h"

namespace zemtra::platform::qt {

class QtMailWindow final : public MailScreen {
  public:
    // Modal over `over` when it is the Qt back end's window; else over the whole application.
    explicit QtMailWindow(Window* over);
    ~QtMailWindow() override;
    QtMailWindow(const QtMailWindow&) = delete;
    QtMailWindow& operator=(const QtMailWindow&) = delete;

    bool present(const MailMessage& message, std::weak_ptr<MailScreenListener> listener) override;
    void showSending() override;
    void showProblem(const std::string& text) override;
    void dismiss() override;
    bool isShowing() const override;
    std::string problemText() const override;

    bool typeRecipient(std::string_view address) override;
    bool pressSend() override;
    bool pressSave() override;
    bool pressCancel() override;

    // Whether the busy bar shows (for tests).
    bool showsProgress() const;
    // Saves a PNG of the mail window as it looks now; false when none shows or it cannot be saved.
    bool saveScreenshot(const std::string& path) const;

  private:
    enum class Decision { send, save, cancel };
    // The person's decision: a send or save is checked first and refused on the screen.
    bool decide(Decision decision);

    struct Dialog;
    std::unique_ptr<Dialog> dialog_;
};

}  // namespace zemtra::platform::qt
