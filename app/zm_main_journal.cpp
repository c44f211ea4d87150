// The session journal of the running program: a session folder from each switch-on to the next
// switch-off or the program's end, a row for every sampling tick and the settings at every
// change. A journal that cannot be written shows in the notice line, as the word log does, and
// the generator goes on.
#include "app/zm_main.h"

#include "runtime/core/Conversions.h"
#include "runtime/core/RtCore.h"
#include "runtime/core/TickClock.h"
#include "runtime/lib/RtFile.h"
#include "runtime/lib/RtMap.h"

namespace zemtra::app {

namespace {

constexpr StringView kNotWritten = u"Journal not written";

}  // namespace

std::filesystem::path zm_main::journalFolder() const {
    return journal_ ? journal_->folder() : std::filesystem::path();
}

session::Settings zm_main::currentSettings() const {
    session::Settings settings;
    settings.tMs = Now();
    const std::shared_ptr<RtSliderWrapper> sliders[] = {_slider1, _slider2, _slider3,
                                                        _slider4, _slider5, _slider6};
    for (size_t index = 0; index < std::size(sliders); ++index)
        settings.positions[index] = static_cast<int32_t>(sliders[index]->Value());
    settings.digitPosition = _sens;
    settings.samplingIntervalMs = _tr1->Interval();
    settings.memoryDepth = _fifo;
    // As the captions say them: position / 10.
    settings.pitch = static_cast<double>(_slider4->Value()) / 10;
    settings.rate = static_cast<double>(_slider5->Value()) / 10;
    settings.windowWidth = _wd;
    return settings;
}

void zm_main::startJournal() {
    if (!journalSetup_.on) return;
    if (journal_) endJournal("switch-off");
    const auto files = _c->service<RtFile>();
    const int64_t now = Now();
    session::SessionInfo info;
    info.version = journalSetup_.version;
    info.sensorSource = journalSetup_.sensorSource;
    if (const auto status = RtCore::runDynamicMethod(Value(_move), u"Status", false).as<RtMap>()) {
        info.sensorDevice =
            toUtf8(bi->ObjectToString(status->GetDefault(Value(u"Description"), Value(String()))));
        const Value simulated = status->GetDefault(Value(u"Simulated"), Value::ofBoolean(false));
        info.sensorSimulated = simulated.number() && simulated.number()->toBoolean();
    }
    info.speechOutput = journalSetup_.speechOutput;
    info.voice = journalSetup_.voice.empty() ? "default" : journalSetup_.voice;
    info.wordList = wordListPath();
    info.wordCount = wordCount_;
    info.settings.push_back(currentSettings());
    info.startMs = now;
    const std::filesystem::path documents = toUtf8(files->DirDocuments());
    const std::filesystem::path folder =
        session::newSessionFolder(documents, session::localFolderTime(now));
    const String relative = fromUtf8(
        (std::filesystem::path(session::kSessionsFolder) / folder.filename()).string() + "/");
    journal_ = std::make_unique<session::JournalWriter>(
        DocumentWriter::current(), folder, std::move(info),
        [self = weak_from_this(), relative](std::string_view file,
                                            const DocumentWriter::Outcome& outcome) {
            const auto module = std::static_pointer_cast<zm_main>(self.lock());
            if (!module) return;
            // The usual answer, at every tick: nothing to show, nothing to name.
            if (outcome && !outcome->created) {
                module->clearNotice(NoticeKind::journal);
                return;
            }
            module->reportWrite(NoticeKind::journal, relative + fromUtf8(std::string(file)),
                                kNotWritten, outcome, true);
        });
}

void zm_main::endJournal(std::string_view ending) {
    if (!journal_) return;
    journal_->end(Now(), std::string(ending));
    journal_.reset();
}

void zm_main::journalTick(const TickReadings& readings, const String& selection,
                          const session::Selection& selected) {
    session::SampleRow row;
    row.tMs = Now();
    row.time = session::localIsoTime(row.tMs);
    if (readings.magnetometer.size() >= 3)
        row.magneticField = {readings.magnetometer[0], readings.magnetometer[1],
                             readings.magnetometer[2]};
    for (size_t axis = 0; axis < 3 && axis < readings.acceleration.size(); ++axis)
        row.acceleration[axis] = readings.acceleration[axis];
    row.digits = readings.digits;
    row.value = toUtf8(selection);
    row.index = selected.index;
    row.decision = selected.decision;
    row.quietMs = selected.quietMs;
    if (row.decision != session::Decision::quiet && row.decision != session::Decision::range)
        row.word = toUtf8(word(selected.index));
    journal_->addRow(row);
}

void zm_main::moveSliders(const std::array<int32_t, 6>& positions) {
    using Handler = void (zm_main::*)(float);
    const std::pair<std::shared_ptr<RtSliderWrapper>, Handler> sliders[] = {
        {_slider1, &zm_main::_slider1_valuechanged}, {_slider2, &zm_main::_slider2_valuechanged},
        {_slider3, &zm_main::_slider3_valuechanged}, {_slider4, &zm_main::_slider4_valuechanged},
        {_slider5, &zm_main::_slider5_valuechanged}, {_slider6, &zm_main::_slider6_valuechanged}};
    for (size_t index = 0; index < std::size(sliders); ++index) {
        const auto& [slider, handler] = sliders[index];
        const auto position = static_cast<float>(positions[index]);
        if (slider->Value() == position) continue;
        slider->setValue(position);
        (this->*handler)(slider->Value());
    }
}

void zm_main::journalSettings() {
    if (journal_) journal_->changeSettings(currentSettings());
}

}  // namespace zemtra::app
