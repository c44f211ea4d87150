// Application test helpers.
#include "tests/app/AppTestSupport.h"

#include <cstdlib>
#include <ctime>
#include <sstream>

#include "platform/sensors/ReplayMotionSource.h"
#include "runtime/core/RtCommon.h"
#include "runtime/lib/ClassRegistry.h"
#include "runtime/lib/RtArray.h"
#include "runtime/lib/RtFile.h"
#include "services/RtMotion.h"
#include "ui/ProgressHud.h"
#include "ui/RtDialogs.h"
#include "ui/RtNavigationControllerWrapper.h"
#include "ui/Screen.h"
#include "ui/UiLabel.h"
#include "ui/UiTextView.h"

namespace zemtra::testing {

const MethodTable* TestSpeech::methods() const {
    static const MethodTable table{
        MethodTable::operation("Initialize::", &TestSpeech::Initialize),
        MethodTable::operation("Speak::", &TestSpeech::Speak),
        MethodTable::operation("setPitch:", &TestSpeech::setPitch),
        MethodTable::operation("setSpeechRate:", &TestSpeech::setSpeechRate),
    };
    return &table;
}

std::vector<std::string> TestSpeech::spoken() const {
    std::vector<std::string> texts;
    for (const auto& call : calls) {
        if (call.starts_with("speak [")) texts.push_back(call.substr(7, call.rfind(']') - 7));
    }
    return texts;
}

AppTest::AppTest() {
    setenv("TZ", "UTC", 1);
    tzset();
    Screen::resetForTesting();
    scope.add(std::make_shared<RtDialogs>());
    std::filesystem::create_directories(documents);
    std::filesystem::copy(ZEMTRA_BUILD_ASSETS_DIR, assets,
                          std::filesystem::copy_options::recursive);
    FileLocations locations = FileLocations::defaults();
    locations.documents = fromUtf8(documents.string() + "/");
    locations.assets = fromUtf8(assets.string() + "/");
    RtCommon::New()->service<RtFile>()->setLocations(std::move(locations));
    ClassRegistry::instance().add<RtMotion>(u"RtMotion");
    replay("");
    ClassRegistry::instance().add(u"RtTTS", [this] { return ObjectRef(speech); });
    StaticModules::registerClass<app::zm_main>(u"zm_main");
    module_ = StaticModules::New<app::zm_main>();
    // Word i is "wi", so a log line names the selection that chose it.
    std::string words;
    for (int index = 0; index < app::zm_main::kWordSlots; ++index)
        words += "w" + std::to_string(index) + "\n";
    writeWordList(words);
}

AppTest::~AppTest() {
    // The module lives in the scope, which outlives the fixture's clock; from here on its sensor
    // source reads the time at which the test ended.
    sensorTime_->ended = true;
    module_.reset();
    Screen::resetForTesting();
    ClassRegistry::instance().resetForTesting();
}

void AppTest::start() {
    module_->_application_start(RtNavigationControllerWrapper::createForHost(module_->bi));
    settle();
}

void AppTest::replay(const std::string& rows) {
    std::istringstream csv("t_ms,mx,my,mz,ax,ay,az,yaw,pitch,roll\n" + rows);
    auto parsed = platform::sensors::parseReplay(csv, "replay.csv");
    ASSERT_TRUE(parsed) << parsed.error();
    const auto startup = clock.monotonicNow();
    platform::sensors::SensorClock sensorClock{[this, startup, time = sensorTime_] {
                                                   if (!time->ended)
                                                       time->last = clock.monotonicNow() - startup;
                                                   return time->last;
                                               },
                                               true};
    scope.add<platform::MotionSource>(std::make_shared<platform::sensors::ReplayMotionSource>(
        std::move(parsed).value(), std::move(sensorClock)));
}

std::vector<std::string> AppTest::logFrom(size_t from) const {
    return std::vector<std::string>(log.lines.begin() + static_cast<std::ptrdiff_t>(from),
                                    log.lines.end());
}

bool AppTest::shown(const std::string& name) const {
    const auto view = Screen::main().findView(fromUtf8(name));
    return view && view->isShownInTree();
}

std::vector<int> AppTest::visibleImageViews(std::initializer_list<int> numbers) const {
    std::vector<int> visible;
    for (const int number : numbers) {
        const auto view = Screen::main().findView(fromUtf8("imageview" + std::to_string(number)));
        if (view && !view->state().hidden) visible.push_back(number);
    }
    return visible;
}

std::vector<std::string> AppTest::toasts() const {
    std::vector<std::string> texts;
    for (const auto& child : Screen::main().overlayParent()->children()) {
        if (const auto toast = std::dynamic_pointer_cast<ProgressHud>(child);
            toast && !toast->state().hidden)
            texts.push_back(toUtf8(toast->labelText()));
    }
    return texts;
}

std::string AppTest::text(const std::string& name) const {
    const auto view = Screen::main().findView(fromUtf8(name));
    if (const auto textView = std::dynamic_pointer_cast<UiTextView>(view))
        return toUtf8(textView->text());
    if (const auto label = std::dynamic_pointer_cast<UiLabel>(view)) return toUtf8(label->text());
    return "<no text view " + name + ">";
}

}  // namespace zemtra::testing
