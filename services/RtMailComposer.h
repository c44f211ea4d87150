// The mail composer: module code fills in a message (recipients, subject, body, attachments read
// from files), shows it on the mail screen over a page, and learns by the event prefix +
// "_complete:" how the person left it: RESULT_CANCELLED, RESULT_SAVED (written as a draft into
// the drafts folder, "Drafts/" under the documents directory in the program), RESULT_SENT or
// RESULT_FAILED (the reason in the log).
//
// The back ends come from the installed runtime scope: platform::MailTransport (registered only
// when a mail server is set up, so it also answers CanSendMail), platform::MailScreen and
// platform::MailDrafts. Without a transport the composer stays uninitialised: its setters do
// nothing, and Show: logs why and queues "complete" with RESULT_FAILED.
//
// The completion event is raised from a task of the main queue, with the screen still showing;
// the screen closes right after the handler returns (also when it raises). Main thread only; the
// send itself runs on the transport's thread and posts its outcome back.
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

    int32_t RESULT_CANCELLED() const { return kResultCancelled; }
    int32_t RESULT_SAVED() const { return kResultSaved; }
    int32_t RESULT_SENT() const { return kResultSent; }
    int32_t RESULT_FAILED() const { return kResultFailed; }

    MailComposeController* controllerOrNull() const {
        return static_cast<MailComposeController*>(objectOrNull().get());
    }
};

}  // namespace zemtra
