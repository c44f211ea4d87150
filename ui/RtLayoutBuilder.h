// Loads layout files into panels and re-applies them when a panel's size changes.
//
// Loading "name" (".lyt" added unless present) from the assets folder:
//  1. read the file, choose the variant nearest to the screen (RtLayoutValues::calcDistance; the
//     first variant wins ties);
//  2. build the views depth first: each view map's "type" names a view class; the wrapper is
//     stored in the module field "_" + lower-cased "name" when the module has one (a setter
//     "set_<name>:" in its operation table), its events are bound with "eventName", and the view
//     becomes the parent's frontmost child placed by the variant's left, top, width, height and
//     anchors (hanchor 1: left counts from the right edge; 2: width is the distance from the right
//     edge; vanchor likewise) within the parent's size (the screen's when the parent has none);
//  3. remember the layout in the panel ("layoutdata") when the root map's "handleResizeEvent"
//     is true;
//  4. run the designer script "LS_<name>" (its "LS_general:::" and "LS_<w>x<h>:::" with the
//     layout data, width and height), skipped silently when absent, then tell the custom views.
// Errors: a missing file raises the file service's error; a corrupt file, an unknown view type
// or a property of the wrong kind raises a LayoutError naming the file and the byte offset; an
// unknown type byte raises "Unknown type: %d"; a custom view without "customType" raises
// "CustomView CustomType property was not set.". An image that does not load is logged
// ("Error loading bitmap: %@") and its view stays empty.
#pragma once

#include <memory>
#include <span>

#include "ui/RtLayoutData.h"
#include "ui/RtLayoutValues.h"

namespace zemtra {

class RtCore;
class RtPanelView;

class RtLayoutBuilder {
  public:
    static std::shared_ptr<RtLayoutValues> loadLayout(StringView name,
                                                      const std::shared_ptr<RtCore>& core,
                                                      RtPanelView& parent);
    // The same with the file's bytes already read; `fileName` names it in errors.
    static std::shared_ptr<RtLayoutValues> loadLayoutFromBytes(std::span<const uint8_t> bytes,
                                                               StringView fileName,
                                                               const std::shared_ptr<RtCore>& core,
                                                               RtPanelView& parent);
    // Re-applies the panel's stored layout for the variant nearest to the screen, with the new
    // size as the parent size; positions only. Without a stored layout it logs "ResizeLayout:
    // Layout data not found." at error level and answers nullptr.
    static std::shared_ptr<RtLayoutValues> resizeLayout(RtPanelView& panel, float width,
                                                        float height);
    static bool hasLayoutData(RtPanelView& panel);

    // Index of the variant nearest to a device of that size.
    static size_t findBestVariant(const std::vector<layout::Variant>& variants, float deviceWidth,
                                  float deviceHeight);
    // The screen's size in points (GetDeviceLayoutValues).
    static std::shared_ptr<RtLayoutValues> GetDeviceLayoutValues();
    // "LS_" + the lower-cased file name without its last four characters, every character that is
    // neither a letter nor a digit replaced by "_".
    static String designerScriptName(StringView fileName);
};

}  // namespace zemtra
