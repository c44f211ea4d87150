// The built-in view classes and their per-class properties.
#include "ui/ViewClasses.h"

#include <algorithm>
#include <array>

#include "runtime/core/RtCore.h"
#include "ui/CustomView.h"
#include "ui/FileAccess.h"
#include "ui/RtBitmap.h"
#include "ui/RtButtonWrapper.h"
#include "ui/RtImageViewWrapper.h"
#include "ui/RtLabelWrapper.h"
#include "ui/RtPanelWrapper.h"
#include "ui/RtSliderWrapper.h"
#include "ui/RtTextViewWrapper.h"

namespace zemtra {

std::optional<uint32_t> secondaryColor(const layout::PropertyMap& map, StringView key) {
    const std::optional<uint32_t> color = map.color(key);
    if (!color || *color == kDefaultColorMarker) return std::nullopt;
    return color;
}

namespace {

// The "font" map: a name starting with "DEFAULT" is the system font (bold when it ends with
// "Bold", italic with "Italic"); icon fonts take the view map's icon character as the text.
std::optional<platform::Font> fontOf(const layout::PropertyMap& map) {
    const layout::PropertyMap* font = map.map(u"font");
    if (!font) return std::nullopt;
    platform::Font result;
    const String name = font->string(u"fontName").value_or(String());
    if (name.starts_with(u"DEFAULT")) {
        result.bold = name.ends_with(u"Bold");
        result.italic = name.ends_with(u"Italic");
    } else {
        result.family = name;
    }
    if (const auto size = font->number(u"fontSize")) result.size = static_cast<float>(*size);
    return result;
}

std::optional<String> textOf(const layout::PropertyMap& map) {
    std::optional<String> text = map.string(u"text");
    const layout::PropertyMap* font = map.map(u"font");
    if (!font) return text;
    const String name = font->string(u"fontName").value_or(String());
    if (name == u"FontAwesome") {
        if (auto icon = map.string(u"fontAwesome")) return icon;
    } else if (name == u"Material Icons") {
        if (auto icon = map.string(u"materialIcons")) return icon;
    }
    return text;
}

// Whether a relative file name stays inside its folder: not absolute, no ".." component.
bool isInsideFolder(StringView name) {
    if (name.starts_with(u"/")) return false;
    size_t start = 0;
    while (start <= name.size()) {
        const size_t end = std::min(name.find(u'/', start), name.size());
        if (name.substr(start, end - start) == u"..") return false;
        start = end + 1;
    }
    return true;
}

template <class W>
std::shared_ptr<RtViewWrapper> makeWrapper() {
    return std::make_shared<W>();
}

std::shared_ptr<UiView> buildPlain(const layout::PropertyMap&, const ViewBuildContext&) {
    return std::make_shared<UiView>();
}

std::shared_ptr<UiView> buildPanel(const layout::PropertyMap&, const ViewBuildContext&) {
    return std::make_shared<RtPanelView>();
}

std::shared_ptr<UiView> buildLabel(const layout::PropertyMap& map, const ViewBuildContext&) {
    auto label = std::make_shared<UiLabel>();
    if (auto font = fontOf(map)) label->setFont(*font);
    if (auto text = textOf(map)) label->setText(*text);
    if (auto color = secondaryColor(map, u"textColor")) label->setTextColor(color);
    if (auto multiline = map.boolean(u"multiline")) label->setMultiline(*multiline);
    if (auto adjust = map.boolean(u"adjustFontSizeToFit")) label->setAdjustFontSizeToFit(*adjust);
    if (auto alignment = map.integer(u"textAlignment"))
        label->setAlignment(textAlignmentFrom(*alignment));
    return label;
}

std::shared_ptr<UiView> buildButton(const layout::PropertyMap& map, const ViewBuildContext&) {
    auto button = std::make_shared<UiButton>(map.integer(u"style").value_or(1));
    if (auto font = fontOf(map)) button->setFont(*font);
    if (auto text = textOf(map)) button->setTitle(*text);
    if (auto color = secondaryColor(map, u"textColor")) button->setTitleColor(color);
    if (auto color = secondaryColor(map, u"pressedTextColor")) button->setPressedTitleColor(color);
    if (auto color = secondaryColor(map, u"tintColor")) button->setTintColor(color);
    if (auto enabled = map.boolean(u"enabled")) button->setEnabled(*enabled);
    return button;
}

std::shared_ptr<UiView> buildImageView(const layout::PropertyMap& map,
                                       const ViewBuildContext& context) {
    auto view = std::make_shared<UiImageView>();
    if (auto mode = map.integer(u"contentMode")) {
        view->setContentMode(static_cast<platform::ContentMode>(static_cast<uint8_t>(*mode)));
    }
    const String file = map.string(u"imageFile").value_or(String());
    if (file.empty()) return view;
    try {
        // A layout is data: its images come from the assets folder and nowhere else.
        if (!isInsideFolder(file)) raise(u"", u"Image file outside the assets folder: %@", {file});
        view->setImage(RtBitmap::load(files::assetsDirectory(), file));
    } catch (const RtException& error) {
        const auto& core = context.core ? context.core : RtCore::shared();
        core->LogError(formatText(u"Error loading bitmap: %@", {error.description()}));
    }
    return view;
}

std::shared_ptr<UiView> buildSlider(const layout::PropertyMap& map, const ViewBuildContext&) {
    auto slider = std::make_shared<UiSlider>();
    // Maximum first, so a minimum above the default maximum of 1 is not pulled down.
    if (auto maximum = map.number(u"maximumValue"))
        slider->setMaximum(static_cast<float>(*maximum));
    if (auto minimum = map.number(u"minimumValue"))
        slider->setMinimum(static_cast<float>(*minimum));
    if (auto value = map.number(u"value")) slider->setValue(static_cast<float>(*value));
    if (auto color = secondaryColor(map, u"minimumTrackTintColor"))
        slider->setMinimumTrackColor(color);
    if (auto continuous = map.boolean(u"continuous")) slider->setContinuous(*continuous);
    if (auto enabled = map.boolean(u"enabled")) slider->setEnabled(*enabled);
    return slider;
}

std::shared_ptr<UiView> buildTextView(const layout::PropertyMap& map, const ViewBuildContext&) {
    auto view = std::make_shared<UiTextView>();
    if (auto font = fontOf(map)) view->setFont(*font);
    if (auto text = textOf(map)) view->setText(*text);
    if (auto color = secondaryColor(map, u"textColor")) view->setTextColor(color);
    if (auto alignment = map.integer(u"textAlignment"))
        view->setAlignment(textAlignmentFrom(*alignment));
    if (auto editable = map.boolean(u"editable")) view->setEditable(*editable);
    return view;
}

constexpr std::array kViewClasses{
    ViewClass{RtViewWrapper::kClassName, &makeWrapper<RtViewWrapper>, &buildPlain},
    ViewClass{RtPanelWrapper::kClassName, &makeWrapper<RtPanelWrapper>, &buildPanel},
    ViewClass{RtCustomViewWrapper::kClassName, &makeWrapper<RtCustomViewWrapper>, &buildPanel},
    ViewClass{RtLabelWrapper::kClassName, &makeWrapper<RtLabelWrapper>, &buildLabel},
    ViewClass{RtButtonWrapper::kClassName, &makeWrapper<RtButtonWrapper>, &buildButton},
    ViewClass{RtImageViewWrapper::kClassName, &makeWrapper<RtImageViewWrapper>, &buildImageView},
    ViewClass{RtSliderWrapper::kClassName, &makeWrapper<RtSliderWrapper>, &buildSlider},
    ViewClass{RtTextViewWrapper::kClassName, &makeWrapper<RtTextViewWrapper>, &buildTextView},
};

}  // namespace

const ViewClass* findViewClass(StringView name) {
    for (const ViewClass& viewClass : kViewClasses) {
        if (viewClass.name == name) return &viewClass;
    }
    return nullptr;
}

}  // namespace zemtra
