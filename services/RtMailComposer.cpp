// The mail composer wrapper.
#include "services/RtMailComposer.h"

#include "platform/MailHandoff.h"
#include "platform/MailScreen.h"
#include "platform/MailTransport.h"
#include "runtime/core/MethodTable.h"
#include "runtime/core/RtCommon.h"
#include "runtime/core/RtCore.h"
#include "runtime/core/RuntimeScope.h"
#include "runtime/core/Text.h"
#include "runtime/lib/RtArray.h"
#include "runtime/lib/RtBit.h"
#include "runtime/lib/RtFile.h"
#include "runtime/lib/RtList.h"
#include "runtime/lib/ValueSequence.h"

namespace zemtra {

namespace {

constexpr StringView kDelegateKey = u"delegate";

std::vector<std::string> addressesOf(const std::shared_ptr<RtList>& list) {
    std::vector<std::string> addresses;
    if (!list || !list->IsInitialized()) return addresses;
    for (const Value& item : list->sequence().items) {
        if (item.isNullOrMarker()) continue;
        const String* text = item.string();
        addresses.push_back(toUtf8(text ? *text : item.description()));
    }
    return addresses;
}

std::shared_ptr<RtMailComposerDelegate> delegateOf(MailComposeController& controller) {
    const AttachedMap& map = controller.attachedMap();
    const auto found = map.find(kDelegateKey);
    return found == map.end() ? nullptr : found->second.as<RtMailComposerDelegate>();
}

}  // namespace

const MethodTable* RtMailComposer::methods() const {
    static const MethodTable table{
        MethodTable::operation("CanSendMail", &RtMailComposer::CanSendMail),
        MethodTable::operation("Initialize::", &RtMailComposer::Initialize),
        MethodTable::operation("SetToRecipients:", &RtMailComposer::SetToRecipients),
        MethodTable::operation("SetCcRecipients:", &RtMailComposer::SetCcRecipients),
        MethodTable::operation("SetBccRecipients:", &RtMailComposer::SetBccRecipients),
        MethodTable::operation("SetSubject:", &RtMailComposer::SetSubject),
        MethodTable::operation("SetBody::", &RtMailComposer::SetBody),
        MethodTable::operation("AddAttachment:::", &RtMailComposer::AddAttachment),
        MethodTable::operation("Show:", &RtMailComposer::Show),
        MethodTable::operation("WasHandedOver", &RtMailComposer::WasHandedOver),
        MethodTable::operation("RESULT_CANCELLED", &RtMailComposer::RESULT_CANCELLED),
        MethodTable::operation("RESULT_SAVED", &RtMailComposer::RESULT_SAVED),
        MethodTable::operation("RESULT_SENT", &RtMailComposer::RESULT_SENT),
        MethodTable::operation("RESULT_FAILED", &RtMailComposer::RESULT_FAILED),
    };
    return &table;
}

bool RtMailComposer::CanSendMail() const {
    const RuntimeScope* scope = RuntimeScope::currentOrNull();
    // A back end registered as empty (taken out at the program's end) is none.
    return scope &&
           (scope->find<platform::MailTransport>() || scope->find<platform::MailHandoff>());
}

bool RtMailComposer::WasHandedOver() const {
    const auto* controller = controllerOrNull();
    return controller && controller->handedOver;
}

void RtMailComposer::Initialize(const std::shared_ptr<RtCore>& core, const String& eventName) {
    const RuntimeScope* scope = RuntimeScope::currentOrNull();
    // Drafts need no server: a mail screen alone is enough to compose.
    if (!scope || (!scope->find<platform::MailScreen>() && !CanSendMail())) {
        // Nothing to wrap; the binding stays on the composer itself so that Show: can still
        // report the failure to the module.
        setObject(Value());
        setBIAndEventName(*this, core, eventName);
        return;
    }
    auto controller = std::make_shared<MailComposeController>();
    setObject(Value(controller));
    setBIAndEventName(*controller, core, eventName);
    controller->attachedMap().insert_or_assign(
        String(kDelegateKey), Value(std::make_shared<RtMailComposerDelegate>(controller)));
}

void RtMailComposer::SetToRecipients(const std::shared_ptr<RtList>& addresses) {
    if (auto* controller = controllerOrNull()) controller->message.to = addressesOf(addresses);
}

void RtMailComposer::SetCcRecipients(const std::shared_ptr<RtList>& addresses) {
    if (auto* controller = controllerOrNull()) controller->message.cc = addressesOf(addresses);
}

void RtMailComposer::SetBccRecipients(const std::shared_ptr<RtList>& addresses) {
    if (auto* controller = controllerOrNull()) controller->message.bcc = addressesOf(addresses);
}

void RtMailComposer::SetSubject(const String& subject) {
    if (auto* controller = controllerOrNull()) controller->message.subject = toUtf8(subject);
}

void RtMailComposer::SetBody(const String& body, bool isHtml) {
    auto* controller = controllerOrNull();
    if (!controller) return;
    controller->message.body = toUtf8(body);
    controller->message.bodyIsHtml = isHtml;
}

void RtMailComposer::AddAttachment(const String& dir, const String& fileName,
                                   const String& mimeType) {
    auto* controller = controllerOrNull();
    if (!controller) return;
    const auto& common = RtCommon::New();
    const auto input = common->service<RtFile>()->OpenInput(dir, fileName);
    const auto array = common->service<RtBit>()->InputStreamToBytes(input);
    platform::MailAttachment attachment{toUtf8(fileName), toUtf8(mimeType), {}};
    if (const auto& data = array->bytesData()) attachment.bytes = data->bytes;
    controller->message.attachments.push_back(std::move(attachment));
}

void RtMailComposer::Show(const Value& page) {
    auto* controller = controllerOrNull();
    if (!controller) {
        RtCore::shared()->LogError(u"Mail cannot be shown: this program has no mail screen.");
        raiseUIEvent(*this, u"_complete:", {Value::ofInt(kResultFailed)});
        return;
    }
    const auto delegate = delegateOf(*controller);
    if (!delegate) return;
    if (controller->presented) {
        RtCore::shared()->LogError(u"This mail screen is already showing.");
        return;
    }
    ObjectRef parent = page.object();
    if (const auto wrapper = page.as<RtObjectWrapper>()) parent = wrapper->objectOrNull();
    delegate->setParent(parent);
    RuntimeScope& scope = RuntimeScope::current();
    if (!scope.find<platform::MailTransport>()) {
        if (const auto handoff = scope.find<platform::MailHandoff>()) {
            delegate->handOver(handoff);
            return;
        }
    }
    const auto screen = scope.get<platform::MailScreen>();
    if (!delegate->present(screen)) {
        RtCore::shared()->LogError(u"Another mail screen is showing; this message was not shown.");
        raiseUIEvent(*controller, u"_complete:", {Value::ofInt(kResultFailed)});
    }
}

}  // namespace zemtra
