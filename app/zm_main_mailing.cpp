// Mailing the word log: the e-mail button opens the mail screen with the log attached (or, on a
// desktop without a mail server, hands it to the person's own mail program), and the result is
// shown as a toast. A handoff completes as "saved" (it was not sent by us): its toast says where
// the message went rather than claiming anything about sending.
#include "app/zm_main.h"

#include "runtime/core/MainQueue.h"
#include "runtime/core/RtCore.h"
#include "runtime/lib/RtFile.h"

namespace zemtra::app {

void zm_main::_btnemail_click() {
    _mailc = makeService(u"RtMailComposer");
    if (!_mailc) {
        // No mail service in this build: the composer cannot send, as one without a server.
        bi->Log(u"Mail cannot be sent: this program has no mail service");
        bi->raiseUIEvent(Value(), u"mailc_complete:", {Value::ofInt(3)});
        return;
    }
    ensureWordLog();
    const auto files = _c->service<RtFile>();
    callService(_mailc, u"Initialize::", {Value(bi), Value(u"mailc")});
    callService(_mailc, u"SetBody::",
                {Value(u"These are the most current brell2 log files."), Value::ofBoolean(true)});
    callService(_mailc, u"AddAttachment:::",
                {Value(files->DirDocuments()), Value(u"WordLog.txt"), Value(u"text/plain")});
    callService(_mailc, u"Show:", {Value(_page1)});
}

void zm_main::_mailc_complete(int32_t result) {
    const Value sent = callService(_mailc, u"RESULT_SENT");
    const int32_t sentCode = sent.number() ? sent.number()->toInt() : 2;
    if (result == sentCode) {
        showToast(u"Message sent");
        return;
    }
    const Value handedOver = callService(_mailc, u"WasHandedOver");
    const bool inMailProgram = handedOver.number() && handedOver.number()->toBoolean();
    showToast(inMailProgram ? u"Message handed to your mail program" : u"Message was not sent");
}

}  // namespace zemtra::app
