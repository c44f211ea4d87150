// The desktop window: its client area is the page. It mirrors the view tree into widgets (each
// change as it is announced), shows message boxes without blocking the window, turns the
// person's input into input of the view nodes, reports the window's state and size, and takes
// screenshots (also on Qt's offscreen platform).
//
// Input: a press and release inside one view, moving less than 10 pixels, is a tap; a press held
// 0.5 s on a view that recognises long presses is a long press (no tap follows; elsewhere a held
// press stays a tap); panels also get each press, move and release as touches. Sliders and text
// views handle the mouse themselves (drags, scrolling). Tab moves between controls and tappable
// views, Space or Enter taps the focused one, arrow keys move a focused slider. Accessible names
// are the views' texts, else their designer names. Message boxes are modal to the window (the views
// beneath take no input while one shows), yet showing one returns at once. Texts are shown as plain
// text, "&" included.
//
// Everything the person does enters the program through one guarded entry: an exception thrown
// by what the input reached (a handler) never unwinds through Qt. It goes to the failure handler
// (the desktop ends the loop with it, as for a task's exception) and later input is dropped.
//
// A QApplication must exist. Main thread only. Whoever installed the window as the screen's
// renderer and message-box presenter removes it from there before the window goes away.

#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "platform/AlertPresenter.h"
#include "platform/Screenshot.h"
#include "platform/ViewTree.h"
#include "platform/Window.h"

class QMessageBox;

namespace zemtra::platform::qt {

class MirroredWidget;

class QtWindow final : public Window,
                       public ViewRenderer,
                       public AlertPresenter,
                       public Screenshot {
  public:
    QtWindow(int width, int height, const std::string& title);
    ~QtWindow() override;
    QtWindow(const QtWindow&) = delete;
    QtWindow& operator=(const QtWindow&) = delete;

    // Called with the client area's new size in points whenever the person resizes the window.
    void setResizeHandler(std::function<void(float, float)> handler) {
        resizeHandler_ = std::move(handler);
    }
    // Called when the person closes the window; the window stays open until the program ends.
    void setCloseHandler(std::function<void()> handler) { closeHandler_ = std::move(handler); }
    // Receives the exception that input led to. With none set, the window keeps it (failure())
    // and asks Qt's loop to end with status 1.
    void setFailureHandler(std::function<void(std::exception_ptr)> handler) {
        failureHandler_ = std::move(handler);
    }
    std::exception_ptr failure() const { return failure_; }

    QWidget& clientArea() const;
    // Device pixels per point of the screen the window is on (the screen's scale).
    float pixelRatio() const override;

    // The widget mirroring a node, or nullptr; the node a widget mirrors, or nullptr.
    QWidget* widgetFor(const ViewNode& node) const;
    ViewNode* nodeFor(const QObject* widget) const;
    // The message box showing for an alert, or nullptr.
    QMessageBox* messageBoxFor(const AlertNode& alert) const;
    // The client area as it looks now.
    QImage grabImage() const;

    // Window
    void makeKey() override;
    void show() override;
    bool isVisible() const override;
    void setListener(WindowListener* listener) override { listener_ = listener; }

    // ViewRenderer. The root is the window's root view; the client area stands for it.
    void setRoot(ViewNode* root) override;
    void inserted(ViewNode& parent, ViewNode& child, size_t index) override;
    void removing(ViewNode& parent, ViewNode& child) override;
    void changed(ViewNode& node, uint32_t changes) override;
    void reordered(ViewNode& parent) override;

    // AlertPresenter
    void showAlert(AlertNode& alert) override;
    void dismissAlert(AlertNode& alert) override;

    // Screenshot
    bool saveScreenshot(const std::string& path) override;

  private:
    class ClientArea;
    class InputFilter;
    friend class ClientArea;
    friend class InputFilter;

    void build(ViewNode& node, QWidget& parent);
    void forget(ViewNode& node);
    void applyGeometry(QWidget& widget, const ViewState& state);
    void applyInteraction(QWidget& widget, const ViewNode& node);
    void restack(ViewNode& parent);

    // Input. Every call from Qt into the program goes through deliver().
    void deliver(const std::function<void()>& input);
    bool filter(QObject* watched, QEvent* event);
    void longPressElapsed();

    QPointer<ClientArea> client_;
    std::unique_ptr<InputFilter> input_;
    ViewNode* root_ = nullptr;
    std::unordered_map<const ViewNode*, MirroredWidget*> widgets_;
    std::unordered_map<const QObject*, ViewNode*> nodes_;
    std::unordered_map<const AlertNode*, QPointer<QMessageBox>> boxes_;
    WindowListener* listener_ = nullptr;
    std::function<void(float, float)> resizeHandler_;
    std::function<void()> closeHandler_;
    std::function<void(std::exception_ptr)> failureHandler_;
    std::exception_ptr failure_;
    bool failed_ = false;

    // The press in progress.
    QPointer<QWidget> pressed_;
    QPoint pressPosition_;
    bool pressCancelled_ = false;
    bool longPressed_ = false;
    QTimer longPress_;
};

}  // namespace zemtra::platform::qt
