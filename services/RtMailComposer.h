// The mail composer: module code fills in a message (recipients, subject, body, attachments read
// from files), shows it, and learns by the event prefix + "_complete:" how the person left it.
//
// Where the message goes depends on the back ends in the installed runtime scope:
// - with a platform::MailTransport (a mail server is set up), the mail screen
//   (platform::MailScreen) shows it and Send sends it through the transport;
// - else, with a platform::MailHandoff (a desktop with its own mail program), Show: hands it to
//   that program and no screen of ours shows;
// - else the mail screen shows it, drafts can be saved, and Send says that no server is set up.
// Without a screen and a handoff the composer stays uninitialised: its setters do nothing, and
// Show: logs why and queues "complete" with RESULT_FAILED. CanSendMail answers whether a transport
// or a handoff is there.
//
// The screen deals with failures itself: a send or a draft that fails shows its reason on the
// screen (and in the log), which stays up with what the person typed; "complete" comes only when
// the person leaves: RESULT_SENT, RESULT_SAVED (the log says where the draft was written) or
// RESULT_CANCELLED, also after a failed send. A handoff completes with RESULT_SAVED when the mail
// program took the message (it was not sent by us; WasHandedOver then answers true) and with
// RESULT_FAILED, the reason in the log, when it did not. RESULT_FAILED also answers a Show: that
// could not show.
//
// The completion event is raised from a task of the main queue, with the screen still showing;
// the screen closes right after the handler returns (also when it raises). Main thread only; sends
// and handoffs run on their back ends' threads and post their outcomes back.
#pragma once

#include <memory>

#include "platform/MailMessage.h"
#include "runtime/core/RtObjectWrapper.h"
#include "services/RtMailComposerDelegate.h"

namespace zemtra {

class RtList;

// The wrapped object: the composition controller holding the message while it is made and shown.
class MailComposeController final : public Object {
  public:
    static constexpr StringView kClassName = u"MFMailComposeViewController";
    String className() const override { return String(kClassName); }

    platform::MailMessage message;
    bool presented = false;
    bool handedOver = false;  // the message went to the desktop's mail program
};

class RtMailComposer final : public RtObjectWrapper {
  public:
    static constexpr StringView kClassName = u"RtMailComposer";
    String className() const override { return String(kClassName); }
    const ClassInfo* getClass() const override { return &classInfoOf<MailComposeController>(); }
    const MethodTable* methods() const override;

    static constexpr int32_t kResultCancelled = 0;
    static constexpr int32_t kResultSaved = 1;
    static constexpr int32_t kResultSent = 2;
    static constexpr int32_t kResultFailed = 3;

    bool CanSendMail() const;
    void Initialize(const std::shared_ptr<RtCore>& core, const String& eventName);
    void SetToRecipients(const std::shared_ptr<RtList>& addresses);
    void SetCcRecipients(const std::shared_ptr<RtList>& addresses);
    void SetBccRecipients(const std::shared_ptr<RtList>& addresses);
    void SetSubject(const String& subject);
    void SetBody(const String& body, bool isHtml);
    // Reads the whole file now; the file errors of the file service propagate.
    void AddAttachment(const String& dir, const String& fileName, const String& mimeType);
    // `page` (a page wrapper) becomes the delegate's parent; the screen is modal over the main
    // window. Returns at once.
    void Show(const Value& page);

    // Whether the message was handed to the desktop's own mail program (a RESULT_SAVED that means
    // "handed over, not sent by us").
    bool WasHandedOver() const;

    int32_t RESULT_CANCELLED() const { return kResultCancelled; }
    int32_t RESULT_SAVED() const { return kResultSaved; }
    int32_t RESULT_SENT() const { return kResultSent; }
    int32_t RESULT_FAILED() const { return kResultFailed; }

    MailComposeController* controllerOrNull() const {
        return static_cast<MailComposeController*>(objectOrNull().get());
    }
};

}  // namespace zemtra
