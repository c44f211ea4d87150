// The mail composer's delegate: decisions of the mail screen, sends and drafts, completion.
#include "services/RtMailComposerDelegate.h"

#include "platform/MailDrafts.h"
#include "platform/MailTransport.h"
#include "runtime/core/MainQueue.h"
#include "runtime/core/RtCore.h"
#include "runtime/core/RuntimeScope.h"
#include "runtime/core/Text.h"
#include "services/RtMailComposer.h"

namespace zemtra {

std::weak_ptr<RtMailComposerDelegate> RtMailComposerDelegate::weakSelf() {
    return std::static_pointer_cast<RtMailComposerDelegate>(shared_from_this());
}

bool RtMailComposerDelegate::present(const std::shared_ptr<platform::MailScreen>& screen) {
    const auto controller = controller_.lock();
    if (!controller) return false;
    if (!screen->present(controller->message, weakSelf())) return false;
    screen_ = screen;
    controller->presented = true;
    return true;
}

void RtMailComposerDelegate::finish(int32_t result) {
    busy_ = false;
    // The screen closes after the handler, also when the handler raises.
    struct Closer {
        std::shared_ptr<platform::MailScreen> screen;
        ~Closer() {
            if (screen) screen->dismiss();
        }
    } closer{screen_.lock()};
    screen_.reset();
    const auto controller = controller_.lock();
    if (!controller) return;
    controller->presented = false;
    const Value parameters[] = {Value::ofInt(result)};
    RtObjectWrapper::raiseEvent(*controller, u"_complete:", parameters);
}

void RtMailComposerDelegate::finishLater(int32_t result) {
    busy_ = true;
    MainQueue::current().post([self = weakSelf(), result] {
        if (const auto delegate = self.lock()) delegate->finish(result);
    });
}

void RtMailComposerDelegate::sendRequested(const platform::MailMessage& message) {
    const auto controller = controller_.lock();
    const auto screen = screen_.lock();
    if (!controller || busy_ || !screen) return;
    controller->message = message;
    const auto transport = RuntimeScope::current().find<platform::MailTransport>();
    if (!transport) {
        RtCore::shared()->LogError(u"Mail was not sent: no mail server is set up.");
        finishLater(RtMailComposer::kResultFailed);
        return;
    }
    busy_ = true;
    screen->showSending();
    MainQueue& queue = MainQueue::current();
    // Keeps a virtual clock from jumping past the send; released by the task that reports it.
    auto work = std::make_shared<MainQueue::ExternalWork>(queue);
    // Runs on the transport's thread: it only hands the outcome to the main queue.
    transport->send(
        message, queue.clock().nowTicks(),
        [&queue, self = weakSelf(),
         work = std::move(work)](platform::Result<void> outcome) mutable {
            queue.post([self = std::move(self), work = std::move(work),
                        outcome = std::move(outcome)]() mutable {
                work.reset();
                const auto delegate = self.lock();
                if (!delegate) return;
                if (!outcome) {
                    RtCore::shared()->LogError(u"Mail was not sent: " + fromUtf8(outcome.error()));
                }
                delegate->finish(outcome ? RtMailComposer::kResultSent
                                         : RtMailComposer::kResultFailed);
            });
        });
}

void RtMailComposerDelegate::saveRequested(const platform::MailMessage& message) {
    const auto controller = controller_.lock();
    if (!controller || busy_ || screen_.expired()) return;
    controller->message = message;
    RuntimeScope& scope = RuntimeScope::current();
    const auto drafts = scope.get<platform::MailDrafts>();
    const auto transport = scope.find<platform::MailTransport>();
    const platform::Result<std::string> draft =
        drafts->save(message, transport ? transport->sender() : std::string(),
                     MainQueue::current().clock().nowTicks());
    if (!draft) RtCore::shared()->LogError(u"The draft was not saved: " + fromUtf8(draft.error()));
    finishLater(draft ? RtMailComposer::kResultSaved : RtMailComposer::kResultFailed);
}

void RtMailComposerDelegate::cancelRequested() {
    if (busy_ || screen_.expired()) return;
    finishLater(RtMailComposer::kResultCancelled);
}

}  // namespace zemtra
