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

void RtMailComposerDelegate::showFailure(const std::string& reason) {
    busy_ = false;
    RtCore::shared()->LogError(fromUtf8(reason));
    if (const auto screen = screen_.lock()) screen->showProblem(reason);
}

void RtMailComposerDelegate::handOver(const std::shared_ptr<platform::MailHandoff>& handoff) {
    const auto controller = controller_.lock();
    if (!controller || busy_) return;
    busy_ = true;
    controller->presented = true;
    MainQueue& queue = MainQueue::current();
    // Keeps a virtual clock from jumping past the handoff; released by the task that reports it.
    auto work = std::make_shared<MainQueue::ExternalWork>(queue);
    // Runs on the handoff's thread: it only hands the outcome to the main queue.
    handoff->handOver(controller->message, [&queue, self = weakSelf(), work = std::move(work)](
                                               platform::Result<std::string> outcome) mutable {
        queue.post([self = std::move(self), work = std::move(work),
                    outcome = std::move(outcome)]() mutable {
            work.reset();
            const auto delegate = self.lock();
            if (!delegate) return;
            const auto controller = delegate->controller_.lock();
            if (!outcome) {
                RtCore::shared()->LogError(u"Mail was not handed to your mail program: " +
                                           fromUtf8(outcome.error()));
                delegate->finish(RtMailComposer::kResultFailed);
                return;
            }
            if (controller) controller->handedOver = true;
            RtCore::shared()->Log(u"Mail handed to your mail program; its attachments are in " +
                                  fromUtf8(*outcome));
            delegate->finish(RtMailComposer::kResultSaved);
        });
    });
}

void RtMailComposerDelegate::sendRequested(const platform::MailMessage& message) {
    const auto controller = controller_.lock();
    const auto screen = screen_.lock();
    if (!controller || busy_ || !screen) return;
    controller->message = message;
    const auto transport = RuntimeScope::current().find<platform::MailTransport>();
    if (!transport) {
        showFailure(
            "Mail was not sent: no mail server is set up. Save the message as a draft, or start "
            "Zemtra with --smtp URL to send it.");
        return;
    }
    busy_ = true;
    screen->showSending();
    MainQueue& queue = MainQueue::current();
    // Keeps a virtual clock from jumping past the send; released by the task that reports it.
    auto work = std::make_shared<MainQueue::ExternalWork>(queue);
    // Runs on the transport's thread: it only hands the outcome to the main queue.
    transport->send(message, queue.clock().nowTicks(),
                    [&queue, self = weakSelf(),
                     work = std::move(work)](platform::Result<void> outcome) mutable {
                        queue.post([self = std::move(self), work = std::move(work),
                                    outcome = std::move(outcome)]() mutable {
                            work.reset();
                            const auto delegate = self.lock();
                            if (!delegate) return;
                            if (!outcome) {
                                // The person corrects it and tries again, saves a draft or cancels.
                                delegate->showFailure("Mail was not sent: " + outcome.error());
                                return;
                            }
                            delegate->finish(RtMailComposer::kResultSent);
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
    if (!draft) {
        showFailure("The draft was not saved: " + draft.error());
        return;
    }
    RtCore::shared()->Log(u"The draft was saved to " + fromUtf8(*draft));
    finishLater(RtMailComposer::kResultSaved);
}

void RtMailComposerDelegate::cancelRequested() {
    if (busy_ || screen_.expired()) return;
    finishLater(RtMailComposer::kResultCancelled);
}

}  // namespace zemtra
