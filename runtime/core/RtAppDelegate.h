// The application host: launches the application module and turns the window's state changes
// into the module's application events, each raised now or queued as the platform would.
//
//   window activated   -> "application_active"      queued
//   window deactivated -> "application_inactive"    now
//   window minimised   -> "application_background"  now
//   window restored    -> "application_foreground"  queued
#pragma once

#include <functional>
#include <memory>

#include "platform/Window.h"
#include "runtime/core/Object.h"

namespace zemtra {

class RtCore;

class RtAppDelegate final : public platform::WindowListener {
  public:
    // Makes the navigation controller wrapper for the module's runtime core object (event
    // prefix "main"); supplied by the user-interface layer.
    using NavigationFactory = std::function<Value(const std::shared_ptr<RtCore>& bi)>;

    RtAppDelegate(platform::Window& window, NavigationFactory makeNavigationController);
    ~RtAppDelegate() override;
    RtAppDelegate(const RtAppDelegate&) = delete;
    RtAppDelegate& operator=(const RtAppDelegate&) = delete;

    // Launch, in order: log "didFinishLaunchingWithOptions"; create the module "zm_main"; make the
    // navigation controller; make the window key; raise "application_start:" now; show the window.
    // Raises "Module not found: %@" when no module of that name is registered. Answers true.
    bool didFinishLaunching(StringView moduleName = u"zm_main");

    void willResignActive();
    void didEnterBackground();
    void willEnterForeground();
    void didBecomeActive();
    // Logs "openURL: %@, %@, %@", raises "application_openurl:::" or "application_openurl::" when
    // the module has one; the handler's result as a boolean, true without a handler.
    bool openURL(StringView url, const Value& sourceApplication, const Value& annotation);

    const std::shared_ptr<RtCore>& bi() const { return bi_; }
    const Value& navigationController() const { return navigation_; }

    void windowActivated() override { didBecomeActive(); }
    void windowDeactivated() override { willResignActive(); }
    void windowMinimized() override { didEnterBackground(); }
    void windowRestored() override { willEnterForeground(); }

  private:
    platform::Window& window_;
    NavigationFactory makeNavigationController_;
    std::shared_ptr<RtCore> bi_;
    Value navigation_;
};

}  // namespace zemtra
