// A message box: a title, a message and buttons in order, kept by the Screen while it shows.
// The receiver of the choice (`RtAlertViewDelegate`) hangs in the box's attached map under
// "delegate", so it lives exactly as long as the box.
#pragma once

#include <functional>
#include <vector>

#include "platform/AlertPresenter.h"
#include "runtime/core/Object.h"

namespace zemtra {

class UiAlertView final : public Object, public platform::AlertNode {
  public:
    static constexpr StringView kClassName = u"UiAlertView";
    UiAlertView(String title, String message)
        : title_(std::move(title)), message_(std::move(message)) {}
    String className() const override { return String(kClassName); }
    String description() const override;

    const std::u16string& title() const override { return title_; }
    const std::u16string& message() const override { return message_; }
    const std::vector<std::u16string>& buttons() const override { return buttons_; }
    void addButton(String title) { buttons_.push_back(std::move(title)); }

    // Puts the box on screen (the Screen keeps it until a button is pressed).
    void show();
    // The box leaves the screen, then its delegate (if any) receives the button's title.
    void press(size_t index) override;
    // Presses the first button with this title; false when there is none.
    bool pressButton(StringView title);

  private:
    String title_;
    String message_;
    std::vector<String> buttons_;
};

// Receives the pressed button's title and queues prefix + "_click:" with it, the box as sender.
class RtAlertViewDelegate final : public Object {
  public:
    static constexpr StringView kClassName = u"RtAlertViewDelegate";
    String className() const override { return String(kClassName); }
    void clickedButton(UiAlertView& alert, const String& title);
};

}  // namespace zemtra
