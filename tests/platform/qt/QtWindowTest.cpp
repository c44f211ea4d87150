// The Qt back end on the offscreen platform, end to end: a layout compiled from text, loaded into
// the page, bound to module fields and mirrored into widgets; taps, long presses, slider drags
// and keys that reach the module's handlers by name; a held press that stays a tap where nothing
// waits for a long press; a handler's exception from input that ends the loop instead of unwinding
// through Qt; a message box modal to the window and answered by a click; texts shown as given; a
// layout set at once that stops a running animation; a toast that lets a click through; a window
// resize that re-applies the layout and raises one resize event; a screenshot that shows the
// views; and "@2x" images on a dense screen.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QSlider>
#include <QStyleOptionSlider>
#include <QTest>
#include <QTimer>
#include <thread>

#include "platform/qt/QtImageCodec.h"
#include "platform/qt/QtQueueDriver.h"
#include "platform/qt/QtTextMetrics.h"
#include "platform/qt/QtWindow.h"
#include "runtime/core/QueueTaskSource.h"
#include "runtime/core/RtCommon.h"
#include "runtime/core/RtException.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/RtBitmap.h"
#include "ui/RtButtonWrapper.h"
#include "ui/RtDialogs.h"
#include "ui/RtHud.h"
#include "ui/RtLabelWrapper.h"
#include "ui/RtNavigationControllerWrapper.h"
#include "ui/RtPage.h"
#include "ui/RtPanelWrapper.h"
#include "ui/RtSliderWrapper.h"
#include "ui/Screen.h"
#include "ui/UiImageView.h"

namespace zemtra {
namespace {

using platform::qt::QtWindow;
using Calls = std::vector<std::string>;

constexpr const char* kLayout = R"(
variant 340 x 568
handleResizeEvent = true
backgroundColor = #FF000000
view RtLabelWrapper Label1 { frame 0 = 20 20 120 40  eventName = "lbl"  text = "Tap me"
    backgroundColor = #FFCC0000 }
view RtButtonWrapper Btn1 { frame 0 = 20 80 120 40  eventName = "btn"  text = "Go"
    backgroundColor = #FF0000CC }
view RtSliderWrapper Slider1 { frame 0 = 20 140 300 30  eventName = "sld"  minimumValue = 0f
    maximumValue = 102.4f  value = 10f  continuous = true }
view RtPanelWrapper Pnl1 { frame 0 = 20 200 20 100 2 0  eventName = "inner"
    backgroundColor = #FF00CC00 }
view RtPanelWrapper Boom { frame 0 = 260 80 60 50  eventName = "boom" }
view RtImageViewWrapper Led { frame 0 = 200 20 40 40  imageFile = "led.png" }
)";

class QtWindowTest : public testing::UiTest {
  protected:
    QtWindowTest() {
        QImage led(8, 8, QImage::Format_ARGB32);
        led.fill(QColor(255, 200, 0));
        led.save(QString::fromStdString((assets / "led.png").string()), "PNG");
        writeLayout("Form", kLayout);

        Screen& screen = Screen::main();
        screen.setImageCodec(&codec_);
        screen.setTextMetrics(&metrics_);
        screen.setRenderer(window.get());
        screen.setAlertPresenter(window.get());
        window->setResizeHandler(
            [](float width, float height) { Screen::main().setSize(width, height); });

        navigation->setNavigationBarVisible(false);
        navigation->setToolBarVisible(false);
        page->RootPanel()->LoadLayout(u"Form", module()->bi);
        navigation->ShowPage(page);
        window->makeKey();
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window->clientArea()));
        pump();
        module()->calls.clear();
    }
    ~QtWindowTest() override {
        Screen::main().setRenderer(nullptr);
        Screen::main().setAlertPresenter(nullptr);
        window.reset();
    }

    // Lets Qt deliver what is pending, then runs the queue, twice (tasks may touch widgets).
    void pump() {
        for (int round = 0; round < 2; ++round) {
            QCoreApplication::processEvents();
            settle();
        }
    }
    QWidget& widget(const std::string& field) const {
        const auto wrapper = module()->field(field).as<RtViewWrapper>();
        QWidget* found = wrapper ? window->widgetFor(wrapper->view()) : nullptr;
        if (!found) throw std::runtime_error("no widget for " + field);
        return *found;
    }
    // A click through the window at a point, so the toolkit finds the widget under it.
    void clickAt(QPoint point) {
        QTest::mouseClick(window->clientArea().windowHandle(), Qt::LeftButton, {}, point);
        pump();
    }

    platform::qt::QtImageCodec codec_;
    platform::qt::QtTextMetrics metrics_;
    std::unique_ptr<QtWindow> window = std::make_unique<QtWindow>(340, 568, "Zemtra test");
    std::shared_ptr<RtNavigationControllerWrapper> navigation =
        RtNavigationControllerWrapper::createForHost(module()->bi);
    std::shared_ptr<RtPage> page = make<RtPage>(u"Page1");
};

TEST_F(QtWindowTest, ALayoutFromTextIsBoundToFieldsAndMirroredIntoWidgets) {
    EXPECT_EQ(widget("_pnl1").geometry(), QRect(20, 200, 300, 100));
    EXPECT_EQ(widget("_label1").accessibleName(), "Tap me");
    EXPECT_EQ(widget("_slider1").accessibleName(), "Slider1");
    EXPECT_EQ(widget("_pnl1").focusPolicy(), Qt::NoFocus);

    // Model changes reach the widgets as they happen.
    const auto label = module()->field("_label1").as<RtLabelWrapper>();
    label->setText(u"Changed");
    label->setVisible(false);
    EXPECT_EQ(static_cast<QLabel&>(widget("_label1")).text(), "Changed");
    EXPECT_FALSE(widget("_label1").isVisible());
}

TEST_F(QtWindowTest, TapsLongPressesAndSliderDragsReachTheHandlersByName) {
    clickAt({80, 40});
    clickAt({80, 100});
    clickAt({300, 550});  // the page's root panel: no handler, nothing happens
    EXPECT_EQ(module()->calls, (Calls{"lbl_click", "btn_click"}));

    QTest::mousePress(window->clientArea().windowHandle(), Qt::LeftButton, {}, {80, 40});
    QTest::qWait(700);
    QTest::mouseRelease(window->clientArea().windowHandle(), Qt::LeftButton, {}, {80, 40});
    pump();
    // A long press is not also a tap. The button waits for no long press: held as long, it is still
    // tapped.
    QTest::mousePress(window->clientArea().windowHandle(), Qt::LeftButton, {}, {80, 100});
    QTest::qWait(700);
    QTest::mouseRelease(window->clientArea().windowHandle(), Qt::LeftButton, {}, {80, 100});
    pump();
    EXPECT_EQ(module()->calls, (Calls{"lbl_click", "btn_click", "lbl_longclick", "btn_click"}));

    auto& slider = static_cast<QSlider&>(widget("_slider1"));
    QStyleOptionSlider option;
    option.initFrom(&slider);
    option.orientation = Qt::Horizontal;
    option.minimum = slider.minimum();
    option.maximum = slider.maximum();
    option.sliderPosition = slider.sliderPosition();
    const QPoint handle =
        slider.style()
            ->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, &slider)
            .center();
    QTest::mousePress(&slider, Qt::LeftButton, {}, handle);
    QTest::mouseMove(&slider, handle + QPoint(60, 0));
    QTest::mouseMove(&slider, handle + QPoint(120, 0));
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, handle + QPoint(120, 0));
    pump();
    std::vector<float> values;
    for (const std::string& call : module()->calls) {
        if (call.starts_with("sld_valuechanged ")) values.push_back(std::stof(call.substr(17)));
    }
    ASSERT_GE(values.size(), 2u) << "a continuous slider reports while it is dragged";
    EXPECT_GT(values.back(), 10.0f);
    EXPECT_FLOAT_EQ(module()->field("_slider1").as<RtSliderWrapper>()->Value(), values.back());
}

TEST_F(QtWindowTest, KeysTabBetweenControlsTapAndMoveSliders) {
    window->clientArea().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window->clientArea()));
    widget("_btn1").setFocus();
    QTest::keyClick(&widget("_btn1"), Qt::Key_Space);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), &widget("_slider1"));
    QTest::keyClick(&widget("_slider1"), Qt::Key_Right);
    pump();
    ASSERT_EQ(module()->calls.size(), 2u);
    EXPECT_EQ(module()->calls[0], "btn_click");
    EXPECT_TRUE(module()->calls[1].starts_with("sld_valuechanged 11.")) << module()->calls[1];
}

TEST_F(QtWindowTest, AHandlersExceptionFromInputEndsTheLoopLikeATasksWithoutUnwindingThroughQt) {
    QueueTaskSource source(queue);
    platform::qt::QtQueueDriver driver(source);
    window->setFailureHandler([&driver](std::exception_ptr failure) { driver.fail(failure); });
    bool escaped = false;
    QTimer::singleShot(0, [&] {
        try {
            // The panel's touch handler runs at once and throws.
            QTest::mouseClick(window->clientArea().windowHandle(), Qt::LeftButton, {}, {290, 100});
            // Input after the failure is dropped: this tap queues nothing.
            QTest::mouseClick(window->clientArea().windowHandle(), Qt::LeftButton, {}, {80, 100});
        } catch (...) {
            escaped = true;
            QCoreApplication::exit(7);
        }
    });
    try {
        driver.run();
        ADD_FAILURE() << "the loop ended without the handler's exception";
    } catch (const RtException& error) {
        EXPECT_EQ(error.reason(), u"boom");
    }
    window->setFailureHandler(nullptr);
    EXPECT_FALSE(escaped) << "the exception went through Qt's event dispatch";
    EXPECT_EQ(module()->calls, (Calls{"boom_touch 0"}));
    EXPECT_EQ(queue.pendingCount(), 0u);
}

TEST_F(QtWindowTest, AMessageBoxIsModalToTheWindowAndAnsweredByAClick) {
    const Value buttons[] = {Value(u"Yes"), Value(u"No")};
    RtCommon::New()->service<RtDialogs>()->Msgbox2(
        module()->bi, u"confirm", u"Is this what you want to do?", u"Delete the log File", buttons);
    // The call returned at once, with the box showing.
    ASSERT_EQ(Screen::main().alerts().size(), 1u);
    QMessageBox* box = window->messageBoxFor(*Screen::main().alerts().front());
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);

    // The button beneath the box takes no click while the box waits.
    clickAt({80, 100});
    EXPECT_TRUE(module()->calls.empty());

    QAbstractButton* no = nullptr;
    for (QAbstractButton* button : box->buttons()) {
        if (button->text() == "No") no = button;
    }
    ASSERT_NE(no, nullptr);
    // Themes may decorate button texts (keyboard accelerators); the choice must not depend on it.
    no->setText("&No");
    QTest::mouseClick(no, Qt::LeftButton);
    pump();
    EXPECT_EQ(module()->calls, (Calls{"confirm_click No"}));
    EXPECT_TRUE(Screen::main().alerts().empty());
    clickAt({80, 100});
    EXPECT_EQ(module()->calls, (Calls{"confirm_click No", "btn_click"}));
}

// What a label shows: markup only when it would take the text as rich text.
bool rendersMarkup(const QLabel& label) {
    return label.textFormat() == Qt::RichText ||
           (label.textFormat() == Qt::AutoText && Qt::mightBeRichText(label.text()));
}

TEST_F(QtWindowTest, TextsAreShownAsGivenNotAsMarkupOrShortcuts) {
    const Value buttons[] = {Value(u"Save & Exit"), Value(u"<b>No</b>")};
    RtCommon::New()->service<RtDialogs>()->Msgbox2(module()->bi, u"confirm", u"<i>Sure?</i> 1 < 2",
                                                   u"<b>Title</b>", buttons);
    QMessageBox* box = window->messageBoxFor(*Screen::main().alerts().front());
    ASSERT_NE(box, nullptr);
    QStringList texts;
    for (const QLabel* label : box->findChildren<QLabel*>()) {
        if (label->text().isEmpty()) continue;
        texts << label->text();
        EXPECT_FALSE(rendersMarkup(*label)) << label->text().toStdString();
    }
    EXPECT_TRUE(texts.contains("<b>Title</b>"));
    EXPECT_TRUE(texts.contains("<i>Sure?</i> 1 < 2"));
    QStringList shown;
    for (const QAbstractButton* button : box->buttons()) {
        EXPECT_TRUE(button->shortcut().isEmpty()) << "an \"&\" taken as a shortcut mark";
        shown << QString(button->text()).replace("&&", "&");
    }
    EXPECT_TRUE(shown.contains("Save & Exit")) << shown.join('|').toStdString();
    EXPECT_TRUE(shown.contains("<b>No</b>"));

    module()->field("_label1").as<RtLabelWrapper>()->setText(u"<b>bold</b>");
    EXPECT_FALSE(rendersMarkup(static_cast<QLabel&>(widget("_label1"))));
    module()->field("_btn1").as<RtButtonWrapper>()->setText(u"R&D");
    EXPECT_TRUE(static_cast<QPushButton&>(widget("_btn1")).shortcut().isEmpty());
}

TEST_F(QtWindowTest, ALayoutSetAtOnceStopsARunningAnimation) {
    const auto label = module()->field("_label1").as<RtLabelWrapper>();
    QWidget& shown = widget("_label1");
    const auto running = [&shown] {
        for (const auto* animation : shown.findChildren<QPropertyAnimation*>()) {
            if (animation->state() == QAbstractAnimation::Running) return true;
        }
        return false;
    };

    // Back where it came from, while it is on its way elsewhere.
    label->SetLayoutAnimated(1000, 0.5f, 200, 300, 120, 40);
    EXPECT_TRUE(running());
    label->SetLayoutAnimated(0, 0.5f, 20, 20, 120, 40);
    QTest::qWait(60);
    EXPECT_FALSE(running());
    EXPECT_EQ(shown.geometry(), QRect(20, 20, 120, 40));

    // To the frame the animation was heading for, which the model already holds: there now.
    label->SetLayoutAnimated(1000, 0.5f, 200, 300, 120, 40);
    label->SetLayoutAnimated(0, 0.5f, 200, 300, 120, 40);
    EXPECT_FALSE(running());
    EXPECT_EQ(shown.geometry(), QRect(200, 300, 120, 40));
}

TEST_F(QtWindowTest, AToastDoesNotBlockAClickBeneathItAndGoesAway) {
    const QPoint middle(170, 284);
    const QColor before = window->grabImage().pixelColor(middle);
    RtHud hud;
    hud.ToastMessageShow(u"Logs Deleted", true);
    pump();
    EXPECT_NE(window->grabImage().pixelColor(middle), before) << "the toast is drawn over the page";
    clickAt({80, 100});
    EXPECT_EQ(module()->calls, (Calls{"btn_click"}));
    queue.runFor(std::chrono::seconds(3));
    pump();
    EXPECT_EQ(window->grabImage().pixelColor(middle), before);
}

TEST_F(QtWindowTest, AWindowResizeReappliesTheLayoutAndRaisesOneResizeEvent) {
    window->clientArea().resize(400, 600);
    window->clientArea().resize(500, 700);
    pump();
    EXPECT_EQ(module()->calls, (Calls{"page1_resize 500 700"}));
    EXPECT_FLOAT_EQ(module()->field("_pnl1").as<RtPanelWrapper>()->Width(), 500 - 20 - 20);
    EXPECT_EQ(widget("_pnl1").geometry(), QRect(20, 200, 460, 100));
}

TEST_F(QtWindowTest, AScreenshotShowsTheViews) {
    const std::string path = (assets / "shot.png").string();
    ASSERT_TRUE(window->saveScreenshot(path));
    QImage shot(QString::fromStdString(path));
    ASSERT_FALSE(shot.isNull());
    EXPECT_EQ(shot.size(), QSize(340, 568));
    EXPECT_EQ(shot.pixelColor(24, 24), QColor(0xCC, 0, 0)) << "the label's background";
    EXPECT_EQ(shot.pixelColor(30, 250), QColor(0, 0xCC, 0)) << "the panel";
    EXPECT_EQ(shot.pixelColor(220, 40), QColor(255, 200, 0)) << "the image";
    EXPECT_EQ(shot.pixelColor(300, 500), QColor(Qt::black)) << "the page";
}

// Runs only where the screen is dense (the ctest entry "qt_high_density" sets QT_SCALE_FACTOR=2).
// A headless run mirrors nothing into widgets, yet its images are chosen for the screen as well.
TEST_F(QtWindowTest, OnADenseScreenImagesNamedAt2xAreChosenWithOrWithoutAWindow) {
    const float ratio = window->pixelRatio();
    if (ratio < 2) GTEST_SKIP() << "needs a screen of scale 2 (QT_SCALE_FACTOR=2)";
    QImage dense(16, 16, QImage::Format_ARGB32);
    dense.fill(QColor(0, 0, 255));
    dense.save(QString::fromStdString((assets / "led@2x.png").string()), "PNG");
    writeLayout("Dense", R"(variant 340 x 568
view RtImageViewWrapper Dense { frame 0 = 200 300 40 40  imageFile = "led.png"  contentMode = 4 })");
    Screen::main().setRenderer(nullptr);
    EXPECT_FLOAT_EQ(Screen::main().scale(), ratio);
    page->RootPanel()->LoadLayout(u"Dense", module()->bi);
    const auto& image = static_cast<UiImageView&>(*page->RootPanel()->panel().children().back());
    ASSERT_TRUE(image.image());
    EXPECT_FLOAT_EQ(image.image()->scale(), 2);
    EXPECT_FLOAT_EQ(image.image()->width(), 8) << "16 pixels at scale 2";

    // Shown centred in its view at its size in points: 8 points across, 16 device pixels.
    Screen::main().setRenderer(window.get());
    pump();
    const QImage shot = window->grabImage();
    EXPECT_EQ(shot.pixelColor(QPoint(217, 317) * ratio), QColor(0, 0, 255));
    EXPECT_EQ(shot.pixelColor(QPoint(214, 317) * ratio), QColor(Qt::black));
}

TEST(QtQueueDriver, RunsTheQueueInsideQtsLoopUntilItQuits) {
    RealClock clock;
    MainQueue queue(clock);
    const MainQueue::Installation installation(queue);
    QueueTaskSource source(queue);
    platform::qt::QtQueueDriver driver(source);
    std::vector<std::string> order;
    queue.postDelayed(std::chrono::milliseconds(30), [&] { order.push_back("delayed"); });
    std::thread other([&] {
        queue.post([&] {
            order.push_back("from another thread");
            queue.postDelayed(std::chrono::milliseconds(60), [&] { queue.quit(3); });
        });
    });
    EXPECT_EQ(driver.run(), 3);
    other.join();
    EXPECT_EQ(order, (std::vector<std::string>{"from another thread", "delayed"}));

    MainQueue failing(clock);
    QueueTaskSource failingSource(failing);
    platform::qt::QtQueueDriver failingDriver(failingSource);
    failing.post([] { throw std::runtime_error("handler failed"); });
    EXPECT_THROW(failingDriver.run(), std::runtime_error);
}

}  // namespace
}  // namespace zemtra
