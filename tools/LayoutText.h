// The readable layout format, compiled to the binary ".lyt" format and printed back from it.
//
//   # A comment runs to the end of the line ("#" and a hexadecimal digit start a colour).
//   header 0                      the header word (optional, default 0)
//   variant 340 x 568             one line per variant, in order (optional "scale 2")
//   handleResizeEvent = true      properties of the root map
//   view RtPanelWrapper pnlmain { a view: its "type" and "name", then its own map
//       frame 0 = 0 0 340 568     variant 0 geometry: left top width height [hanchor vanchor]
//       backgroundColor = #FF000000
//       view RtLabelWrapper Label1 { text = "ON" }    children, in order
//   }
//
// Values: 12 (Int), 1.5f or 2f (Float), 1.5 or 1e3 (Double), true / false (Boolean), #AARRGGBB
// or #RRGGBB (colour; opaque when six digits), "text" (string kept once in the string table;
// escapes \" \\ \n \t \uXXXX), inline "text" (string written in place), { key = value ... }
// (nested map). A typed form spells the kind out: int 5, float nan, double inf, bool true,
// color #FF000000, string "x"; a NaN keeps its sign (float -nan). Keys are names
// ([A-Za-z_][A-Za-z0-9_]*) or quoted strings.
// Children become the view's ":kids" map ("0", "1", ...) after its other properties; a frame
// becomes the map "variant<N>" with Float left, top, width, height and Int hanchor, vanchor.
//
// The dump of a file prints these shorthands wherever the data has their exact shape and the
// general forms otherwise, so compiling a dump gives back the same layout.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "ui/layout/LayoutFile.h"

namespace zemtra::layout {

// A mistake in a layout source: "source:line:column: message".
class LayoutTextError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

LayoutFile compileText(std::string_view text, std::string_view sourceName);
std::string dumpText(const LayoutFile& layout);

}  // namespace zemtra::layout
