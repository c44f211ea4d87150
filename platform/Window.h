// The application's one window as the host sees it. The desktop back end reports the window's
// state changes to a WindowListener; the headless back end has no state changes.
#pragma once

namespace zemtra::platform {

class WindowListener {
  public:
    virtual ~WindowListener() = default;
    virtual void windowActivated() = 0;
    virtual void windowDeactivated() = 0;
    virtual void windowMinimized() = 0;
    virtual void windowRestored() = 0;
};

class Window {
  public:
    virtual ~Window() = default;
    virtual void makeKey() = 0;
    // Shows the window; until then nothing of it is visible.
    virtual void show() = 0;
    virtual bool isVisible() const = 0;
    // The listener must outlive the window or be replaced by nullptr first.
    virtual void setListener(WindowListener* listener) = 0;
};

}  // namespace zemtra::platform
