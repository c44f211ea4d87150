// A window for host tests: it only remembers whether it was shown and made key.
#pragma once

#include "platform/Window.h"

namespace zemtra::platform {

class HeadlessWindow final : public Window {
  public:
    void makeKey() override { key_ = true; }
    void show() override { visible_ = true; }
    bool isVisible() const override { return visible_; }
    bool isKey() const { return key_; }
    void setListener(WindowListener* listener) override { listener_ = listener; }
    WindowListener* listener() const { return listener_; }

  private:
    bool key_ = false;
    bool visible_ = false;
    WindowListener* listener_ = nullptr;
};

}  // namespace zemtra::platform
