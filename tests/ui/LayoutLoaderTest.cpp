// Loading layout files: the variant choice, building and binding views, anchors, colours, a
// panel without a size or resize data, designer scripts, custom views, and every way a file can be
// broken (the reader must name the file and the byte offset and never read past the data).
#include <gtest/gtest.h>

#include <limits>

#include "runtime/core/MethodTable.h"
#include "runtime/core/RtCore.h"
#include "tests/ui/UiTestSupport.h"
#include "tools/LayoutText.h"
#include "ui/CustomView.h"
#include "ui/RtButtonWrapper.h"
#include "ui/RtImageViewWrapper.h"
#include "ui/RtLabelWrapper.h"
#include "ui/RtLayoutBuilder.h"
#include "ui/RtPanelWrapper.h"
#include "ui/RtSliderWrapper.h"
#include "ui/Screen.h"

namespace zemtra {
namespace {

using testing::FakeImageCodec;

// Distances by the designer's rule: the sides' differences, a larger side padded by 50 first, 100
// more for the other orientation, and a variant over a fifth too large never chosen.
TEST(VariantChoice, DistancesFollowTheDesignersRule) {
    constexpr float kTooBig = std::numeric_limits<float>::max();
    struct Row {
        int32_t width, height;
        float deviceWidth, deviceHeight, distance;
    };
    for (const Row& row :
         {Row{320, 480, 320, 568, 88}, Row{320, 568, 320, 568, 0}, Row{320, 480, 375, 667, 242},
          Row{568, 320, 568, 600, 380}, Row{340, 600, 330, 590, 120},
          Row{340, 568, 340.5f, 568.7f, 0},  // fractions are truncated
          Row{400, 568, 320, 568, kTooBig}, Row{320, 700, 320, 568, kTooBig}}) {
        EXPECT_FLOAT_EQ(
            RtLayoutValues(row.width, row.height).calcDistance(row.deviceWidth, row.deviceHeight),
            row.distance)
            << row.width << "x" << row.height << " on " << row.deviceWidth << "x"
            << row.deviceHeight;
    }
}

TEST(VariantChoice, FirstOfEqualDistancesWinsAndASingleVariantIsAlwaysUsed) {
    const std::vector<layout::Variant> two{{1, 320, 480}, {1, 320, 568}};
    EXPECT_EQ(RtLayoutBuilder::findBestVariant(two, 375, 667), 1u);
    const std::vector<layout::Variant> tie{{1, 330, 568}, {1, 350, 568}};
    EXPECT_EQ(RtLayoutBuilder::findBestVariant(tie, 340, 568), 0u);
    const std::vector<layout::Variant> huge{{1, 2000, 3000}};
    EXPECT_EQ(RtLayoutBuilder::findBestVariant(huge, 320, 480), 0u);
}

// Two variants; the second (340 x 568) fits the screen exactly.
constexpr const char* kForm = R"(
variant 320 x 480
variant 340 x 568
handleResizeEvent = true
backgroundColor = #FF101010
view RtLabelWrapper Label1 { frame 0 = 1 1 1 1  frame 1 = 10 20 100 30  eventName = "lbl"
    text = "Hello"  textColor = #FFF0F8FF  backgroundColor = #FFF0F8FF  tag = "drm" }
view RtButtonWrapper Btn1 { frame 1 = 10 50 50 30 1 0  eventName = "btn"  text = "Go"
    textColor = #FF00FF00 }
view RtPanelWrapper Pnl1 { frame 1 = 0 100 20 40 2 1  eventName = "inner"  visible = false
    view RtSliderWrapper Slider1 { frame 1 = 0 0 0 10 2 0  eventName = "sld"  minimumValue = 0f
        maximumValue = 102.4f  value = 10f }
}
)";

class LayoutLoaderTest : public testing::UiTest {
  protected:
    LayoutLoaderTest() {
        root->view().setFrame(0, 0, 340, 568);
        settle();
    }
    std::shared_ptr<RtPanelWrapper> root = make<RtPanelWrapper>(u"root");

    // The reason of the error that loading `name` raises ("" when it loads).
    std::u16string loadError(const std::string& name) {
        try {
            root->LoadLayout(fromUtf8(name), module()->bi);
        } catch (const RtException& error) {
            return error.reason();
        }
        return u"";
    }
};

TEST_F(LayoutLoaderTest, BuildsBindsAndPlacesTheViewsOfTheNearestVariant) {
    writeLayout("Form", kForm);
    EXPECT_EQ(root->LoadLayout(u"Form", module()->bi)->Width(), 340);
    EXPECT_EQ(root->view().state().backgroundColor, 0xFF101010u);

    // Views land in the module fields named after them, lower-cased.
    const auto label = module()->field("_label1").as<RtLabelWrapper>();
    ASSERT_TRUE(label);
    EXPECT_EQ(label->Text(), u"Hello");
    EXPECT_FLOAT_EQ(label->Top(), 20);
    EXPECT_EQ(*label->Tag().string(), u"drm");
    // The marker keeps the default text colour; the background takes the marker as it is.
    EXPECT_FALSE(label->label().textColor().has_value());
    EXPECT_EQ(label->view().state().backgroundColor, 0xFFF0F8FFu);

    const auto button = module()->field("_btn1").as<RtButtonWrapper>();
    ASSERT_TRUE(button);
    EXPECT_EQ(button->button().titleColor(), 0xFF00FF00u);
    EXPECT_FLOAT_EQ(button->Left(), 340 - 10 - 50) << "right-anchored";

    const auto panel = module()->field("_pnl1").as<RtPanelWrapper>();
    EXPECT_FALSE(panel->Visible());
    EXPECT_FLOAT_EQ(panel->Width(), 340 - 20 - 0)
        << "stretched: width is the distance from the right edge";
    EXPECT_FLOAT_EQ(panel->Top(), 568 - 100 - 40) << "bottom-anchored";
    const auto slider = module()->field("_slider1").as<RtSliderWrapper>();
    EXPECT_FLOAT_EQ(slider->Width(), 320) << "anchors work inside the parent's own size";
    EXPECT_FLOAT_EQ(slider->MaximumValue(), 102.4f);

    // Events are bound with each view's "eventName".
    button->view().tap();
    label->view().tap();
    settle();
    EXPECT_EQ(module()->calls, (std::vector<std::string>{"btn_click", "lbl_click"}));

    // Input by layout name finds views once they are in the window.
    EXPECT_EQ(Screen::main().findView(u"btn1"), nullptr);
    Screen::main().window()->addSubview(std::static_pointer_cast<UiView>(root->object()));
    EXPECT_EQ(Screen::main().findView(u"BTN1").get(), &button->view());
    EXPECT_EQ(Screen::main().findView(u"Slider1").get(), &slider->view()) << "inside a panel";
}

TEST_F(LayoutLoaderTest, TheSuffixIsAddedOnlyWhenMissingAndAMissingFileIsTheFileError) {
    writeLayout("Form", kForm);
    EXPECT_EQ(loadError("Form.lyt"), u"");
    EXPECT_EQ(root->NumberOfViews(), 3);
    EXPECT_EQ(loadError("Form"), u"");
    EXPECT_EQ(root->NumberOfViews(), 6);
    EXPECT_TRUE(loadError("Missing").starts_with(u"Error opening stream: "));
}

TEST_F(LayoutLoaderTest, APanelWithoutASizeIsLaidOutForTheScreenAndWithoutResizeDataOnlyOnce) {
    writeLayout("Still",
                "variant 340 x 568\nview RtLabelWrapper label1 { frame 0 = 5 5 10 10 1 1 }\n");
    const auto bare = make<RtPanelWrapper>(u"bare");
    bare->LoadLayout(u"Still", module()->bi);
    const auto label = module()->field("_label1").as<RtLabelWrapper>();
    EXPECT_FLOAT_EQ(label->Left(), Screen::main().width() - 15);
    EXPECT_FLOAT_EQ(label->Top(), Screen::main().height() - 15);

    EXPECT_EQ(RtLayoutBuilder::resizeLayout(bare->panel(), 100, 100), nullptr);
    ASSERT_FALSE(log.lines.empty());
    EXPECT_EQ(log.lines.back(), "ResizeLayout: Layout data not found.");
    EXPECT_FLOAT_EQ(label->Left(), Screen::main().width() - 15);
}

TEST_F(LayoutLoaderTest, ImagesLoadFromTheAssetsAndAFailureIsLoggedNotRaised) {
    writeAsset("led.png", FakeImageCodec::imageText(4, 2, 0x00FF00));
    writeAsset("bad.png", "garbage");
    writeLayout("Pics", R"(
variant 340 x 568
view RtImageViewWrapper good { frame 0 = 0 0 4 2  imageFile = "LED.png"  contentMode = 1 }
view RtImageViewWrapper bad { frame 0 = 0 0 4 2  imageFile = "bad.png" }
view RtImageViewWrapper outside { imageFile = "../led.png" }
)");
    root->LoadLayout(u"Pics", module()->bi);
    const auto& views = root->panel().children();
    ASSERT_EQ(views.size(), 3u);
    const auto& good = static_cast<UiImageView&>(*views[0]);
    ASSERT_TRUE(good.image()) << "asset names are looked up in lower case";
    EXPECT_EQ(good.contentMode(), platform::ContentMode::Fit);
    EXPECT_FALSE(static_cast<UiImageView&>(*views[1]).image());
    ASSERT_GE(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[log.lines.size() - 2], "Error loading bitmap: Error loading image.");
    EXPECT_EQ(log.lines.back(),
              "Error loading bitmap: Image file outside the assets folder: ../led.png");
    EXPECT_FALSE(static_cast<UiImageView&>(*views[2]).image());
}

// A layout's image view on screens of either density: the file it shows and its size in points.
TEST_F(LayoutLoaderTest, DenseScreensShowTheDoubleSizeFileBesideThePlainOne) {
    writeAsset("meter.png", FakeImageCodec::imageText(10, 6, 0xFF0000));
    writeAsset("meter@2x.png", FakeImageCodec::imageText(20, 12, 0x00FF00));
    writeAsset("plain.png", FakeImageCodec::imageText(10, 6, 0xFF0000));
    writeAsset("only@2x.png", FakeImageCodec::imageText(8, 8, 0x0000FF));
    struct Row {
        float screenScale;
        std::string file;
        uint32_t shown;  // which file was read
        float scale, width;
    };
    for (const Row& row :
         {Row{1, "meter.png", 0xFFFF0000u, 1, 10}, Row{2, "meter.png", 0xFF00FF00u, 2, 10},
          Row{2, "plain.png", 0xFFFF0000u, 1, 10},  // no "@2x" beside it
          Row{1, "only@2x.png", 0xFF0000FFu, 2, 4}}) {
        SCOPED_TRACE(row.file + " on a screen of scale " + std::to_string(row.screenScale));
        codec.scale = row.screenScale;
        writeLayout("Pic", "variant 340 x 568\nview RtImageViewWrapper pic { imageFile = \"" +
                               row.file + "\" }\n");
        root->LoadLayout(u"Pic", module()->bi);
        auto& view = static_cast<UiImageView&>(*root->panel().children().back());
        ASSERT_TRUE(view.image());
        view.sizeToFit();
        EXPECT_FLOAT_EQ(view.width(), row.width);
        EXPECT_FLOAT_EQ(view.image()->scale(), row.scale);
        EXPECT_EQ(view.image()->pixels()->argb.front(), row.shown);
    }
}

// The designer script of layout "Scripted Form-2".
class ScriptModule final : public RtStaticModule {
  public:
    const MethodTable* methods() const override {
        static const MethodTable table{
            MethodTable::sub("LS_general:::", &ScriptModule::general),
            MethodTable::sub("LS_340x568:::", &ScriptModule::variant),
        };
        return &table;
    }
    void general(const Value& data, float width, float height) {
        calls.push_back("general " + std::to_string(static_cast<int>(width)) + "x" +
                        std::to_string(static_cast<int>(height)));
        data.as<RtLayoutData>()->setText(u"LABEL1", u"from the script");
    }
    void variant(const Value&, float, float) { calls.push_back("340x568"); }
    std::vector<std::string> calls;
};

TEST_F(LayoutLoaderTest, DesignerScriptsRunWhenPresentAndAreSkippedWhenAbsent) {
    const std::string source =
        "variant 340 x 568\nview RtLabelWrapper Label1 { frame 0 = 0 0 10 10 }\n";
    writeLayout("Plain", source);
    EXPECT_EQ(loadError("Plain"), u"");
    // The script's module is named after the file: lower case, other characters than letters and
    // digits replaced.
    writeLayout("Scripted Form-2", source);
    StaticModules::registerClass<ScriptModule>(u"LS_scripted_form_2");
    root->LoadLayout(u"Scripted Form-2", module()->bi);
    EXPECT_EQ(StaticModules::New<ScriptModule>()->calls,
              (std::vector<std::string>{"general 340x568", "340x568"}));
    EXPECT_EQ(module()->field("_label1").as<RtLabelWrapper>()->Text(), u"from the script");
}

class Gauge final : public CustomView {
  public:
    void designerCreateView(const std::shared_ptr<RtPanelWrapper>& base,
                            const layout::PropertyMap& props) override {
        events.push_back("create " + toUtf8(props.string(u"caption").value_or(u"")));
        baseWidth = base->Width();
    }
    void afterDesignerScript() override { events.push_back("after"); }
    void resize(float width, float) override {
        events.push_back("resize " + std::to_string(static_cast<int>(width)));
    }
    std::vector<std::string> events;
    float baseWidth = -1;
};

TEST_F(LayoutLoaderTest, CustomViewsAreMadeByNameAndMustNameTheirType) {
    std::shared_ptr<Gauge> gauge;
    CustomView::registerClass(u"Gauge", [&gauge] { return gauge = std::make_shared<Gauge>(); });
    writeLayout("Custom", R"(
variant 340 x 568
view RtCustomViewWrapper g { frame 0 = 0 0 100 50  customType = "Gauge"  caption = "rpm" }
)");
    root->LoadLayout(u"Custom", module()->bi);
    ASSERT_TRUE(gauge);
    EXPECT_EQ(gauge->events, (std::vector<std::string>{"create rpm", "after"}));
    root->panel().children().front()->setBoundsSize(120, 50);
    settle();
    EXPECT_EQ(gauge->events.back(), "resize 120");

    writeLayout("Untyped", "variant 340 x 568\nview RtCustomViewWrapper g { frame 0 = 0 0 1 1 }\n");
    EXPECT_EQ(loadError("Untyped"), u"CustomView CustomType property was not set.");
    writeLayout("Unknown",
                "variant 340 x 568\nview RtCustomViewWrapper g { customType = \"Nope\" }\n");
    EXPECT_EQ(loadError("Unknown"), u"Unknown custom view type: Nope");
}

TEST_F(LayoutLoaderTest, UnknownViewTypesAndWrongPropertyKindsNameTheFileAndOffset) {
    writeLayout("Alien", "variant 340 x 568\nview RtAlienWrapper a { }\n");
    try {
        root->LoadLayout(u"Alien", module()->bi);
        FAIL();
    } catch (const layout::LayoutError& error) {
        EXPECT_EQ(error.reason(), u"Unknown view type: RtAlienWrapper");
        EXPECT_GT(error.offset(), 0u);
        EXPECT_NE(std::string(error.what()).find("Alien.lyt, byte "), std::string::npos);
    }
    writeLayout("Mistyped", "variant 340 x 568\nview RtLabelWrapper a { text = 5 }\n");
    EXPECT_EQ(loadError("Mistyped"), u"Layout property \"text\" should be a string");
}

// A compiled layout with one property of the given raw type byte in its root map.
std::vector<uint8_t> withTypeByte(int8_t type) {
    layout::LayoutFile file = layout::compileText("variant 340 x 568\nx = 1\n", "t");
    auto& entries = const_cast<std::vector<layout::PropertyMap::Entry>&>(file.root->entries());
    entries.front().property.type = static_cast<layout::Type>(type);
    return layout::write(file);
}

TEST(LayoutReader, UnknownTypeBytesRaiseWithTheType) {
    for (const int8_t type : {int8_t{0}, int8_t{8}, int8_t{11}, int8_t{-1}}) {
        const std::vector<uint8_t> bytes = withTypeByte(type);
        try {
            layout::parse(bytes, u"t.lyt");
            ADD_FAILURE() << "type " << int{type};
        } catch (const layout::LayoutError& error) {
            EXPECT_EQ(error.reason(), u"Unknown type: " + decimal(type));
            EXPECT_EQ(bytes.at(error.offset()), static_cast<uint8_t>(type))
                << "the offset is the type byte's";
        }
    }
}

TEST(LayoutReader, EveryTruncationIsAnErrorAtOrBeforeTheEnd) {
    const std::vector<uint8_t> whole = layout::write(layout::compileText(kForm, "form"));
    ASSERT_NO_THROW(layout::parse(whole, u"form.lyt"));
    for (size_t length = 0; length < whole.size(); ++length) {
        const std::vector<uint8_t> cut(whole.begin(),
                                       whole.begin() + static_cast<ptrdiff_t>(length));
        try {
            layout::parse(cut, u"form.lyt");
            ADD_FAILURE() << "a file cut at " << length << " bytes was accepted";
        } catch (const layout::LayoutError& error) {
            EXPECT_LE(error.offset(), length);
            EXPECT_EQ(error.file(), u"form.lyt");
        }
    }
}

TEST(LayoutReader, CorruptCountsIndexesAndNestingAreErrors) {
    const auto rejects = [](std::vector<uint8_t> bytes, const std::u16string& start) {
        try {
            layout::parse(bytes, u"bad.lyt");
            ADD_FAILURE() << toUtf8(start);
        } catch (const layout::LayoutError& error) {
            EXPECT_TRUE(error.reason().starts_with(start)) << toUtf8(error.reason());
        }
    };
    const auto int32 = [](int32_t value) {
        std::vector<uint8_t> out;
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i)));
        return out;
    };
    const auto join = [](std::initializer_list<std::vector<uint8_t>> parts) {
        std::vector<uint8_t> out;
        for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
        return out;
    };
    const std::vector<uint8_t> header = join({int32(0), int32(0)});
    const std::vector<uint8_t> oneString = join({int32(1), int32(1), {'k'}});
    const std::vector<uint8_t> oneVariant =
        join({int32(1), int32(0x3F800000), int32(340), int32(568)});
    const std::vector<uint8_t> end = join({int32(0), {4}});

    rejects(join({int32(0), int32(-1)}), u"Layout file has a negative");
    rejects(join({header, int32(0x7FFFFFFF)}),
            u"Layout file ends too early: the string table's size");
    rejects(join({header, int32(1), int32(-2)}), u"Layout file ends too early: a table string");
    rejects(join({header, oneString, int32(0)}), u"Layout file has no variants");
    rejects(join({header, oneString, oneVariant, int32(7), {1}, int32(5), end}),
            u"Layout file refers to string 7");
    rejects(join({header, oneString, oneVariant, int32(0), {9}, int32(-3), end}),
            u"Layout file refers to string -3");
    std::vector<uint8_t> deep = join({header, oneString, oneVariant});
    for (int i = 0; i < 100000; ++i) deep.insert(deep.end(), {0, 0, 0, 0, 3});
    rejects(deep, u"Layout file nests property maps deeper than 64");
}

}  // namespace
}  // namespace zemtra
