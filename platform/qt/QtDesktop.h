// The program's Qt side in one object: the application object, the window, the image codec and
// text metrics, and the loop that runs the task queue. Headless runs use Qt's offscreen platform,
// so they keep the same views, images and text measurements as a window and can still take
// screenshots; nothing appears on a screen. Qt's own messages go into the diagnostics channel
// (debug, or error for critical and fatal ones), so standard error carries only the program's
// diagnostics. No Qt header leaks out of this one.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/AlertPresenter.h"
#include "platform/ImageCodec.h"
#include "platform/Screenshot.h"
#include "platform/TaskSource.h"
#include "platform/TextMetrics.h"
#include "platform/ViewTree.h"
#include "platform/Window.h"

namespace zemtra::platform::qt {

class QtDesktop final {
  public:
    // `width` × `height` points of client area. Headless forces the offscreen platform; otherwise
    // a display that cannot be reached falls back to it (see fellBackToHeadless()).
    QtDesktop(const std::string& programPath, bool headless, int width, int height);
    ~QtDesktop();
    QtDesktop(const QtDesktop&) = delete;
    QtDesktop& operator=(const QtDesktop&) = delete;

    // A window was asked for but no display could be reached, so the run is headless.
    bool fellBackToHeadless() const;

    Window& window();
    ViewRenderer& renderer();
    AlertPresenter& alertPresenter();
    Screenshot& screenshot();
    const ImageCodec& imageCodec() const;
    const TextMetrics& textMetrics() const;

    // The client area's new size in points, whenever the person resizes the window.
    void setResizeHandler(std::function<void(float, float)> handler);
    // The person closed the window.
    void setCloseHandler(std::function<void()> handler);

    // Runs the task source inside Qt's event loop until it asks to quit; answers its status and
    // rethrows what a task threw, or what the person's input led to (the window's guarded entry).
    int run(TaskSource& source);

  private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace zemtra::platform::qt
