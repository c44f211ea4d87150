// The shipped "Main" layout holds every view the word generator binds by name, of the right
// kind, in the main-screen state, with the settled slider ranges.
#include <gtest/gtest.h>

#include "runtime/core/RtCommon.h"
#include "runtime/lib/RtFile.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/RtLayoutData.h"
#include "ui/RtPanelWrapper.h"
#include "ui/UiButton.h"
#include "ui/UiImageView.h"
#include "ui/UiLabel.h"
#include "ui/UiSlider.h"
#include "ui/UiTextView.h"

namespace zemtra {
namespace {

class MainLayoutTest : public testing::UiTest {
  protected:
    MainLayoutTest() {
        RtCommon::New()->service<RtFile>()->setVirtualAssetsFolder(
            Value(fromUtf8(ZEMTRA_BUILD_ASSETS_DIR)));
        root->Initialize(module()->bi, u"page1");
        root->view().setFrame(0, 0, 340, 568);
        root->LoadLayout(u"Main", module()->bi);
        data = root->view().attachedMap().at(u"layoutdata").as<RtLayoutData>();
    }
    UiView* view(const std::string& name) const {
        const auto found = data->viewsMap.find(fromUtf8(name));
        return found == data->viewsMap.end() ? nullptr : found->second.view.get();
    }
    std::shared_ptr<RtPanelWrapper> root = std::make_shared<RtPanelWrapper>();
    std::shared_ptr<RtLayoutData> data;
};

TEST_F(MainLayoutTest, HoldsEveryBoundViewByNameAndKind) {
    ASSERT_TRUE(data) << "the layout re-applies itself on resize";
    for (int n : {1, 2, 3, 4, 5, 6, 7, 8, 9, 19}) {
        EXPECT_TRUE(dynamic_cast<UiImageView*>(view("imageview" + std::to_string(n)))) << n;
    }
    for (int tens : {20, 30, 40}) {
        for (int n = tens; n < tens + 8; ++n)
            EXPECT_TRUE(dynamic_cast<UiImageView*>(view("imageview" + std::to_string(n)))) << n;
    }
    for (const char* name : {"label1", "label3"})
        EXPECT_TRUE(dynamic_cast<UiLabel*>(view(name))) << name;
    for (const char* name : {"textview1", "textview2"})
        EXPECT_TRUE(dynamic_cast<UiTextView*>(view(name))) << name;
    for (const char* name : {"pnlmain", "pnlset", "pnllog", "pnlinfo"})
        EXPECT_TRUE(dynamic_cast<RtPanelView*>(view(name))) << name;
    for (const char* name :
         {"btnset", "btnbk", "btnlog", "btninfo", "btnwlog", "btnclog", "btnemail"}) {
        ASSERT_TRUE(dynamic_cast<UiButton*>(view(name))) << name;
        EXPECT_EQ(*RtObjectWrapper::getEventName(*view(name)).string(), fromUtf8(name))
            << "buttons carry their names as prefixes";
    }
    EXPECT_EQ(*RtObjectWrapper::getEventName(*view("label1")).string(), u"label1");
}

TEST_F(MainLayoutTest, StartsOnTheMainScreenWithTheBackButtonInFront) {
    for (const char* name : {"pnlset", "pnllog", "pnlinfo", "btnbk"})
        EXPECT_TRUE(view(name)->state().hidden) << name;
    EXPECT_FALSE(view("pnlmain")->state().hidden);
    EXPECT_EQ(root->panel().children().back().get(), view("btnbk"));
    EXPECT_FLOAT_EQ(view("textview1")->width(), 130);
    EXPECT_FLOAT_EQ(view("textview1")->height(), 70);
}

TEST_F(MainLayoutTest, SlidersHaveTheSettledRanges) {
    struct Range {
        float minimum, maximum, value;
    };
    const Range ranges[] = {{0, 8, 1},   {1, 10, 2}, {0, 102.4f, 10},
                            {5, 20, 10}, {0, 10, 3}, {0, 100, 10}};
    for (int index = 0; index < 6; ++index) {
        const auto* slider = dynamic_cast<UiSlider*>(view("slider" + std::to_string(index + 1)));
        ASSERT_TRUE(slider) << index + 1;
        EXPECT_FLOAT_EQ(slider->minimum(), ranges[index].minimum) << index + 1;
        EXPECT_FLOAT_EQ(slider->maximum(), ranges[index].maximum) << index + 1;
        EXPECT_FLOAT_EQ(slider->value(), ranges[index].value) << index + 1;
        EXPECT_TRUE(slider->continuous());
    }
}

}  // namespace
}  // namespace zemtra
