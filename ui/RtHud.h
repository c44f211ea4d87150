// Toasts and the progress overlay (the `_hd` object of the application).
//
// - ToastMessageShow:: shows a new text-only overlay on the window's root view that lets touches
//   pass through and hides itself after 3.0 s (long) or 1.5 s; toasts stack, each on its own
//   schedule, and nothing hides one earlier.
// - ProgressDialogShow: shows the spinner overlay with a text, or only changes the text when one
//   is showing; ProgressDialogHide hides it when one is showing.
#pragma once

#include <memory>

#include "ui/ProgressHud.h"

namespace zemtra {

class RtHud final : public Object {
  public:
    static constexpr StringView kClassName = u"RtHud";
    String className() const override { return String(kClassName); }
    const MethodTable* methods() const override;

    void ToastMessageShow(const String& text, bool longDuration);
    void ProgressDialogShow(const String& text);
    void ProgressDialogHide();

    const std::shared_ptr<ProgressHud>& progress() const { return progress_; }

  private:
    std::shared_ptr<ProgressHud> progress_;
};

}  // namespace zemtra
