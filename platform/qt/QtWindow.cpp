// The desktop window: mirroring the view tree, input, message boxes, state and screenshots.
#include "platform/qt/QtWindow.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGraphicsOpacityEffect>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QWindowStateChangeEvent>
#include <cmath>

#include "platform/qt/QtConversions.h"
#include "platform/qt/QtViewWidgets.h"

namespace zemtra::platform::qt {

namespace {

constexpr const char* kButtonPosition = "zemtraButtonPosition";
constexpr int kLongPressMillis = 500;
constexpr int kTapSlop = 10;

bool isNativeMouseKind(ViewKind kind) {
    return kind == ViewKind::Slider || kind == ViewKind::TextView;
}
}  // namespace

// The top-level widget: the page's area, painted with the root view's background.
class QtWindow::ClientArea final : public QWidget {
  public:
    explicit ClientArea(QtWindow& owner) : owner_(owner) {}
    ViewState rootState;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), toQColor(rootState.backgroundColor | 0xFF000000u));
    }
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        if (!owner_.resizeHandler_) return;
        owner_.deliver([this] {
            owner_.resizeHandler_(static_cast<float>(width()), static_cast<float>(height()));
        });
    }
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        if (owner_.closeHandler_) owner_.deliver(owner_.closeHandler_);
    }
    void changeEvent(QEvent* event) override {
        QWidget::changeEvent(event);
        owner_.deliver([this, event] { reportState(event); });
    }

  private:
    void reportState(QEvent* event) {
        if (!owner_.listener_) return;
        if (event->type() == QEvent::ActivationChange) {
            if (isActiveWindow()) {
                owner_.listener_->windowActivated();
            } else {
                owner_.listener_->windowDeactivated();
            }
        } else if (event->type() == QEvent::WindowStateChange) {
            const auto* change = static_cast<QWindowStateChangeEvent*>(event);
            const bool was = change->oldState() & Qt::WindowMinimized;
            const bool is = windowState() & Qt::WindowMinimized;
            if (!was && is) owner_.listener_->windowMinimized();
            if (was && !is) owner_.listener_->windowRestored();
        }
    }

    QtWindow& owner_;
};

class QtWindow::InputFilter final : public QObject {
  public:
    explicit InputFilter(QtWindow& owner) : owner_(owner) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:
            case QEvent::MouseMove:
            case QEvent::MouseButtonRelease:
            case QEvent::KeyPress:
                break;
            default:
                return false;  // not the person's input: nothing of the program runs
        }
        bool handled = false;
        owner_.deliver([&] { handled = owner_.filter(watched, event); });
        return handled;
    }

  private:
    QtWindow& owner_;
};

QtWindow::QtWindow(int width, int height, const std::string& title)
    : client_(new ClientArea(*this)), input_(std::make_unique<InputFilter>(*this)) {
    client_->setWindowTitle(QString::fromStdString(title));
    client_->resize(width, height);
    client_->setAttribute(Qt::WA_DeleteOnClose, false);
    longPress_.setSingleShot(true);
    longPress_.setInterval(kLongPressMillis);
    QObject::connect(&longPress_, &QTimer::timeout,
                     [this] { deliver([this] { longPressElapsed(); }); });
}

QtWindow::~QtWindow() {
    for (auto& [alert, box] : boxes_) {
        if (box) box->disconnect();
    }
    boxes_.clear();
    widgets_.clear();
    nodes_.clear();
    delete client_.data();
}

QWidget& QtWindow::clientArea() const {
    return *client_;
}

float QtWindow::pixelRatio() const {
    return static_cast<float>(client_->devicePixelRatioF());
}

QWidget* QtWindow::widgetFor(const ViewNode& node) const {
    const auto found = widgets_.find(&node);
    return found == widgets_.end() ? nullptr : &found->second->widget();
}

ViewNode* QtWindow::nodeFor(const QObject* widget) const {
    const auto found = nodes_.find(widget);
    return found == nodes_.end() ? nullptr : found->second;
}

QMessageBox* QtWindow::messageBoxFor(const AlertNode& alert) const {
    const auto found = boxes_.find(&alert);
    return found == boxes_.end() ? nullptr : found->second.data();
}

void QtWindow::setRoot(ViewNode* root) {
    if (root_) {
        for (size_t index = 0; index < root_->childCount(); ++index)
            removing(*root_, root_->childAt(index));
        nodes_.erase(client_.data());
    }
    root_ = root;
    if (!root_) return;
    nodes_.emplace(client_.data(), root_);
    client_->rootState = root_->state();
    for (size_t index = 0; index < root_->childCount(); ++index)
        build(root_->childAt(index), *client_);
    client_->update();
}

void QtWindow::build(ViewNode& node, QWidget& parent) {
    const ViewState& state = node.state();
    MirroredWidget* mirrored = createMirroredWidget(state.kind, &parent);
    QWidget& widget = mirrored->widget();
    widgets_.emplace(&node, mirrored);
    nodes_.emplace(&widget, &node);
    widget.installEventFilter(input_.get());
    if (auto* slider = dynamic_cast<SliderWidget*>(mirrored)) {
        QObject::connect(slider, &QSlider::valueChanged, [this, slider](int position) {
            if (slider->updating()) return;
            deliver([&] {
                if (ViewNode* target = nodeFor(slider)) target->slide(slider->valueAt(position));
            });
        });
    }
    if (auto* text = dynamic_cast<TextViewWidget*>(mirrored)) {
        QObject::connect(text, &QPlainTextEdit::textChanged, [this, text] {
            if (text->updating()) return;
            deliver([&] {
                if (ViewNode* target = nodeFor(text))
                    target->editText(fromQString(text->toPlainText()));
            });
        });
    }
    changed(node, change::kAll);
    for (size_t index = 0; index < node.childCount(); ++index) build(node.childAt(index), widget);
}

void QtWindow::inserted(ViewNode& parent, ViewNode& child, size_t index) {
    QWidget* parentWidget = &parent == root_ ? client_.data() : widgetFor(parent);
    if (!parentWidget) return;
    build(child, *parentWidget);
    if (index + 1 == parent.childCount()) {
        widgetFor(child)->raise();
    } else {
        restack(parent);
    }
}

void QtWindow::forget(ViewNode& node) {
    for (size_t index = 0; index < node.childCount(); ++index) forget(node.childAt(index));
    const auto found = widgets_.find(&node);
    if (found == widgets_.end()) return;
    nodes_.erase(&found->second->widget());
    widgets_.erase(found);
}

void QtWindow::removing(ViewNode&, ViewNode& child) {
    QWidget* widget = widgetFor(child);
    forget(child);
    if (!widget) return;
    // Later: the removal may come from a handler running inside this widget's own event.
    widget->hide();
    widget->deleteLater();
}

void QtWindow::restack(ViewNode& parent) {
    for (size_t index = 0; index < parent.childCount(); ++index) {
        if (QWidget* widget = widgetFor(parent.childAt(index))) widget->raise();
    }
}

void QtWindow::reordered(ViewNode& parent) {
    restack(parent);
}

void QtWindow::applyGeometry(QWidget& widget, const ViewState& state) {
    const double left = state.centerX - state.width / 2.0;
    const double top = state.centerY - state.height / 2.0;
    const auto x = static_cast<int>(std::lround(left));
    const auto y = static_cast<int>(std::lround(top));
    const QRect target(x, y, static_cast<int>(std::lround(left + state.width)) - x,
                       static_cast<int>(std::lround(top + state.height)) - y);
    // A new frame replaces any movement still under way, at once or by a new animation.
    for (auto* running :
         widget.findChildren<QPropertyAnimation*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (running->propertyName() == "geometry") running->stop();
    }
    if (state.animationMillis > 0 && widget.isVisible()) {
        auto* animation = new QPropertyAnimation(&widget, "geometry", &widget);
        animation->setDuration(state.animationMillis);
        animation->setEndValue(target);
        animation->setEasingCurve(QEasingCurve::OutBack);
        animation->start(QAbstractAnimation::DeleteWhenStopped);
        return;
    }
    widget.setGeometry(target);
}

void QtWindow::applyInteraction(QWidget& widget, const ViewNode& node) {
    const ViewState& state = node.state();
    widget.setAttribute(Qt::WA_TransparentForMouseEvents,
                        !state.userInteractionEnabled || state.alpha <= 0.01f);
    if (state.kind == ViewKind::Button || state.kind == ViewKind::Slider)
        widget.setEnabled(state.enabled);
    const bool focusable = node.reactsToTaps() || isNativeMouseKind(state.kind);
    widget.setFocusPolicy(focusable && state.userInteractionEnabled ? Qt::StrongFocus
                                                                    : Qt::NoFocus);
}

void QtWindow::changed(ViewNode& node, uint32_t changes) {
    if (&node == root_) {
        client_->rootState = node.state();
        const QSize size(static_cast<int>(std::lround(node.state().width)),
                         static_cast<int>(std::lround(node.state().height)));
        if ((changes & change::kGeometry) && size != client_->size() && !size.isEmpty())
            client_->resize(size);
        client_->update();
        return;
    }
    const auto found = widgets_.find(&node);
    if (found == widgets_.end()) return;
    MirroredWidget& mirrored = *found->second;
    QWidget& widget = mirrored.widget();
    const ViewState& state = node.state();
    if (changes & change::kVisibility) widget.setVisible(!state.hidden);
    if (changes == change::kVisibility) return;
    if (changes & change::kGeometry) applyGeometry(widget, state);
    if (changes & ~(change::kGeometry | change::kVisibility)) mirrored.apply(state, changes);
    if (changes & (change::kAppearance | change::kInteraction)) {
        if (state.alpha < 1.0f) {
            auto* effect = qobject_cast<QGraphicsOpacityEffect*>(widget.graphicsEffect());
            if (!effect) {
                effect = new QGraphicsOpacityEffect(&widget);
                widget.setGraphicsEffect(effect);
            }
            effect->setOpacity(state.alpha);
        } else if (widget.graphicsEffect()) {
            widget.setGraphicsEffect(nullptr);
        }
        applyInteraction(widget, node);
    }
    if (changes & change::kText) {
        widget.setAccessibleName(toQString(state.text.empty() ? state.accessibleName : state.text));
    }
    if ((changes & change::kFocus) && state.focused) widget.setFocus(Qt::OtherFocusReason);
}

void QtWindow::deliver(const std::function<void()>& input) {
    if (failed_) return;
    try {
        input();
    } catch (...) {
        failed_ = true;
        longPress_.stop();
        pressed_.clear();
        if (failureHandler_) {
            failureHandler_(std::current_exception());
            return;
        }
        failure_ = std::current_exception();
        QCoreApplication::exit(1);
    }
}

bool QtWindow::filter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            ViewNode* node = nodeFor(watched);
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (!node || mouse->button() != Qt::LeftButton || isNativeMouseKind(node->state().kind))
                return false;
            pressed_ = static_cast<QWidget*>(watched);
            pressPosition_ = mouse->position().toPoint();
            pressCancelled_ = false;
            longPressed_ = false;
            // Only a view that recognises long presses waits for one; elsewhere a slow click is
            // still a tap.
            if (node->recognisesLongPress()) longPress_.start();
            if (auto* button = dynamic_cast<ButtonWidget*>(pressed_.data()))
                button->setPressed(true);
            node->touch(TouchAction::Down, static_cast<float>(mouse->position().x()),
                        static_cast<float>(mouse->position().y()));
            return true;
        }
        case QEvent::MouseMove: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (watched != pressed_.data()) return false;
            if ((mouse->position().toPoint() - pressPosition_).manhattanLength() > kTapSlop) {
                pressCancelled_ = true;
                longPress_.stop();
            }
            if (ViewNode* node = nodeFor(watched)) {
                node->touch(TouchAction::Move, static_cast<float>(mouse->position().x()),
                            static_cast<float>(mouse->position().y()));
            }
            return true;
        }
        case QEvent::MouseButtonRelease: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (watched != pressed_.data() || mouse->button() != Qt::LeftButton) return false;
            longPress_.stop();
            QPointer<QWidget> widget = pressed_;
            pressed_.clear();
            if (auto* button = dynamic_cast<ButtonWidget*>(widget.data()))
                button->setPressed(false);
            ViewNode* node = nodeFor(widget.data());
            if (!node) return true;
            node->touch(TouchAction::Up, static_cast<float>(mouse->position().x()),
                        static_cast<float>(mouse->position().y()));
            // The touch handler may have taken the view away.
            node = nodeFor(widget.data());
            if (node && !longPressed_ && !pressCancelled_ &&
                widget->rect().contains(mouse->position().toPoint()))
                node->tap();
            return true;
        }
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            ViewNode* node = nodeFor(watched);
            if (!node || !node->reactsToTaps() || key->isAutoRepeat()) return false;
            if (key->key() != Qt::Key_Space && key->key() != Qt::Key_Return &&
                key->key() != Qt::Key_Enter)
                return false;
            if (node->state().kind == ViewKind::TextView && node->state().editable) return false;
            node->tap();
            return true;
        }
        default:
            return false;
    }
}

void QtWindow::longPressElapsed() {
    ViewNode* node = nodeFor(pressed_.data());
    if (!node || pressCancelled_) return;
    longPressed_ = true;
    node->longPress();
}

void QtWindow::showAlert(AlertNode& alert) {
    auto* box = new QMessageBox(client_.data());
    box->setWindowTitle(toQString(alert.title()));
    box->setTextFormat(Qt::PlainText);
    box->setText(toQString(alert.title()));
    box->setInformativeText(toQString(alert.message()));
    // The informative text has a label of its own that would guess at markup: texts are shown
    // as they were given.
    for (QLabel* label : box->findChildren<QLabel*>()) label->setTextFormat(Qt::PlainText);
    box->setIcon(QMessageBox::NoIcon);
    // Each button carries its position: QMessageBox orders buttons its own way, and a platform
    // theme may change their texts (keyboard accelerators), so neither identifies the choice.
    const auto& titles = alert.buttons();
    for (size_t position = 0; position < titles.size(); ++position) {
        QPushButton* button = box->addButton(withLiteralAmpersands(toQString(titles[position])),
                                             QMessageBox::ActionRole);
        button->setProperty(kButtonPosition, QVariant::fromValue<qulonglong>(position));
    }
    // Modal to the window, so the views beneath cannot ask for a second box while this one
    // waits; show() still returns at once and the choice comes back as a queued event.
    box->setWindowModality(Qt::WindowModal);
    boxes_.emplace(&alert, box);
    QObject::connect(box, &QMessageBox::buttonClicked, [this, box](QAbstractButton* clicked) {
        deliver([&] {
            for (auto& [node, shown] : boxes_) {
                if (shown.data() != box) continue;
                const QVariant position = clicked->property(kButtonPosition);
                if (position.isValid())
                    const_cast<AlertNode*>(node)->press(
                        static_cast<size_t>(position.toULongLong()));
                return;
            }
        });
    });
    // A box closed without a button stays: the module is waiting for a choice.
    QObject::connect(box, &QDialog::finished, [this, box](int) {
        for (const auto& [node, shown] : boxes_) {
            if (shown.data() == box) QTimer::singleShot(0, box, [box] { box->show(); });
        }
    });
    box->show();
}

void QtWindow::dismissAlert(AlertNode& alert) {
    const auto found = boxes_.find(&alert);
    if (found == boxes_.end()) return;
    QPointer<QMessageBox> box = found->second;
    boxes_.erase(found);
    if (!box) return;
    box->disconnect();
    box->hide();
    box->deleteLater();
}

QImage QtWindow::grabImage() const {
    return client_->grab().toImage();
}

bool QtWindow::saveScreenshot(const std::string& path) {
    return grabImage().save(QString::fromStdString(path), "PNG");
}

void QtWindow::makeKey() {
    client_->activateWindow();
    client_->raise();
}

void QtWindow::show() {
    client_->show();
}

bool QtWindow::isVisible() const {
    return client_->isVisible();
}

}  // namespace zemtra::platform::qt
