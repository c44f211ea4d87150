// The view model: geometry by centre and bounds, colour, event binding and delivery with their
// timing, the panel resize step, the walk over descendants, hit testing, and what a renderer is
// told.
#include <gtest/gtest.h>

#include "runtime/core/RtCore.h"
#include "runtime/lib/RtArray.h"
#include "runtime/lib/RtInputStream.h"
#include "runtime/lib/RtList.h"
#include "runtime/lib/RtOutputStream.h"
#include "runtime/lib/ValueDictionary.h"

#include "tests/runtime/Raises.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/RtButtonWrapper.h"
#include "ui/RtImageViewWrapper.h"
#include "ui/RtLabelWrapper.h"
#include "ui/RtMainView.h"
#include "ui/RtPage.h"
#include "ui/RtPanelWrapper.h"
#include "ui/RtSliderWrapper.h"
#include "ui/Screen.h"
#include "ui/UiFont.h"

namespace zemtra {
namespace {

using testing::FakeImageCodec;
using Calls = std::vector<std::string>;

class ViewModelTest : public testing::UiTest {
  protected:
    // A panel whose first resize step has run (and whose calls are forgotten).
    std::shared_ptr<RtPanelWrapper> panel(StringView prefix, float width = 200,
                                          float height = 100) {
        auto wrapper = make<RtPanelWrapper>(prefix);
        wrapper->view().setFrame(0, 0, width, height);
        settle();
        module()->calls.clear();
        module()->senders.clear();
        return wrapper;
    }
};

TEST_F(ViewModelTest, GeometryIsKeptAsCentreAndBounds) {
    const auto label = make<RtLabelWrapper>(u"x");
    label->SetLayoutAnimated(0, 0, 10, 20, 100, 40);
    // A new size keeps the left and top edges where they were: the centre moves.
    label->setWidth(50);
    label->setHeight(10);
    EXPECT_FLOAT_EQ(label->view().centerX(), 35);
    EXPECT_FLOAT_EQ(label->view().centerY(), 25);
    label->setLeft(-5);
    EXPECT_FLOAT_EQ(label->Left(), -5);
    EXPECT_FLOAT_EQ(label->Width(), 50);
}

// Records what the tree tells its renderer.
class RecordingRenderer final : public platform::ViewRenderer {
  public:
    void setRoot(platform::ViewNode* root) override { events.push_back(root ? "root" : "no root"); }
    void inserted(platform::ViewNode&, platform::ViewNode& child, size_t index) override {
        events.push_back("inserted " + kind(child) + " at " + std::to_string(index));
    }
    void removing(platform::ViewNode& parent, platform::ViewNode& child) override {
        // The child must still be in its parent while this runs.
        bool found = false;
        for (size_t i = 0; i < parent.childCount(); ++i)
            found = found || &parent.childAt(i) == &child;
        events.push_back(std::string("removing ") + kind(child) +
                         (found ? " (attached)" : " (detached)"));
    }
    void changed(platform::ViewNode& node, uint32_t changes) override {
        events.push_back("changed " + kind(node) + " " + std::to_string(changes) + " animated " +
                         std::to_string(node.state().animationMillis));
    }
    void reordered(platform::ViewNode&) override { events.push_back("reordered"); }
    static std::string kind(platform::ViewNode& node) {
        return node.state().kind == platform::ViewKind::Label ? "label" : "view";
    }
    std::vector<std::string> events;
};

TEST_F(ViewModelTest, ARendererHearsOfChangesInsideTheWindowOnly) {
    RecordingRenderer renderer;
    Screen::main().setRenderer(&renderer);
    const auto label = make<RtLabelWrapper>(u"x");
    label->setText(u"outside");
    EXPECT_EQ(renderer.events.size(), 1u);

    Screen::main().window()->addSubview(std::static_pointer_cast<UiView>(label->object()));
    label->SetLayoutAnimated(250, 0.5f, 1, 2, 3, 4);
    // The model holds the frame already, but the renderer may still be moving there: told once.
    label->SetLayoutAnimated(0, 0.5f, 1, 2, 3, 4);
    label->SetLayoutAnimated(0, 0.5f, 1, 2, 3, 4);
    label->setLeft(1);
    label->RemoveViewFromParent();
    label->setText(u"gone");
    Screen::main().setRenderer(nullptr);
    EXPECT_EQ(renderer.events,
              (Calls{"root", "inserted label at 0", "changed label 1 animated 250",
                     "changed label 1 animated 0", "removing label (attached)", "no root"}));
}

TEST_F(ViewModelTest, RootPanelColourAlsoColoursThePage) {
    const auto page = make<RtPage>(u"page1");
    page->RootPanel()->setColor(static_cast<int32_t>(0xFF000000u));
    EXPECT_EQ(page->controller().mainView()->state().backgroundColor, 0xFF000000u);

    const auto inner = panel(u"inner");
    const auto outer = panel(u"outer");
    outer->AddView(Value(inner), 0, 0, 10, 10);
    inner->setColor(static_cast<int32_t>(0xFF112233u));
    EXPECT_EQ(outer->view().state().backgroundColor, 0u);
}

TEST_F(ViewModelTest, ATapIsQueuedToTheNearestViewWithAClickHandler) {
    const auto outer = panel(u"pnl");
    const auto label = make<RtLabelWrapper>(u"nothandled");
    const auto handled = make<RtLabelWrapper>(u"lbl");
    const auto unhandledButton = make<RtButtonWrapper>(u"none");
    const auto button = make<RtButtonWrapper>(u"btn");
    for (const auto& view : {Value(label), Value(handled), Value(unhandledButton), Value(button)})
        outer->AddView(view, 0, 0, 50, 20);
    Screen::main().window()->addSubview(std::static_pointer_cast<UiView>(outer->object()));

    // A label without a handler does not intercept the tap: the panel behind it gets it. A control
    // takes its taps, with or without a handler.
    label->view().tap();
    handled->view().tap();
    unhandledButton->view().tap();
    button->view().tap();
    EXPECT_TRUE(module()->calls.empty()) << "clicks are queued, not raised during the tap";
    settle();
    EXPECT_EQ(module()->calls, (Calls{"pnl_click", "lbl_click", "btn_click"}));
    EXPECT_EQ(module()->senders[1].object(), handled->object());

    // Disabled controls, hidden views and views inside hidden panels take no taps.
    button->setEnabled(false);
    button->view().tap();
    button->setEnabled(true);
    outer->setVisible(false);
    handled->view().tap();
    button->view().tap();
    settle();
    EXPECT_EQ(module()->calls.size(), 3u);
}

TEST_F(ViewModelTest, OnlyViewsALongClickHandlerWaitsForRecogniseALongPressAndRaiseItOnce) {
    const auto handled = make<RtLabelWrapper>(u"lbl");
    const auto button = make<RtButtonWrapper>(u"btn");
    const auto outer = panel(u"lbl");  // the module has lbl_longclick: the panel waits for one
    const auto inside = make<RtLabelWrapper>(u"nothandled");
    outer->AddView(Value(inside), 0, 0, 50, 20);
    const auto plain = panel(u"pnl");
    const auto insidePlain = make<RtLabelWrapper>(u"nothandled");
    plain->AddView(Value(insidePlain), 0, 0, 50, 20);

    EXPECT_TRUE(handled->view().recognisesLongPress());
    EXPECT_TRUE(inside->view().recognisesLongPress()) << "the press reaches the panel's handler";
    EXPECT_FALSE(button->view().recognisesLongPress()) << "a click-only button";
    EXPECT_FALSE(insidePlain->view().recognisesLongPress()) << "a panel with a click handler only";
    handled->view().longPress();
    settle();
    EXPECT_EQ(module()->calls, (Calls{"lbl_longclick"})) << "once, and no click";
    outer->setVisible(false);
    EXPECT_FALSE(inside->view().recognisesLongPress());
}

TEST_F(ViewModelTest, SliderMovesAreClampedAndOnlyChangesAreRaised) {
    const auto slider = make<RtSliderWrapper>(u"sld");
    slider->setMaximumValue(10);
    slider->setMinimumValue(2);
    slider->setValue(50);
    EXPECT_FLOAT_EQ(slider->Value(), 10) << "code clamps too";
    settle();
    EXPECT_TRUE(module()->calls.empty()) << "values set by code raise nothing";

    UiSlider& view = slider->slider();
    view.slide(3.5f);
    view.slide(3.5f);
    view.slide(-7);
    view.slide(1);  // clamps to 2 again: no change
    settle();
    EXPECT_EQ(module()->calls, (Calls{"sld_valuechanged 3.5", "sld_valuechanged 2"}));

    slider->setEnabled(false);
    view.slide(8);
    settle();
    EXPECT_FLOAT_EQ(slider->Value(), 2);

    // A slider whose module has no handler still moves.
    const auto quiet = make<RtSliderWrapper>(u"quiet");
    quiet->slider().slide(0.25f);
    settle();
    EXPECT_FLOAT_EQ(quiet->Value(), 0.25f);
    EXPECT_EQ(module()->calls.size(), 2u);
}

TEST_F(ViewModelTest, PanelTouchesAreRaisedAtOnceInPanelCoordinates) {
    const auto touched = panel(u"pnl");
    touched->view().touch(platform::TouchAction::Down, 5, 6.5f);
    EXPECT_EQ(module()->calls, (Calls{"pnl_touch 0 5 6.5"}));
    touched->view().touch(platform::TouchAction::Up, 9, 10);
    EXPECT_EQ(module()->calls.back(), "pnl_touch 1 9 10");
}

TEST_F(ViewModelTest, TwoQuickSizeChangesRaiseOneResizeWithTheFinalSize) {
    const auto resized = panel(u"pnl", 100, 50);
    resized->setWidth(120);
    resized->setHeight(70);
    EXPECT_TRUE(module()->calls.empty());
    settle();
    EXPECT_EQ(module()->calls, (Calls{"pnl_resize 120 70"}));

    // Moving without resizing is no size change.
    resized->setLeft(30);
    resized->SetLayoutAnimated(0, 0, 30, 0, 120, 70);
    settle();
    EXPECT_EQ(module()->calls.size(), 1u);
}

TEST_F(ViewModelTest, AResizeStepOfAPanelThatIsGoneDoesNothing) {
    {
        const auto temporary = make<RtPanelWrapper>(u"pnl");
        temporary->view().setFrame(0, 0, 80, 80);
    }
    settle();
    EXPECT_TRUE(module()->calls.empty());
}

TEST_F(ViewModelTest, GetAllViewsRecursiveListsParentsBeforeTheirChildren) {
    const auto outer = panel(u"a");
    const auto inner = panel(u"b");
    const auto first = make<RtLabelWrapper>(u"c");
    const auto second = make<RtLabelWrapper>(u"d");
    const auto after = make<RtButtonWrapper>(u"e");
    inner->AddView(Value(first), 0, 0, 1, 1);
    inner->AddView(Value(second), 0, 0, 1, 1);
    outer->AddView(Value(inner), 0, 0, 1, 1);
    outer->AddView(Value(after), 0, 0, 1, 1);
    second->setVisible(false);
    const auto views = outer->GetAllViewsRecursive();
    ASSERT_EQ(views->Size(), 4);
    EXPECT_EQ(views->Get(0).object(), inner->object());
    EXPECT_EQ(views->Get(1).object(), first->object());
    EXPECT_EQ(views->Get(2).object(), second->object()) << "hidden views are listed too";
    EXPECT_EQ(views->Get(3).object(), after->object());

    EXPECT_EQ(outer->GetView(1).object(), after->object());
    EXPECT_THROW(outer->GetView(2), RtException);
    outer->RemoveViewAt(0);
    EXPECT_EQ(outer->NumberOfViews(), 1);
    EXPECT_EQ(inner->view().parent(), nullptr);
}

TEST_F(ViewModelTest, UninitializedWrappersRaiseAndTakeOnlyTheirKindOfView) {
    EXPECT_EQ(testing::raised([] { RtPanelWrapper().Left(); }).reason(),
              u"Object was not initialized (RtPanelView)");
    // A label is a view but not a panel.
    RtPanelWrapper wrongKind;
    EXPECT_THROW(wrongKind.setObject(Value(std::make_shared<UiLabel>())), RtException);
}

TEST_F(ViewModelTest, EqualFontsAreOneDictionaryKey) {
    const RtFontWrapper maker;
    const auto first = maker.CreateNewBold(20);
    const auto second = maker.CreateNewBold(20);
    ASSERT_TRUE(Value(first).equals(Value(second)));
    ValueTable table;
    table.insert_or_assign(Value(first), Value::ofInt(1));
    table.insert_or_assign(Value(second), Value::ofInt(2));
    EXPECT_EQ(table.size(), 1u);
    EXPECT_EQ(table.count(Value(maker.CreateNewBold(21))), 0u);
}

TEST_F(ViewModelTest, HitTestingSkipsHiddenAndNonInteractiveViewsAndHonoursClipping) {
    const auto outer = panel(u"pnl", 100, 100);
    const auto button = make<RtButtonWrapper>(u"btn");
    outer->AddView(Value(button), 10, 10, 30, 30);
    const auto cover = make<RtLabelWrapper>(u"none");  // no handler: not interactive
    outer->AddView(Value(cover), 0, 0, 100, 100);
    UiView& root = outer->view();
    EXPECT_EQ(root.hitTest(20, 20), &button->view());
    cover->setUserInteractionEnabled(true);
    EXPECT_EQ(root.hitTest(20, 20), &cover->view());
    cover->setVisible(false);
    EXPECT_EQ(root.hitTest(20, 20), &button->view());
    // Panels clip: a child sticking out cannot be hit outside the panel.
    button->setLeft(90);
    EXPECT_EQ(root.hitTest(110, 20), nullptr);
}

TEST_F(ViewModelTest, BitmapsComeFromStreamsAndGoBackInTheCodecsFormat) {
    const std::string text = FakeImageCodec::imageText(3, 5, 0x123456);
    auto input = std::make_shared<RtInputStream>();
    input->InitializeFromBytesArray(RtArray::ofBytes({text.begin(), text.end()}), 0,
                                    static_cast<int32_t>(text.size()));
    RtBitmap bitmap;
    bitmap.Initialize2(input);
    EXPECT_FLOAT_EQ(bitmap.Height(), 5);
    auto output = std::make_shared<RtOutputStream>();
    output->InitializeToBytesArray(0);
    bitmap.WriteToStream(output, 80, u"PNG");
    EXPECT_EQ(output->ToBytesArray()->Length(), static_cast<int32_t>(text.size()));

    writeAsset("broken.png", "not an image");
    EXPECT_EQ(testing::raised([&] {
                  bitmap.Initialize(fromUtf8(assets.path().string()), u"broken.png");
              }).reason(),
              u"Error loading image.");
}

}  // namespace
}  // namespace zemtra
