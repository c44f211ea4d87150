// Message boxes (the choice comes back queued with the button's title), toasts that let touches
// through and hide themselves on time, and the progress overlay.
#include <gtest/gtest.h>

#include <chrono>

#include "runtime/core/RtCommon.h"
#include "runtime/core/RtCore.h"
#include "runtime/lib/RtList.h"

#include "tests/ui/UiTestSupport.h"
#include "ui/ProgressHud.h"
#include "ui/RtButtonWrapper.h"
#include "ui/RtDialogs.h"
#include "ui/RtHud.h"
#include "ui/RtNavigationControllerWrapper.h"
#include "ui/Screen.h"

namespace zemtra {
namespace {

using namespace std::chrono_literals;
using Calls = std::vector<std::string>;

class RecordingPresenter final : public platform::AlertPresenter {
  public:
    void showAlert(platform::AlertNode& alert) override {
        events.push_back("show " + toUtf8(alert.title()));
    }
    void dismissAlert(platform::AlertNode& alert) override {
        events.push_back("dismiss " + toUtf8(alert.title()));
    }
    std::vector<std::string> events;
};

class DialogsTest : public testing::UiTest {
  protected:
    DialogsTest() { Screen::main().setAlertPresenter(&presenter); }
    ~DialogsTest() override { Screen::main().setAlertPresenter(nullptr); }

    // The overlays on the window's root view.
    std::vector<ProgressHud*> overlays() const {
        std::vector<ProgressHud*> found;
        for (const auto& child : Screen::main().overlayParent()->children()) {
            if (auto* hud = dynamic_cast<ProgressHud*>(child.get())) found.push_back(hud);
        }
        return found;
    }

    RecordingPresenter presenter;
    std::shared_ptr<RtDialogs> dialogs = RtCommon::New()->service<RtDialogs>();
    std::shared_ptr<RtNavigationControllerWrapper> navigation =
        RtNavigationControllerWrapper::createForHost(module()->bi);
};

TEST_F(DialogsTest, TheChosenButtonsTitleComesBackQueuedWithTheBoxAsSender) {
    // By name, as module code reaches the Common object's operations.
    const Value arguments[] = {
        Value(module()->bi), Value(u"Confirm"), Value(u"Is this what you want to do?"),
        Value(u"Delete the log File"), Value(RtList::of({Value(u"Yes"), Value(u"No")}))};
    RtCore::runDynamicMethod(Value(dialogs), u"Msgbox2:::::", true, arguments);
    ASSERT_EQ(Screen::main().alerts().size(), 1u);
    const auto alert = Screen::main().alerts().front();
    EXPECT_TRUE(alert->pressButton(u"No"));
    EXPECT_TRUE(Screen::main().alerts().empty());
    EXPECT_TRUE(module()->calls.empty());
    settle();
    EXPECT_EQ(module()->calls, (Calls{"confirm_click No"}));
    EXPECT_EQ(module()->senders[0].object(), alert);
    EXPECT_EQ(presenter.events, (Calls{"show Delete the log File", "dismiss Delete the log File"}));
}

TEST_F(DialogsTest, ButtonsAreTitledByDescriptionAndThePlainBoxRaisesNothing) {
    const Value buttons[] = {Value::ofInt(3), Value::ofDouble(2.5), Value(u"x")};
    dialogs->Msgbox2(module()->bi, u"confirm", u"m", u"t", buttons);
    EXPECT_EQ(Screen::main().alerts().front()->buttons(),
              (std::vector<std::u16string>{u"3", u"2.5", u"x"}));
    Screen::main().alerts().front()->press(7);  // no such button: nothing happens
    EXPECT_EQ(Screen::main().alerts().size(), 1u);

    dialogs->Msgbox(u"Saved.", u"Info");
    const auto plain = Screen::main().alerts().back();
    EXPECT_EQ(plain->buttons(), (std::vector<std::u16string>{u"OK"}));
    plain->press(0);
    settle();
    EXPECT_TRUE(module()->calls.empty());
}

TEST_F(DialogsTest, WhileABoxShowsTheViewsBeneathTakeNoInput) {
    const auto button = make<RtButtonWrapper>(u"btn");
    Screen::main().overlayParent()->addSubview(std::static_pointer_cast<UiView>(button->object()));
    const Value buttons[] = {Value(u"Yes"), Value(u"No")};
    dialogs->Msgbox2(module()->bi, u"confirm", u"Is this what you want to do?", u"Delete", buttons);

    // The tap that would ask for a second confirmation does nothing while the first one waits.
    button->view().tap();
    settle();
    EXPECT_TRUE(module()->calls.empty());
    EXPECT_EQ(Screen::main().alerts().size(), 1u);

    Screen::main().alerts().front()->press(1);
    button->view().tap();
    settle();
    EXPECT_EQ(module()->calls, (Calls{"confirm_click No", "btn_click"}));
}

TEST_F(DialogsTest, ToastsLetTouchesThroughAndHideOnTheirOwnSchedule) {
    const auto button = make<RtButtonWrapper>(u"btn");
    Screen::main().overlayParent()->addSubview(std::static_pointer_cast<UiView>(button->object()));
    button->view().setFrame(10, 10, 100, 40);

    RtHud hud;
    hud.ToastMessageShow(u"Logs Deleted", true);
    queue.runFor(1000ms);
    hud.ToastMessageShow(u"Nothing Done", false);
    ASSERT_EQ(overlays().size(), 2u);
    EXPECT_EQ(overlays()[0]->labelText(), u"Logs Deleted");
    EXPECT_EQ(Screen::main().window()->hitTest(20, 20), &button->view())
        << "the toasts let the touch through";

    queue.runFor(1499ms);
    EXPECT_EQ(overlays().size(), 2u);
    queue.runFor(1ms);
    ASSERT_EQ(overlays().size(), 1u) << "the short toast went 1.5 s after it came";
    EXPECT_EQ(overlays()[0]->labelText(), u"Logs Deleted");
    queue.runFor(499ms);
    EXPECT_EQ(overlays().size(), 1u);
    queue.runFor(1ms);
    EXPECT_TRUE(overlays().empty()) << "the long toast went 3.0 s after it came";
}

TEST_F(DialogsTest, TheProgressOverlayShowsOnceTakesTouchesAndHidesOnce) {
    RtHud hud;
    hud.ProgressDialogHide();
    EXPECT_TRUE(overlays().empty());
    hud.ProgressDialogShow(u"Loading");
    hud.ProgressDialogShow(u"Still loading");
    ASSERT_EQ(overlays().size(), 1u);
    EXPECT_EQ(overlays()[0]->labelText(), u"Still loading");
    EXPECT_EQ(overlays()[0]->mode(), platform::OverlayMode::Spinner);
    EXPECT_EQ(Screen::main().window()->hitTest(5, 5), overlays()[0]);
    hud.ProgressDialogHide();
    EXPECT_TRUE(overlays().empty());
    EXPECT_EQ(hud.progress(), nullptr);
}

}  // namespace
}  // namespace zemtra
