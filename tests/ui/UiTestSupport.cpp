// User-interface test helpers.
#include "tests/ui/UiTestSupport.h"

#include <charconv>
#include <sstream>

#include "runtime/core/MethodTable.h"
#include "runtime/core/RtCommon.h"
#include "runtime/lib/RtFile.h"
#include "tools/LayoutText.h"
#include "ui/CustomView.h"
#include "ui/RtDialogs.h"
#include "ui/Screen.h"

namespace zemtra::testing {

const MethodTable* RecordingModule::methods() const {
    static const MethodTable table{
        MethodTable::sub("_btn_click", &RecordingModule::_btn_click),
        MethodTable::sub("_lbl_click", &RecordingModule::_lbl_click),
        MethodTable::sub("_lbl_longclick", &RecordingModule::_lbl_longclick),
        MethodTable::sub("_pnl_click", &RecordingModule::_pnl_click),
        MethodTable::sub("_sld_valuechanged:", &RecordingModule::_sld_valuechanged),
        MethodTable::sub("_pnl_touch:::", &RecordingModule::_pnl_touch),
        MethodTable::sub("_pnl_resize::", &RecordingModule::_pnl_resize),
        MethodTable::sub("_page1_resize::", &RecordingModule::_page1_resize),
        MethodTable::sub("_page1_appear", &RecordingModule::_page1_appear),
        MethodTable::sub("_page1_disappear", &RecordingModule::_page1_disappear),
        MethodTable::sub("_page2_appear", &RecordingModule::_page2_appear),
        MethodTable::sub("_page2_disappear", &RecordingModule::_page2_disappear),
        MethodTable::sub("_confirm_click:", &RecordingModule::_confirm_click),
        MethodTable::sub("_boom_touch:::", &RecordingModule::_boom_touch),
        MethodTable::sub("set_label1:", &RecordingModule::set_label1),
        MethodTable::sub("set_btn1:", &RecordingModule::set_btn1),
        MethodTable::sub("set_slider1:", &RecordingModule::set_slider1),
        MethodTable::sub("set_pnl1:", &RecordingModule::set_pnl1),
    };
    return &table;
}

void RecordingModule::record(std::string call) {
    calls.push_back(std::move(call));
    senders.push_back(RtCore::sender());
}

std::string RecordingModule::text(double value) {
    return toUtf8(numberToString(Number::ofDouble(value)));
}

Value RecordingModule::field(const std::string& name) const {
    for (auto entry = fields.rbegin(); entry != fields.rend(); ++entry) {
        if (entry->first == name) return entry->second;
    }
    return Value();
}

std::optional<platform::Image> FakeImageCodec::decode(std::span<const uint8_t> bytes) const {
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    std::string magic;
    int width = 0;
    int height = 0;
    std::string color;
    if (!(in >> magic >> width >> height >> color) || magic != "FAKEIMG" || width <= 0 ||
        height <= 0 || width > 4096 || height > 4096) {
        return std::nullopt;
    }
    uint32_t rgb = 0;
    std::from_chars(color.data(), color.data() + color.size(), rgb, 16);
    platform::Image image;
    image.width = width;
    image.height = height;
    image.argb.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0xFF000000u | rgb);
    return image;
}

std::optional<std::vector<uint8_t>> FakeImageCodec::encode(const platform::Image& image,
                                                           platform::ImageFormat, int) const {
    if (image.argb.empty()) return std::nullopt;
    const std::string text = imageText(image.width, image.height, image.argb.front() & 0xFFFFFFu);
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::string FakeImageCodec::imageText(int width, int height, uint32_t rgb) {
    char color[8];
    std::snprintf(color, sizeof color, "%06X", rgb);
    return "FAKEIMG " + std::to_string(width) + " " + std::to_string(height) + " " + color;
}

UiTest::UiTest() {
    scope.add(std::make_shared<RtDialogs>());
    Screen::resetForTesting();
    CustomView::resetForTesting();
    Screen::main().setImageCodec(&codec);
    RtCommon::New()->service<RtFile>()->setVirtualAssetsFolder(
        Value(fromUtf8(assets.path().string())));
    StaticModules::registerClass<RecordingModule>(u"zm_main");
}

UiTest::~UiTest() {
    // Views queue steps that hold them weakly; drop pending work before the screen goes.
    Screen::resetForTesting();
    CustomView::resetForTesting();
}

void UiTest::writeLayout(const std::string& name, const std::string& source) const {
    std::string file = name + ".lyt";
    for (char& c : file) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::vector<uint8_t> bytes = layout::write(layout::compileText(source, name + ".layout"));
    writeAsset(file, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace zemtra::testing
