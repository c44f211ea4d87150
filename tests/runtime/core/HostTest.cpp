// The application host: launch order and the now-or-queued timing of the state events. (The
// launch log line and the module found by name show in the end-to-end runs.)
#include <gtest/gtest.h>

#include "runtime/core/Module.h"
#include "runtime/core/RtAppDelegate.h"
#include "tests/support/HeadlessWindow.h"
#include "tests/support/TestSupport.h"

namespace zemtra {
namespace {

class AppModule final : public RtStaticModule {
  public:
    const MethodTable* methods() const override {
        static const MethodTable table{
            MethodTable::sub("_application_start:", &AppModule::_application_start),
            MethodTable::sub("_application_active", &AppModule::_application_active),
            MethodTable::sub("_application_inactive", &AppModule::_application_inactive),
            MethodTable::sub("_application_background", &AppModule::_application_background),
            MethodTable::operation("_application_openurl::", &AppModule::_application_openurl),
        };
        return &table;
    }
    void _application_start(const Value& navigation) {
        events.push_back("start");
        startParameter = navigation;
        windowVisibleDuringStart = window->isVisible();
    }
    void _application_active() { events.push_back("active"); }
    void _application_inactive() { events.push_back("inactive"); }
    void _application_background() { events.push_back("background"); }
    bool _application_openurl(const String& url, const Value&) {
        events.push_back("openurl " + toUtf8(url));
        return false;
    }

    platform::HeadlessWindow* window = nullptr;
    std::vector<std::string> events;
    Value startParameter;
    bool windowVisibleDuringStart = true;
};

class HostTest : public testing::RuntimeTest {
  protected:
    HostTest() {
        StaticModules::registerClass<AppModule>(u"zm_main");
        StaticModules::New<AppModule>()->window = &window;
    }
    std::shared_ptr<AppModule> module() { return StaticModules::New<AppModule>(); }

    platform::HeadlessWindow window;
    Value navigation = Value(u"navigation controller");
    std::shared_ptr<RtCore> factoryCore;
    RtAppDelegate host{window, [this](const std::shared_ptr<RtCore>& bi) {
                           factoryCore = bi;
                           return navigation;
                       }};
};

TEST_F(HostTest, LaunchCreatesTheModuleRaisesStartAndShowsTheWindowAfterwards) {
    EXPECT_TRUE(host.didFinishLaunching());
    EXPECT_EQ(module()->events, std::vector<std::string>{"start"});
    EXPECT_EQ(*module()->startParameter.string(), u"navigation controller");
    EXPECT_EQ(factoryCore, module()->bi);
    EXPECT_FALSE(module()->windowVisibleDuringStart);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.isKey());
    // openURL: goes to the two-parameter handler and answers its result.
    EXPECT_FALSE(host.openURL(u"zemtra://x", Value(u"browser"), Value()));
    EXPECT_EQ(module()->events.back(), "openurl zemtra://x");
}

TEST_F(HostTest, DeactivationAndMinimisingRaiseNowActivationAndRestoringAreQueued) {
    host.didFinishLaunching();
    platform::WindowListener* listener = window.listener();
    ASSERT_EQ(listener, &host);
    listener->windowDeactivated();
    listener->windowMinimized();
    EXPECT_EQ(module()->events, (std::vector<std::string>{"start", "inactive", "background"}));
    listener->windowRestored();
    listener->windowActivated();
    EXPECT_EQ(module()->events.size(), 3u);
    queue.runUntilIdle();
    // The module has no foreground handler: that event is ignored.
    EXPECT_EQ(module()->events,
              (std::vector<std::string>{"start", "inactive", "background", "active"}));
}

TEST_F(HostTest, AnUnknownModuleIsAnErrorAndWithoutAnOpenURLHandlerOpenURLAnswersTrue) {
    EXPECT_THROW(host.didFinishLaunching(u"zm_missing"), RtException);
    EXPECT_FALSE(window.isVisible());
    class Plain final : public RtStaticModule {};
    StaticModules::registerClass<Plain>(u"plain");
    EXPECT_TRUE(host.didFinishLaunching(u"plain"));
    EXPECT_TRUE(host.openURL(u"zemtra://x", Value(), Value()));
}

}  // namespace
}  // namespace zemtra
