// The user interface's two hot paths: loading a layout of 60 views (through the file service,
// with real PNG images), and one display-timer-like pass that hides 33 image views and shows 9
// while a Qt window (offscreen) mirrors the tree. Targets: the load in at most 5 ms, the pass in
// at most 200 us.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/qt/QtImageCodec.h"
#include "platform/qt/QtTextMetrics.h"
#include "platform/qt/QtWindow.h"
#include "runtime/core/MainQueue.h"
#include "runtime/core/Module.h"
#include "runtime/core/RtCommon.h"
#include "runtime/core/RuntimeScope.h"
#include "runtime/lib/RtFile.h"
#include "runtime/lib/StandardServices.h"
#include "tools/LayoutText.h"
#include "ui/RtImageViewWrapper.h"
#include "ui/RtLayoutData.h"
#include "ui/RtNavigationControllerWrapper.h"
#include "ui/RtPage.h"
#include "ui/RtPanelWrapper.h"
#include "ui/Screen.h"

namespace {

using namespace zemtra;

// A layout like the word generator's: 4 panels, 34 image views with images, 6 sliders, 8 labels
// and 8 buttons (60 views).
std::string sixtyViews() {
    std::ostringstream out;
    out << "variant 340 x 568\nhandleResizeEvent = true\nbackgroundColor = #FF000000\n";
    const auto image = [&out](int index) {
        out << "    view RtImageViewWrapper ImageView" << index
            << " { frame 0 = " << (index % 9) * 34 << " " << (index / 9) * 30
            << " 30 24  eventName = \"imageview" << index << "\"  imageFile = \"led" << index % 3
            << ".png\"  contentMode = 0  visible = " << (index % 2 ? "true" : "false") << " }\n";
    };
    const auto label = [&out](int index) {
        out << "    view RtLabelWrapper Label" << index << " { frame 0 = 10 " << 300 + index * 20
            << " 150 20  eventName = \"label" << index << "\"  text = \"Label " << index
            << "\"  font = { fontName = \"DEFAULT\" fontSize = 15f }  textColor = #FFFFFFFF  "
               "textAlignment = 1 }\n";
    };
    const auto button = [&out](int index) {
        out << "    view RtButtonWrapper Btn" << index << " { frame 0 = 180 " << 300 + index * 20
            << " 150 20  eventName = \"btn" << index << "\"  text = \"Button " << index
            << "\"  style = 1  backgroundColor = #FF2C2C2E  cornerRadius = 8f  enabled = true }\n";
    };
    out << "view RtPanelWrapper PnlMain {\n    frame 0 = 0 0 340 568\n    eventName = "
           "\"pnlmain\"\n";
    for (int index = 0; index < 34; ++index) image(index);
    for (int index = 0; index < 4; ++index) label(index);
    for (int index = 0; index < 4; ++index) button(index);
    out << "}\nview RtPanelWrapper PnlSet {\n    frame 0 = 0 0 340 568\n    visible = false\n";
    for (int index = 0; index < 6; ++index) {
        out << "    view RtSliderWrapper Slider" << index << " { frame 0 = 20 " << 70 + index * 72
            << " 300 34  eventName = \"slider" << index
            << "\"  minimumValue = 0f  maximumValue = 10f  value = 3f  continuous = true }\n";
    }
    out << "}\nview RtPanelWrapper PnlLog {\n    frame 0 = 0 0 340 568\n    visible = false\n";
    for (int index = 4; index < 8; ++index) label(index);
    for (int index = 4; index < 8; ++index) button(index);
    out << "}\n";
    return out.str();
}

class BenchModule final : public RtStaticModule {};

// A runtime, a page on the navigation stack and the assets folder with the 60-view layout.
struct Fixture {
    Fixture() {
        registerStandardServices(scope);
        assets = std::filesystem::temp_directory_path() / "zemtra-ui-bench";
        std::filesystem::create_directories(assets);
        const uint32_t colors[] = {0xFFFF3B30u, 0xFF34C759u, 0xFFD6C21Fu};
        for (int index = 0; index < 3; ++index) {
            QImage led(26, 12, QImage::Format_ARGB32);
            led.fill(QColor::fromRgba(colors[index]));
            led.save(QString::fromStdString(
                         (assets / ("led" + std::to_string(index) + ".png")).string()),
                     "PNG");
        }
        const std::vector<uint8_t> bytes =
            layout::write(layout::compileText(sixtyViews(), "sixty"));
        std::ofstream(assets / "sixty.lyt", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        RtCommon::New()->service<RtFile>()->setVirtualAssetsFolder(
            Value(fromUtf8(assets.string())));
        Screen::main().setImageCodec(&codec);
        Screen::main().setTextMetrics(&metrics);
        module = StaticModules::New<BenchModule>();
        navigation = RtNavigationControllerWrapper::createForHost(module->bi);
        navigation->setNavigationBarVisible(false);
        page->Initialize(module->bi, u"page1");
        navigation->ShowPage(page);
    }
    ~Fixture() {
        Screen::main().setRenderer(nullptr);
        std::error_code ignored;
        std::filesystem::remove_all(assets, ignored);
    }

    RuntimeScope scope;
    VirtualClock clock;
    MainQueue queue{clock};
    MainQueue::Installation installation{queue};
    std::filesystem::path assets;
    platform::qt::QtImageCodec codec;
    platform::qt::QtTextMetrics metrics;
    std::shared_ptr<BenchModule> module;
    std::shared_ptr<RtNavigationControllerWrapper> navigation;
    std::shared_ptr<RtPage> page = std::make_shared<RtPage>();
};

// A fresh panel of the page each time, loaded from the file.
void loadSixty(benchmark::State& state, bool mirrored) {
    Fixture fixture;
    platform::qt::QtWindow window(340, 568, "bench");
    if (mirrored) {
        Screen::main().setRenderer(&window);
        window.show();
    }
    const auto root = fixture.page->RootPanel();
    for (auto _ : state) {
        auto panel = std::make_shared<RtPanelWrapper>();
        panel->Initialize(fixture.module->bi, u"sixty");
        root->AddView(Value(panel), 0, 0, 340, 568);
        panel->LoadLayout(u"sixty", fixture.module->bi);
        state.PauseTiming();
        panel->RemoveViewFromParent();
        fixture.queue.runUntilIdle();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    Screen::main().setRenderer(nullptr);
}

void LoadLayoutOfSixtyViews(benchmark::State& state) {
    loadSixty(state, false);
}
BENCHMARK(LoadLayoutOfSixtyViews)->Unit(benchmark::kMicrosecond);

void LoadLayoutOfSixtyViewsMirrored(benchmark::State& state) {
    loadSixty(state, true);
}
BENCHMARK(LoadLayoutOfSixtyViewsMirrored)->Unit(benchmark::kMicrosecond);

// Like the display timer's tick: hide the nine scanner views and 24 meter views, then show nine.
void displayPass(benchmark::State& state, bool paint) {
    Fixture fixture;
    platform::qt::QtWindow window(340, 568, "bench");
    Screen::main().setRenderer(&window);
    window.show();
    const auto root = fixture.page->RootPanel();
    root->LoadLayout(u"sixty", fixture.module->bi);
    fixture.queue.runUntilIdle();
    QCoreApplication::processEvents();
    const auto data = root->view().attachedMap().at(u"layoutdata").as<RtLayoutData>();
    std::vector<std::shared_ptr<RtImageViewWrapper>> views;
    for (int index = 0; index < 33; ++index) {
        auto wrapper = std::make_shared<RtImageViewWrapper>();
        wrapper->setObject(Value(data->viewsMap.at(u"imageview" + decimal(index)).view));
        views.push_back(std::move(wrapper));
    }
    int tick = 0;
    for (auto _ : state) {
        for (const auto& view : views) view->setVisible(false);
        for (int shown = 0; shown < 9; ++shown)
            views[static_cast<size_t>((tick + shown * 3) % 33)]->setVisible(true);
        ++tick;
        if (paint) QCoreApplication::processEvents();
    }
    Screen::main().setRenderer(nullptr);
}

void DisplayPassMirrored(benchmark::State& state) {
    displayPass(state, false);
}
BENCHMARK(DisplayPassMirrored)->Unit(benchmark::kMicrosecond);

// The same, with the window repainting what changed before the next pass.
void DisplayPassMirroredAndPainted(benchmark::State& state) {
    displayPass(state, true);
}
BENCHMARK(DisplayPassMirroredAndPainted)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
