// The shipped "Main" layout as a person sees it: it starts on the main screen, each view raises
// its events under its own name, its images decode, every one-line text fits its view in its font,
// the sliders have the settled ranges with captions that agree, and the information panel covers
// every control and the files the program keeps. (That the module finds every view it binds is
// what the application's tests, which run it on this layout, show.)
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "platform/qt/QtImageCodec.h"
#include "platform/qt/QtTextMetrics.h"
#include "runtime/core/RtCommon.h"
#include "runtime/lib/RtFile.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/RtLayoutData.h"
#include "ui/RtPanelWrapper.h"
#include "ui/Screen.h"
#include "ui/UiButton.h"
#include "ui/UiImageView.h"
#include "ui/UiLabel.h"
#include "ui/UiSlider.h"
#include "ui/UiTextView.h"

namespace zemtra::testing {
namespace {

class MainLayoutAssetsTest : public UiTest {
  protected:
    MainLayoutAssetsTest() {
        Screen::main().setImageCodec(&images);
        RtCommon::New()->service<RtFile>()->setVirtualAssetsFolder(
            Value(fromUtf8(ZEMTRA_BUILD_ASSETS_DIR)));
        root->view().setFrame(0, 0, 340, 568);
        root->LoadLayout(u"Main", module()->bi);
        data = root->view().attachedMap().at(u"layoutdata").as<RtLayoutData>();
    }
    template <typename View>
    View& view(const std::string& name) const {
        const auto found = data->viewsMap.find(fromUtf8(name));
        if (found == data->viewsMap.end()) throw std::runtime_error("no view " + name);
        auto* typed = dynamic_cast<View*>(found->second.view.get());
        if (!typed) throw std::runtime_error(name + " has another kind");
        return *typed;
    }
    static std::string number(float value) {
        std::ostringstream text;
        text << value;
        return text.str();
    }

    platform::qt::QtImageCodec images;
    platform::qt::QtTextMetrics metrics;
    std::shared_ptr<RtPanelWrapper> root = make<RtPanelWrapper>(u"page1");
    std::shared_ptr<RtLayoutData> data;
};

TEST_F(MainLayoutAssetsTest, StartsOnTheMainScreenWithTheBackButtonInFront) {
    ASSERT_TRUE(data) << "the layout re-applies itself on resize";
    for (const char* name : {"pnlset", "pnllog", "pnlinfo", "btnbk"})
        EXPECT_TRUE(view<UiView>(name).state().hidden) << name;
    EXPECT_FALSE(view<UiView>("pnlmain").state().hidden);
    EXPECT_EQ(root->panel().children().back().get(), &view<UiView>("btnbk"));
}

// The module's handlers are named after the views ("_btnset_click"), so a view raising its events
// under another prefix would do nothing.
TEST_F(MainLayoutAssetsTest, EveryViewRaisesItsEventsUnderItsOwnName) {
    for (const auto& [name, entry] : data->viewsMap) {
        const Value prefix = RtObjectWrapper::getEventName(*entry.view);
        EXPECT_TRUE(prefix.isString() && *prefix.string() == name) << toUtf8(name);
    }
}

TEST_F(MainLayoutAssetsTest, EveryImageDecodesWithAtLeastItsViewsPixels) {
    int imageViews = 0;
    for (const auto& [name, entry] : data->viewsMap) {
        const auto* view = dynamic_cast<const UiImageView*>(entry.view.get());
        if (!view) continue;
        ++imageViews;
        ASSERT_TRUE(view->image()) << toUtf8(name) << " has no image";
        // Drawn for the design size or larger, an image is never blown up on a 340 x 568 window.
        EXPECT_GE(view->image()->pixels()->width, view->width()) << toUtf8(name);
        EXPECT_GE(view->image()->pixels()->height, view->height()) << toUtf8(name);
    }
    EXPECT_GT(imageViews, 0);
    for (const std::string& line : log.lines)
        EXPECT_EQ(line.find("Error"), std::string::npos) << line;
}

TEST_F(MainLayoutAssetsTest, EveryOneLineTextFitsItsView) {
    int measured = 0;
    for (const auto& [name, entry] : data->viewsMap) {
        const UiView* view = entry.view.get();
        float room = view->width();
        if (const auto* label = dynamic_cast<const UiLabel*>(view)) {
            if (label->multiline()) continue;
        } else if (dynamic_cast<const UiButton*>(view)) {
            room -= 8;  // the button's own margins
        } else {
            continue;
        }
        ++measured;
        const auto size = metrics.measure(view->state().text, view->state().font, 0);
        EXPECT_LE(size.width, room)
            << toUtf8(name) << ": \"" << toUtf8(view->state().text) << "\" is cut off";
        EXPECT_LE(size.height, view->height()) << toUtf8(name);
    }
    EXPECT_GT(measured, 25);
}

// Each slider has a caption above it and the meaning of its two ends below it, each end's text
// starting with that end's value, so a changed range cannot leave stale captions behind. (What
// the positions do is the application's tests'.)
TEST_F(MainLayoutAssetsTest, SlidersHaveCaptionsThatNameTheirEnds) {
    for (int index = 1; index <= 6; ++index) {
        const std::string slider = "slider" + std::to_string(index);
        SCOPED_TRACE(slider);
        const auto& control = view<UiSlider>(slider);
        EXPECT_TRUE(control.continuous());

        const auto& caption = view<UiLabel>("lbl" + slider);
        const auto& low = view<UiLabel>("lbl" + slider + "low");
        const auto& high = view<UiLabel>("lbl" + slider + "high");
        EXPECT_LE(caption.top() + caption.height(), control.top());
        EXPECT_GE(low.top(), control.top() + control.height());
        EXPECT_GE(high.top(), control.top() + control.height());
        EXPECT_EQ(toUtf8(low.text()).rfind(number(control.minimum()), 0), 0u) << toUtf8(low.text());
        EXPECT_EQ(toUtf8(high.text()).rfind(number(control.maximum()), 0), 0u)
            << toUtf8(high.text());
        EXPECT_NE(toUtf8(caption.text()).find(':'), std::string::npos)
            << "a caption names the setting, then how the position maps to it";
    }
}

TEST_F(MainLayoutAssetsTest, InformationPanelCoversEveryControlAndTheFiles) {
    const std::string info = toUtf8(view<UiTextView>("textinfo").text());
    std::vector<std::string> expected = {"~/.local/share/zemtra/",
                                         "--data",
                                         "WordLog.txt",
                                         "sp.txt",
                                         "fifo.txt",
                                         "wordlist.txt",
                                         toUtf8(view<UiLabel>("label1").text())};
    for (const auto& [name, entry] : data->viewsMap) {
        if (const auto* button = dynamic_cast<const UiButton*>(entry.view.get()))
            expected.push_back(toUtf8(button->title()));
    }
    for (int index = 1; index <= 6; ++index) {
        const std::string caption =
            toUtf8(view<UiLabel>("lblslider" + std::to_string(index)).text());
        expected.push_back(caption.substr(0, caption.find(':')));
    }
    for (const std::string& text : expected)
        EXPECT_NE(info.find(text), std::string::npos)
            << "the information panel does not mention \"" << text << "\"";
}

}  // namespace
}  // namespace zemtra::testing
