// The message-box operations of the Common object, reached as its service:
// RtCommon::New()->service<RtDialogs>().
//
// - Msgbox:: shows a box with one "OK" button and raises nothing.
// - Msgbox2::::: shows a box with one button per element of the list, in order, each titled
//   with the element's description (no cancel button), and returns at once; the pressed button's
//   title comes back as prefix + "_click:", queued, with the box as sender.
#pragma once

#include <memory>
#include <span>

#include "runtime/core/Object.h"
#include "ui/UiAlertView.h"

namespace zemtra {

class RtCore;
class RtList;
class RtList;

class RtDialogs final : public Object {
  public:
    static constexpr StringView kClassName = u"RtDialogs";
    String className() const override { return String(kClassName); }
    const MethodTable* methods() const override;

    void Msgbox(const String& message, const String& title);
    void Msgbox2(const std::shared_ptr<RtCore>& core, const String& prefix, const String& message,
                 const String& title, const std::shared_ptr<RtList>& buttons);
    // The same with the button texts given directly.
    void Msgbox2(const std::shared_ptr<RtCore>& core, const String& prefix, const String& message,
                 const String& title, std::span<const Value> buttons);
};

}  // namespace zemtra
