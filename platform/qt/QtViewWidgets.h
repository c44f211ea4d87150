// The widgets that mirror each kind of view. Each keeps a copy of the state it draws (so a widget
// never reads a node that is gone) and draws the view's background and border itself.
#pragma once

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QWidget>

#include "platform/ViewTree.h"

namespace zemtra::platform::qt {

// Applies the state of a node (the given changes) to its widget.
class MirroredWidget {
  public:
    virtual ~MirroredWidget() = default;
    virtual QWidget& widget() = 0;
    // Everything but geometry, visibility and stacking, which the window applies.
    virtual void apply(const ViewState& state, uint32_t changes) = 0;

  protected:
    ViewState drawn_;
};

// Plain views and panels.
class PanelWidget final : public QWidget, public MirroredWidget {
  public:
    explicit PanelWidget(QWidget* parent) : QWidget(parent) {}
    QWidget& widget() override { return *this; }
    void apply(const ViewState& state, uint32_t changes) override;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

class LabelWidget final : public QLabel, public MirroredWidget {
  public:
    explicit LabelWidget(QWidget* parent);
    QWidget& widget() override { return *this; }
    void apply(const ViewState& state, uint32_t changes) override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void fitFont();
};

class ButtonWidget final : public QPushButton, public MirroredWidget {
  public:
    explicit ButtonWidget(QWidget* parent);
    QWidget& widget() override { return *this; }
    void apply(const ViewState& state, uint32_t changes) override;
    void setPressed(bool pressed);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    bool pressed_ = false;
    // The title as given ("&" and all); QPushButton's own text has each "&" doubled.
    QString title_;
};

class ImageWidget final : public QWidget, public MirroredWidget {
  public:
    explicit ImageWidget(QWidget* parent) : QWidget(parent) {}
    QWidget& widget() override { return *this; }
    void apply(const ViewState& state, uint32_t changes) override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage image_;
    const Image* source_ = nullptr;
};

// Keeps the slider's float value exactly; the Qt slider only shows it, in 1000 steps.
class SliderWidget final : public QSlider, public MirroredWidget {
  public:
    static constexpr int kSteps = 1000;
    explicit SliderWidget(QWidget* parent);
    QWidget& widget() override { return *this; }
    void apply(const ViewState& state, uint32_t changes) override;
    // The float value a position of the Qt slider stands for.
    float valueAt(int position) const;
    bool updating() const { return updating_; }

  private:
    bool updating_ = false;
};

class TextViewWidget final : public QPlainTextEdit, public MirroredWidget {
  public:
    explicit TextViewWidget(QWidget* parent);
    QWidget& widget() override { return *this; }
    void apply(const ViewState& state, uint32_t changes) override;
    bool updating() const { return updating_; }

  private:
    bool updating_ = false;
};

// Toasts and the progress overlay: a dark box with the text in the middle of the view.
class OverlayWidget final : public QWidget, public MirroredWidget {
  public:
    explicit OverlayWidget(QWidget* parent) : QWidget(parent) {}
    QWidget& widget() override { return *this; }
    void apply(const ViewState& state, uint32_t changes) override;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

// A new widget for the node's kind.
MirroredWidget* createMirroredWidget(ViewKind kind, QWidget* parent);

}  // namespace zemtra::platform::qt
