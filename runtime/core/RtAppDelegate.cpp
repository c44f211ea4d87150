// The application host's launch sequence and state events.
#include "runtime/core/RtAppDelegate.h"

#include "runtime/core/Conversions.h"
#include "runtime/core/Module.h"
#include "runtime/core/RtCore.h"
#include "runtime/core/RtException.h"

namespace zemtra {

RtAppDelegate::RtAppDelegate(platform::Window& window, NavigationFactory makeNavigationController)
    : window_(window), makeNavigationController_(std::move(makeNavigationController)) {
    window_.setListener(this);
}

RtAppDelegate::~RtAppDelegate() {
    window_.setListener(nullptr);
}

bool RtAppDelegate::didFinishLaunching(StringView moduleName) {
    RtCore::shared()->Log(u"didFinishLaunchingWithOptions");
    const auto module = StaticModules::NewByName(moduleName);
    if (!module) raise(u"", u"Module not found: %@", {moduleName});
    bi_ = module->bi;
    navigation_ = makeNavigationController_ ? makeNavigationController_(bi_) : Value();
    window_.makeKey();
    const Value parameters[] = {navigation_};
    bi_->raiseEvent(Value(), u"application_start:", parameters);
    window_.show();
    return true;
}

void RtAppDelegate::willResignActive() {
    if (bi_) bi_->raiseEvent(Value(), u"application_inactive");
}

void RtAppDelegate::didEnterBackground() {
    if (bi_) bi_->raiseEvent(Value(), u"application_background");
}

void RtAppDelegate::willEnterForeground() {
    if (bi_) bi_->raiseUIEvent(Value(), u"application_foreground");
}

void RtAppDelegate::didBecomeActive() {
    if (bi_) bi_->raiseUIEvent(Value(), u"application_active");
}

bool RtAppDelegate::openURL(StringView url, const Value& sourceApplication,
                            const Value& annotation) {
    RtCore::shared()->Log(formatText(
        u"openURL: %@, %@, %@", {url, sourceApplication.description(), annotation.description()}));
    if (!bi_) return true;
    if (bi_->hasMethod(u"application_openurl:::")) {
        const Value parameters[] = {Value(url), nullToMarker(annotation),
                                    nullToMarker(sourceApplication)};
        return objectToBoolean(bi_->raiseEvent(Value(), u"application_openurl:::", parameters));
    }
    if (bi_->hasMethod(u"application_openurl::")) {
        const Value parameters[] = {Value(url), nullToMarker(annotation)};
        return objectToBoolean(bi_->raiseEvent(Value(), u"application_openurl::", parameters));
    }
    return true;
}

}  // namespace zemtra
