// The mail screen: shows a composed message over the main window, modally, and lets the person
// edit the recipients and the subject, then send, save it as a draft or cancel. The screen checks
// what the person entered (MailMessage.h) and refuses a send or save with a message on the screen
// instead of passing a bad message on; only checked messages reach the listener.
//
// One message is shown at a time. The screen stays up until dismiss(): while a send is under way
// the owner calls showSending(); when it succeeds the owner dismisses the screen, when it fails
// the owner shows why with showProblem() and the screen stays, with everything the person typed,
// for them to correct and retry, save a draft or cancel. Main thread only. The listener is held
// weakly: when it is gone, a decision closes the screen and goes nowhere.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/MailMessage.h"

namespace zemtra::platform {

class MailScreenListener {
  public:
    virtual void sendRequested(const MailMessage& message) = 0;
    virtual void saveRequested(const MailMessage& message) = 0;
    virtual void cancelRequested() = 0;

  protected:
    ~MailScreenListener() = default;
};

class MailScreen {
  public:
    virtual ~MailScreen() = default;

    // Shows the message; false (nothing shown) when a screen is already showing.
    virtual bool present(const MailMessage& message,
                         std::weak_ptr<MailScreenListener> listener) = 0;
    // A send is under way: a progress indication, and the buttons do nothing until dismiss().
    virtual void showSending() = 0;
    // A problem to show on the screen, which stays up; a send under way has ended with it, so the
    // buttons act again.
    virtual void showProblem(const std::string& text) = 0;
    virtual void dismiss() = 0;
    virtual bool isShowing() const = 0;
    // The text of the problem shown now, empty when none (what the person reads on the screen).
    virtual std::string problemText() const = 0;

    // The person's actions, for driving the screen from a script. Each answers false when no
    // screen is showing; otherwise it acts exactly as the person's keys and buttons do.
    // Appends an address to the To field as typed.
    virtual bool typeRecipient(std::string_view address) = 0;
    virtual bool pressSend() = 0;
    virtual bool pressSave() = 0;
    virtual bool pressCancel() = 0;
};

}  // namespace zemtra::platform
