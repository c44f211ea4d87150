// Pages on the navigation stack: root panel placement, the page's resize event with its timing,
// appearing and disappearing, and going back to a page already on the stack.
#include <gtest/gtest.h>

#include "runtime/lib/RtList.h"
#include "tests/ui/UiTestSupport.h"

#include "ui/RtNavigationControllerWrapper.h"
#include "ui/RtPage.h"
#include "ui/RtPanelWrapper.h"
#include "ui/Screen.h"

namespace zemtra {
namespace {

using Calls = std::vector<std::string>;

class PagesTest : public testing::UiTest {
  protected:
    std::shared_ptr<RtNavigationControllerWrapper> navigation =
        RtNavigationControllerWrapper::createForHost(module()->bi);
};

TEST_F(PagesTest, TheShownPageFillsTheWindowAndRaisesAppearThenResizeAfterTheHandler) {
    navigation->setNavigationBarVisible(false);
    navigation->setToolBarVisible(false);
    const auto main = make<RtPage>(u"Page1");
    navigation->ShowPage(main);
    const auto root = main->RootPanel();
    EXPECT_FLOAT_EQ(root->Width(), 340);
    EXPECT_FLOAT_EQ(root->Height(), 568);
    EXPECT_FLOAT_EQ(root->Top(), 0) << "the desktop has no status bar";
    EXPECT_TRUE(main->Visible());
    EXPECT_TRUE(module()->calls.empty()) << "both events are queued";
    settle();
    EXPECT_EQ(module()->calls, (Calls{"page1_appear", "page1_resize 340 568"}));
    EXPECT_EQ(RtCore::shared()->mainView(), root->object())
        << "the last resized root panel is the main view";
}

TEST_F(PagesTest, ALayoutLoadedIntoTheRootPanelConfiguresThePage) {
    writeLayout("Titled", "variant 340 x 568\ntitle = \"Main\"\nhideBackButton = true\n");
    const auto main = make<RtPage>(u"page1");
    main->RootPanel()->LoadLayout(u"Titled", module()->bi);
    EXPECT_EQ(main->Title(), u"Main");
    EXPECT_TRUE(main->HideBackButton());

    // A panel elsewhere does not configure any page.
    const auto other = make<RtPage>(u"page2");
    const auto inner = make<RtPanelWrapper>(u"inner");
    other->RootPanel()->AddView(Value(inner), 0, 0, 10, 10);
    inner->LoadLayout(u"Titled", module()->bi);
    EXPECT_EQ(other->Title(), u"");
}

TEST_F(PagesTest, TheNavigationBarPushesThePageDownAndTheRootPanelStartsAtItsTop) {
    const auto main = make<RtPage>(u"page1");
    navigation->ShowPage(main);
    const auto mainView = main->controller().mainView();
    EXPECT_FLOAT_EQ(mainView->top(), 44);
    EXPECT_FLOAT_EQ(main->RootPanel()->Top(), 0);
    EXPECT_FLOAT_EQ(main->RootPanel()->Height(), 568 - 44);
    navigation->setNavigationBarVisible(false);
    EXPECT_FLOAT_EQ(mainView->top(), 0);
    EXPECT_FLOAT_EQ(main->RootPanel()->Height(), 568);

    main->setStatusBarHeight(20);
    EXPECT_FLOAT_EQ(main->RootPanel()->Top(), 20) << "until the next layout pass";
    Screen::main().setSize(340, 500);
    EXPECT_FLOAT_EQ(main->RootPanel()->Top(), 0);
}

TEST_F(PagesTest, ShowingAPageOnTheStackGoesBackToIt) {
    const auto first = make<RtPage>(u"page1");
    const auto second = make<RtPage>(u"page2");
    navigation->ShowPage(first);
    navigation->ShowPage2(second, false);
    navigation->ShowPage(first);
    EXPECT_EQ(navigation->navigation().stack().size(), 1u);
    EXPECT_FALSE(second->Visible());
    EXPECT_TRUE(first->Visible());
    settle();
    EXPECT_EQ(module()->calls, (Calls{"page1_appear", "page1_resize 340 524", "page1_disappear",
                                      "page2_appear", "page2_disappear", "page1_appear"}));
    navigation->RemoveCurrentPage();
    EXPECT_EQ(navigation->navigation().stack().size(), 1u) << "the last page stays";

    navigation->SetPagesStack(RtList::of({Value(first), Value(second)}));
    EXPECT_TRUE(second->Visible());
    navigation->RemoveCurrentPage();
    EXPECT_TRUE(first->Visible());
    EXPECT_THROW(navigation->SetPagesStack(RtList::of({Value(u"not a page")})), RtException);
}

}  // namespace
}  // namespace zemtra
