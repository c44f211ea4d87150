// The view tree as a display back end sees it. The user-interface layer keeps the tree (views with
// float geometry: a centre and a bounds size, in points, relative to the parent's top-left
// corner); a back end mirrors it into real widgets and hands the person's input back to the nodes.
//
// Contract:
// - Everything here runs on the main thread, between tasks of the main queue.
// - The tree announces each change to its renderer right after making it: a node inserted (with
//   its whole subtree, which the renderer reads from the node), a node about to be removed (still
//   intact while the call runs), a change of some of a node's properties, the children of a node
//   put in a new order.
// - Nodes never die while they are in the rendered tree; a node taken out may come back later
//   and is then announced again as inserted.
// - Input calls do what the same act of a person does on a phone: a tap raises what a tap raises
//   and nothing when the node does not react to taps; they never throw for a node that ignores
//   them, but the module's handlers may throw (the error propagates to the caller).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zemtra::platform {

enum class ViewKind : uint8_t { Plain, Panel, Label, Button, Image, Slider, TextView, Overlay };

// A font as a view asks for it; an empty family means the system font.
struct Font {
    std::u16string family;
    float size = 17.0f;
    bool bold = false;
    bool italic = false;
    bool operator==(const Font&) const = default;
};

// Decoded pixels, 32-bit ARGB (not premultiplied), row after row; `scale` pixels per point.
struct Image {
    int width = 0;
    int height = 0;
    float scale = 1.0f;
    std::vector<uint32_t> argb;
};

enum class TextAlignment : uint8_t { Left = 0, Center = 1, Right = 2 };

// How an image sits in its view (the numbers are the ones module code uses).
enum class ContentMode : uint8_t { Fill = 0, Fit = 1, Center = 4, TopLeft = 9 };

// The overlay's look: an activity spinner with a label, or text only.
enum class OverlayMode : uint8_t { Spinner = 0, TextOnly = 5 };

enum class TouchAction : uint8_t { Down = 0, Up = 1, Move = 2 };

// What a renderer needs to draw one node. Colours are packed ARGB; an absent optional colour
// leaves the toolkit's default in place.
struct ViewState {
    ViewKind kind = ViewKind::Plain;
    // Geometry: the centre in the parent's coordinates and the bounds size.
    float centerX = 0, centerY = 0, width = 0, height = 0;
    // Milliseconds over which the last geometry change should be animated (0: at once).
    int32_t animationMillis = 0;
    uint32_t backgroundColor = 0;  // transparent
    float alpha = 1.0f;
    bool hidden = false;
    bool userInteractionEnabled = true;
    bool clipsToBounds = false;
    float borderWidth = 0, cornerRadius = 0;
    uint32_t borderColor = 0xFF000000u;
    std::optional<uint32_t> tintColor;
    bool focused = false;
    // Labels, buttons, text views and overlays.
    std::u16string text;
    std::optional<uint32_t> textColor;
    Font font;
    TextAlignment alignment = TextAlignment::Left;
    bool multiline = false;
    bool adjustFontSizeToFit = false;
    // Controls.
    bool enabled = true;
    // Sliders: the value always lies between minimum and maximum.
    float value = 0, minimum = 0, maximum = 1;
    bool continuous = true;
    std::optional<uint32_t> minimumTrackColor;
    // Image views.
    std::shared_ptr<const Image> image;
    ContentMode contentMode = ContentMode::Fill;
    // Text views: whether the person may edit; a request to show a character index (-1: none).
    bool editable = true;
    int32_t scrollToIndex = -1;
    // Overlays.
    OverlayMode overlayMode = OverlayMode::TextOnly;
    // The name assistive technology reads out (the designer name or the text).
    std::u16string accessibleName;
};

// Bits of ViewRenderer::changed.
namespace change {
inline constexpr uint32_t kGeometry = 1u << 0;
inline constexpr uint32_t kAppearance = 1u << 1;  // colours, alpha, border, font, alignment
inline constexpr uint32_t kVisibility = 1u << 2;
inline constexpr uint32_t kText = 1u << 3;
inline constexpr uint32_t kValue = 1u << 4;  // slider value and range
inline constexpr uint32_t kImage = 1u << 5;
inline constexpr uint32_t kInteraction = 1u << 6;  // enabled, userInteractionEnabled, gestures
inline constexpr uint32_t kFocus = 1u << 7;
inline constexpr uint32_t kScroll = 1u << 8;
inline constexpr uint32_t kAll = 0xFFFFFFFFu;
}  // namespace change

class ViewNode {
  public:
    virtual const ViewState& state() const = 0;
    virtual size_t childCount() const = 0;
    virtual ViewNode& childAt(size_t index) = 0;

    // Whether a tap or a long press on this node does something (a back end makes such nodes
    // focusable and lets Space and Enter tap them).
    virtual bool reactsToTaps() const = 0;
    // Whether a press held on this node is a long press: only when a node with the long-press
    // gesture would receive it. Elsewhere a held press stays a tap.
    virtual bool recognisesLongPress() const = 0;

    // Input from the person. `tap` and `longPress` go to the nearest node, from this one up, that
    // has the gesture; `touch` is for panels (x, y in the node's own coordinates); `slide` moves
    // a slider (clamped to its range; nothing happens when the value does not change); `editText`
    // replaces an editable text view's text.
    virtual void tap() = 0;
    virtual void longPress() = 0;
    virtual void touch(TouchAction action, float x, float y) = 0;
    virtual void slide(float value) = 0;
    virtual void editText(std::u16string text) = 0;

  protected:
    ~ViewNode() = default;
};

// The back end side of the mirror.
class ViewRenderer {
  public:
    virtual ~ViewRenderer() = default;
    // Mirror the tree under `root` from now on (its current state in full); nullptr: stop.
    virtual void setRoot(ViewNode* root) = 0;
    virtual void inserted(ViewNode& parent, ViewNode& child, size_t index) = 0;
    virtual void removing(ViewNode& parent, ViewNode& child) = 0;
    virtual void changed(ViewNode& node, uint32_t changes) = 0;
    virtual void reordered(ViewNode& parent) = 0;
    // Device pixels per point of the display the tree is shown on, read whenever it is needed
    // (a window moved to another screen may change it).
    virtual float pixelRatio() const { return 1.0f; }
};

}  // namespace zemtra::platform
