// Building views from layout files, binding them to module fields, and re-applying positions.
#include "ui/RtLayoutBuilder.h"

#include <unicode/uchar.h>

#include "runtime/core/MethodTable.h"
#include "runtime/core/Module.h"
#include "runtime/core/RtCore.h"
#include "ui/CustomView.h"
#include "ui/FileAccess.h"
#include "ui/RtMainView.h"
#include "ui/RtPanelWrapper.h"
#include "ui/RtViewController.h"
#include "ui/Screen.h"
#include "ui/ViewClasses.h"

namespace zemtra {

namespace {

enum class Mode { Load, Resize };

struct Build {
    RtLayoutData& data;
    std::shared_ptr<RtCore> core;
    ObjectRef module;
    String variantKey;
    Mode mode;
};

constexpr StringView kLayoutDataKey = u"layoutdata";

void place(const layout::PropertyMap& map, UiView& view, float parentWidth, float parentHeight,
           const Build& build) {
    const layout::PropertyMap* variant = map.map(build.variantKey);
    const auto read = [variant](StringView key) {
        return variant ? static_cast<float>(variant->number(key).value_or(0)) : 0.0f;
    };
    float left = read(u"left");
    float top = read(u"top");
    float width = read(u"width");
    float height = read(u"height");
    const int32_t horizontal = variant ? variant->integer(u"hanchor").value_or(0) : 0;
    const int32_t vertical = variant ? variant->integer(u"vanchor").value_or(0) : 0;
    if (horizontal == 1) left = parentWidth - left - width;
    if (horizontal == 2) width = parentWidth - width - left;
    if (vertical == 1) top = parentHeight - top - height;
    if (vertical == 2) height = parentHeight - height - top;
    view.setFrame(left, top, width, height);
}

void applyCommon(const layout::PropertyMap& map, UiView& view, bool isMain) {
    if (!isMain && (map.contains(u"borderWidth") || map.contains(u"borderColor") ||
                    map.contains(u"cornerRadius"))) {
        view.setBorder(static_cast<float>(map.number(u"borderWidth").value_or(0)),
                       map.color(u"borderColor").value_or(0xFF000000u),
                       static_cast<float>(map.number(u"cornerRadius").value_or(0)));
    }
    if (const auto color = map.color(u"backgroundColor")) view.setBackgroundColor(*color);
    if (const auto alpha = map.number(u"alpha")) view.setAlpha(static_cast<float>(*alpha));
    if (const auto visible = map.boolean(u"visible")) view.setHidden(!*visible);
    if (const layout::Property* tag = map.find(u"tag")) {
        AttachedMap& attached = view.attachedMap();
        switch (tag->type) {
            case layout::Type::Int:
                attached.insert_or_assign(u"tag", Value::ofInt(std::get<int32_t>(tag->value)));
                break;
            case layout::Type::Float:
                attached.insert_or_assign(u"tag", Value::ofFloat(std::get<float>(tag->value)));
                break;
            case layout::Type::Double:
                attached.insert_or_assign(u"tag", Value::ofDouble(std::get<double>(tag->value)));
                break;
            case layout::Type::Boolean:
                attached.insert_or_assign(u"tag", Value::ofBoolean(std::get<bool>(tag->value)));
                break;
            default:
                attached.insert_or_assign(u"tag", Value(*map.string(u"tag")));
        }
    }
}

// Creates the view of a view map, binds it and adds it to `parent`.
std::shared_ptr<UiView> create(const layout::PropertyMap& map, UiView& parent, const String& name,
                               Build& build) {
    const layout::Property* type = map.find(u"type");
    if (!type) throw layout::LayoutError(map.file(), map.offset(), u"Layout view has no \"type\"");
    const String typeName = *map.string(u"type");
    const ViewClass* viewClass = findViewClass(typeName);
    if (!viewClass) {
        throw layout::LayoutError(map.file(), type->offset,
                                  formatText(u"Unknown view type: %@", {typeName}));
    }
    const std::shared_ptr<UiView> view = viewClass->build(map, ViewBuildContext{build.core});
    const std::shared_ptr<RtViewWrapper> wrapper = viewClass->makeWrapper();
    wrapper->setObject(Value(view));
    const String field = toLowerEnUs(name);
    if (build.module) {
        const Value arguments[] = {Value(wrapper)};
        RtCore::runDynamicMethod(Value(build.module), u"set_" + field + u":", false, arguments);
    }
    wrapper->innerInitialize(build.core, map.string(u"eventName").value_or(String()), true);
    parent.addSubview(view);
    build.data.viewsMap.insert_or_assign(field, RtViewData{view});
    view->setAccessibleName(name);

    if (typeName == RtCustomViewWrapper::kClassName) {
        const String customType = map.string(u"customType").value_or(String());
        if (customType.empty()) raise(u"", u"CustomView CustomType property was not set.");
        const std::shared_ptr<CustomView> custom = CustomView::create(customType);
        if (!custom) {
            throw layout::LayoutError(map.file(), map.find(u"customType")->offset,
                                      formatText(u"Unknown custom view type: %@", {customType}));
        }
        view->attachedMap().insert_or_assign(u"customview", Value(custom));
        auto base = std::make_shared<RtPanelWrapper>();
        base->setObject(Value(view));
        custom->designerCreateView(base, map);
        build.data.customViews.push_back(custom);
    }
    return view;
}

void buildView(const layout::PropertyMap& map, UiView& parent, float parentWidth,
               float parentHeight, Build& build) {
    const String name = map.string(u"name").value_or(String());
    const bool isMain = name == u"Main";
    std::shared_ptr<UiView> view;
    if (build.mode == Mode::Load) {
        view = create(map, parent, name, build);
        build.data.builtViews.insert_or_assign(&map, view);
    } else {
        const auto found = build.data.builtViews.find(&map);
        if (found == build.data.builtViews.end()) return;
        view = found->second;
    }
    if (build.mode != Mode::Load || !isMain) place(map, *view, parentWidth, parentHeight, build);
    if (build.mode == Mode::Load) {
        view->attachedMap().insert_or_assign(u"name", Value(name));
        applyCommon(map, *view, isMain);
    }
    const layout::PropertyMap* kids = map.map(u":kids");
    if (!kids) return;
    const size_t count = kids->entries().size();
    for (size_t index = 0; index < count; ++index) {
        if (const layout::PropertyMap* child = kids->map(decimal(static_cast<long long>(index)))) {
            buildView(*child, *view, view->width(), view->height(), build);
        }
    }
}

void configurePage(const layout::PropertyMap& root, RtPanelView& parent) {
    auto* mainView = dynamic_cast<RtMainView*>(parent.parent());
    if (!mainView) return;
    const auto controller = mainView->controller();
    if (!controller) return;
    if (auto title = root.string(u"title")) controller->setTitle(*title);
    if (auto prompt = root.string(u"prompt")) controller->setPrompt(*prompt);
    if (auto hide = root.boolean(u"hideBackButton")) controller->setHidesBackButton(*hide);
}

void buildRoot(const layout::PropertyMap& root, RtPanelView& parent, float width, float height,
               Build& build) {
    if (build.mode == Mode::Load) {
        if (const auto color = root.color(u"backgroundColor")) parent.setBackgroundColor(*color);
        configurePage(root, parent);
    }
    const layout::PropertyMap* kids = root.map(u":kids");
    if (!kids) return;
    const size_t count = kids->entries().size();
    for (size_t index = 0; index < count; ++index) {
        if (const layout::PropertyMap* child = kids->map(decimal(static_cast<long long>(index)))) {
            buildView(*child, parent, width, height, build);
        }
    }
}

void runDesignerScripts(RtLayoutData& data, float width, float height) {
    const auto script = StaticModules::NewByName(data.designerScriptName);
    if (!script) return;
    const layout::Variant& variant = data.variants[data.variantIndex];
    const Value arguments[] = {
        Value(std::static_pointer_cast<RtLayoutData>(data.shared_from_this())),
        Value::ofFloat(width), Value::ofFloat(height)};
    RtCore::runDynamicMethod(Value(script), u"LS_general:::", false, arguments);
    RtCore::runDynamicMethod(
        Value(script), u"LS_" + decimal(variant.width) + u"x" + decimal(variant.height) + u":::",
        false, arguments);
}

std::shared_ptr<RtLayoutData> layoutDataOf(RtPanelView& panel) {
    const AttachedMap* map = panel.attachedMapIfAny();
    if (!map) return nullptr;
    const auto found = map->find(kLayoutDataKey);
    return found == map->end() ? nullptr : found->second.as<RtLayoutData>();
}

}  // namespace

std::shared_ptr<RtLayoutValues> RtLayoutBuilder::loadLayout(StringView name,
                                                            const std::shared_ptr<RtCore>& core,
                                                            RtPanelView& parent) {
    String fileName(name);
    if (!fileName.ends_with(u".lyt")) fileName += u".lyt";
    const std::vector<uint8_t> bytes = files::readAll(files::assetsDirectory(), fileName);
    return loadLayoutFromBytes(bytes, fileName, core, parent);
}

std::shared_ptr<RtLayoutValues> RtLayoutBuilder::loadLayoutFromBytes(
    std::span<const uint8_t> bytes, StringView fileName, const std::shared_ptr<RtCore>& core,
    RtPanelView& parent) {
    layout::LayoutFile file = layout::parse(bytes, fileName);

    auto data = std::make_shared<RtLayoutData>();
    data->fileName = fileName;
    data->variants = std::move(file.variants);
    data->props = file.root;
    const Screen& screen = Screen::main();
    data->variantIndex = findBestVariant(data->variants, screen.width(), screen.height());

    float width = parent.width();
    float height = parent.height();
    if (width == 0 || height == 0) {
        width = screen.width();
        height = screen.height();
    }
    Build build{*data, core, core ? core->eventsTarget() : nullptr,
                u"variant" + decimal(static_cast<long long>(data->variantIndex)), Mode::Load};
    buildRoot(*data->props, parent, width, height, build);
    if (data->props->boolean(u"handleResizeEvent").value_or(false)) {
        parent.attachedMap().insert_or_assign(String(kLayoutDataKey), Value(data));
    }
    data->designerScriptName = designerScriptName(fileName);
    runDesignerScripts(*data, width, height);
    for (const auto& custom : data->customViews) custom->afterDesignerScript();
    const layout::Variant& chosen = data->variants[data->variantIndex];
    return std::make_shared<RtLayoutValues>(chosen.width, chosen.height);
}

std::shared_ptr<RtLayoutValues> RtLayoutBuilder::resizeLayout(RtPanelView& panel, float width,
                                                              float height) {
    const auto data = layoutDataOf(panel);
    if (!data) {
        RtCore::shared()->LogError(u"ResizeLayout: Layout data not found.");
        return nullptr;
    }
    const Screen& screen = Screen::main();
    data->variantIndex = findBestVariant(data->variants, screen.width(), screen.height());
    Build build{*data, nullptr, nullptr,
                u"variant" + decimal(static_cast<long long>(data->variantIndex)), Mode::Resize};
    buildRoot(*data->props, panel, width, height, build);
    runDesignerScripts(*data, width, height);
    const layout::Variant& chosen = data->variants[data->variantIndex];
    return std::make_shared<RtLayoutValues>(chosen.width, chosen.height);
}

bool RtLayoutBuilder::hasLayoutData(RtPanelView& panel) {
    return layoutDataOf(panel) != nullptr;
}

size_t RtLayoutBuilder::findBestVariant(const std::vector<layout::Variant>& variants,
                                        float deviceWidth, float deviceHeight) {
    size_t best = 0;
    float bestDistance = 0;
    for (size_t index = 0; index < variants.size(); ++index) {
        const float distance = RtLayoutValues(variants[index].width, variants[index].height)
                                   .calcDistance(deviceWidth, deviceHeight);
        if (index == 0 || distance < bestDistance) {
            best = index;
            bestDistance = distance;
        }
    }
    return best;
}

std::shared_ptr<RtLayoutValues> RtLayoutBuilder::GetDeviceLayoutValues() {
    const Screen& screen = Screen::main();
    return std::make_shared<RtLayoutValues>(static_cast<int32_t>(screen.width()),
                                            static_cast<int32_t>(screen.height()));
}

String RtLayoutBuilder::designerScriptName(StringView fileName) {
    const StringView base = fileName.substr(0, fileName.size() >= 4 ? fileName.size() - 4 : 0);
    String name = u"LS_" + toLowerEnUs(base);
    for (size_t index = 3; index < name.size(); ++index) {
        if (!u_isalnum(name[index])) name[index] = u'_';
    }
    return name;
}

}  // namespace zemtra
