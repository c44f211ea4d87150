// The word generator's application module `zm_main`: every global the generator shares between
// its timers, selection engine, meter, sliders and log, and every handler and sub, reachable by
// its full name (colons included) for event dispatch, layout binding and calls by name.
//
// The module's code is split by concern over the zm_main_*.cpp files: state (this class's
// globals and method table), start-up, sampling, the selection engine, the word list and memory,
// the meter and display timer, the switch and sliders, the word log, the settings file, mailing
// and the screens. Everything runs on the main thread, one handler at a time.
//
// The device services (motion, speech, mail composer) are held as runtime objects made by class
// name and used through their operation names ("GetUserAcceleration", "Speak::", ...). A service
// whose class is not registered behaves as an uninitialised wrapper does: no readings (an empty
// magnetometer and zero acceleration), no speech, and a mail composer that cannot send.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/core/Module.h"
#include "runtime/core/RtTimer.h"
#include "runtime/lib/DocumentWriter.h"
#include "runtime/lib/RtArray.h"
#include "runtime/lib/zm_dateutils.h"
#include "session/JournalWriter.h"
#include "session/SelectionEngine.h"
#include "ui/RtButtonWrapper.h"
#include "ui/RtHud.h"
#include "ui/RtImageViewWrapper.h"
#include "ui/RtLabelWrapper.h"
#include "ui/RtNavigationControllerWrapper.h"
#include "ui/RtPage.h"
#include "ui/RtPanelWrapper.h"
#include "ui/RtSliderWrapper.h"
#include "ui/RtTextViewWrapper.h"

namespace zemtra::app {

class zm_main final : public RtStaticModule {
  public:
    static constexpr StringView kClassName = u"zm_main";
    String className() const override { return String(kClassName); }
    const MethodTable* methods() const override;

    // Counts of the fixed arrays.
    static constexpr int32_t kWordSlots = 2075;
    static constexpr int32_t kMemorySlots = 1100;
    // Memory slots saved to and restored from "fifo.txt": 0 to 1024.
    static constexpr int32_t kSavedMemorySlots = 1025;
    // Candidates of 2049 and more never become words.
    static constexpr int32_t kReachableWords = 2049;

    // ---- state
    void initializeStaticModules() override;
    String _process_globals() override;
    void _application_active() {}
    void _application_inactive() {}
    void _application_background() {}

    // ---- start-up
    void _application_start(const std::shared_ptr<RtNavigationControllerWrapper>& navigation);

    // ---- sampling
    void _tr1_tick();

    // ---- selection engine
    void _itcout(const String& selection);
    // The step itself, answering what the rules decided.
    session::Selection selectWord(const String& selection);
    void _setdt(int32_t delay);
    void _sayit(int32_t index);

    // ---- word list and recent-word memory
    // Before start-up: the word list file to read instead of the assets' "wordlist.txt".
    void setWordListFile(std::string path) { wordListFile_ = std::move(path); }
    // The word list in force, as a path.
    std::string wordListPath() const;
    // The words of the list in use (at most kWordSlots); candidates at or past it have no word.
    int32_t wordCount() const { return wordCount_; }
    void _addto();
    void _loadbuf();
    void _loadfifo();
    void _writefifo();

    // ---- power meter and display timer
    void _pwr(int32_t level);
    void _tmr1_tick();

    // ---- generator switch, speech and sliders
    void _label1_click();
    void _delay(int32_t milliseconds);
    void _slider1_valuechanged(float value);
    void _slider2_valuechanged(float value);
    void _slider3_valuechanged(float value);
    void _slider4_valuechanged(float value);
    void _slider5_valuechanged(float value);
    void _slider6_valuechanged(float value);

    // ---- word log
    void _writelog();
    void _clearlog();
    void _readlog();
    void _btnwlog_click();
    void _btnclog_click();
    void _setconfirm_click(const String& title);
    // At start-up: creates the log when it is missing, else mends a torn last line (completed
    // when it is a whole record without its line end, else moved to "WordLog.txt.torn").
    void prepareWordLog();
    // Before the log is shown or mailed: the writes handed over are done, and a log deleted
    // meanwhile is started again with its title line (and the person told so).
    void ensureWordLog();
    // Appends one record line (line feed included) in one write, whole or not at all; a log
    // deleted meanwhile is started again with its title line.
    void appendWordLogRecord(const String& record);

    // ---- settings file
    void _setfiles();
    // Puts the sliders where "sp.txt" says, when it exists and holds numbers, and their settings in
    // force as their handlers would, without rewriting the file (a step of start-up).
    void restoreSliders();

    // ---- mailing
    void _btnemail_click();
    // Opens the review window on the newest session (the one running, when the generator is on).
    void _btnreview_click();
    void _mailc_complete(int32_t result);

    // ---- screens and device name
    void _page1_resize(int32_t width, int32_t height);
    void _btnset_click();
    void _btnlog_click();
    void _btninfo_click();
    void _btnbk_click();
    String deviceName();
    // The display name of a machine identifier (the table, then the fallback rules).
    static String deviceNameOf(StringView machine);

    // ---- notices: what went wrong that the person must know (a write that failed, sensors lost,
    // speech failing), shown on the main screen in the notice line until it is cleared. Each kind
    // holds one text; the line shows the newest two. A text is logged when it is new for its kind,
    // so a failure that repeats at every tick is logged once, and again only after it cleared.
    enum class NoticeKind { wordLog, settings, memory, journal, sensors, speech, mail, files };
    void showNotice(NoticeKind kind, const String& text);
    // Takes the kind's text off the line; `logText`, when given and a notice was showing, is
    // logged ("Sensors found again").
    void clearNotice(NoticeKind kind, const String& logText = String());
    // The text showing for the kind, empty when none.
    String notice(NoticeKind kind) const;
    // Changes the text of a notice that is showing, without logging it again.
    void replaceNoticeText(NoticeKind kind, const String& text);
    // Asks the device services whether they fail and shows or clears their notices.
    void checkDevices();
    void checkSensors();

    // ---- the program's end, whatever ended it (window closed, quit, end of script, a signal, an
    // error): the memory is saved so that no accepted word is forgotten, and every write handed
    // over is waited for (bounded); a save that failed shows in notice(NoticeKind::memory).
    void orderlyEnd();
    // The same, saying how the run ended for the session journal: "quit", "signal" or "error".
    void orderlyEnd(std::string_view ending);

    // ---- session journal: one folder per switch-on (session/JournalWriter.h)
    struct JournalSetup {
        bool on = false;
        std::string version;       // the program's
        std::string sensorSource;  // the --sensors value
        std::string speechOutput;  // the --speech value
        std::string voice;         // the voice in force, "German (de)"
    };
    // Before start-up; without it no journal is written.
    void setJournalSetup(JournalSetup setup) { journalSetup_ = std::move(setup); }
    // Moves each slider that is elsewhere to its position, as a slide would (its handler runs).
    void moveSliders(const std::array<int32_t, 6>& positions);
    // The running session's folder, empty when none runs.
    std::filesystem::path journalFolder() const;

    // ---- globals, in the order _process_globals sets them
    std::shared_ptr<zm_dateutils> _dateutils;
    std::shared_ptr<RtNavigationControllerWrapper> _navcontrol;
    std::shared_ptr<RtPage> _page1;    // the one page, event prefix "page1"
    ObjectRef _app;                    // the application wrapper; not used further
    std::shared_ptr<RtTimer> _tmr1;    // display timer, 200 ms
    std::shared_ptr<RtTimer> _tr1;     // sampling timer, 1000 ms until slider 2 moves
    std::shared_ptr<RtTimer> _dtimer;  // never initialised or enabled
    ObjectRef _talk;                   // speech (an RtTTS)
    int32_t _speed = 0;
    int32_t _pitch = 0;
    std::shared_ptr<RtArray> _words;  // the word list, 2075 texts
    int32_t _ic = 0;                  // scanner position 1-9 (0 lights none)
    int32_t _tg = 0;                  // scanner direction: 0 up, 1 down
    int32_t _onoff = 0;               // generator switch: 1 on
    std::shared_ptr<RtImageViewWrapper> _imageview47, _imageview46, _imageview45, _imageview44,
        _imageview43, _imageview42, _imageview41, _imageview40, _imageview37, _imageview36,
        _imageview35, _imageview34, _imageview33, _imageview32, _imageview31, _imageview30,
        _imageview27, _imageview26, _imageview25, _imageview24, _imageview23, _imageview22,
        _imageview21, _imageview20, _imageview19, _imageview1, _imageview9, _imageview8,
        _imageview7, _imageview6, _imageview5, _imageview4, _imageview3, _imageview2;
    std::shared_ptr<RtLabelWrapper> _label1;  // the generator switch
    std::shared_ptr<RtLabelWrapper> _label3;
    std::shared_ptr<RtTextViewWrapper> _textview1;  // word display
    std::shared_ptr<RtPanelWrapper> _pnlmain;
    std::shared_ptr<RtPanelWrapper> _pnlset;
    std::shared_ptr<RtPanelWrapper> _pnllog;
    std::shared_ptr<RtButtonWrapper> _btnset;
    std::shared_ptr<RtButtonWrapper> _btnbk;
    ObjectRef _move;                                // motion sensors (an RtMotion)
    std::shared_ptr<RtTextViewWrapper> _textview2;  // log display
    std::shared_ptr<RtArray> _cfig;                 // digit store, 8 slots
    int32_t _sens = 1;                              // digit position, slider 1
    std::shared_ptr<RtSliderWrapper> _slider1;
    int32_t _cnt = 0;               // candidate ring cursor
    int32_t _fifo = 100;            // memory depth, slider 3
    int32_t _lw = 0;                // last candidate
    int32_t _wd = 10;               // window width, slider 6
    int32_t _pf = 0;                // memory slots holding the current candidate
    int32_t _f = 0;                 // next line of the word display (1-3; above 3 clears it)
    int32_t _fc = 0;                // spoken-word ring cursor
    int32_t _rn = 0;                // run counter
    int32_t _x1 = 0;                // shared counter; the meter level
    std::shared_ptr<RtArray> _lws;  // recent-word memory, 1100 slots
    std::shared_ptr<RtSliderWrapper> _slider2, _slider3, _slider4, _slider5, _slider6;
    // The sliders' captions: what each sets and the value in force, in words.
    std::shared_ptr<RtLabelWrapper> _lblslider1, _lblslider2, _lblslider3, _lblslider4, _lblslider5,
        _lblslider6;
    int64_t _dt = 0;  // quiet deadline in ticks; 0 when free
    std::shared_ptr<RtButtonWrapper> _btnclog;
    std::shared_ptr<RtButtonWrapper> _btnemail;
    std::shared_ptr<RtButtonWrapper> _btnreview;
    std::shared_ptr<RtHud> _hd;
    ObjectRef _mailc;  // mail composer (an RtMailComposer)
    std::shared_ptr<RtPanelWrapper> _pnlinfo;
    std::shared_ptr<RtButtonWrapper> _btnlog;
    int32_t _dn = 0;                             // device kind: 1 on an iPod
    std::shared_ptr<RtLabelWrapper> _lblnotice;  // the main screen's notice line
    std::shared_ptr<RtLabelWrapper> _lblsource;  // the sensor source and its health, one line

    // Property access by name: `Get<&zm_main::_x>` and `Set<&zm_main::_x>` back the getter "_x"
    // and the setter "set_x:" of every global.
    template <auto Field>
    auto Get() const {
        return this->*Field;
    }
    template <auto Field>
    void Set(std::remove_cvref_t<decltype(std::declval<zm_main>().*Field)> value) {
        this->*Field = std::move(value);
    }

  private:
    using ImageViewField = std::shared_ptr<RtImageViewWrapper> zm_main::*;
    // The image view global with number n (1-9, 19-27, 30-37, 40-47); nullptr for others.
    static ImageViewField imageViewField(int32_t number);
    RtImageViewWrapper& imageView(int32_t number) { return *(this->*imageViewField(number)); }
    void showImageView(int32_t number, bool shown) { imageView(number).setVisible(shown); }

    // Calls an operation of a device service by name; Null when the service is absent.
    Value callService(const ObjectRef& service, StringView operation,
                      std::initializer_list<Value> arguments = {});
    // A device service made by its class name, or nullptr when its class is not registered.
    static ObjectRef makeService(StringView className);

    String word(int32_t index) const;
    int32_t memorySlot(int32_t slot) const;
    void setMemorySlot(int32_t slot, int32_t value);
    // Writes to the documents directory go through the writer thread; what failed shows in the
    // notice line of its kind ("<what>: <cause>. <action>"), and a later success clears it.
    // `what` names what was not written ("Word log not written"). An append with a header
    // starts a missing file with it and says so: the file was expected to be there.
    void appendToDocument(NoticeKind kind, StringView name, StringView text, StringView what,
                          StringView header = {});
    // Replaces the file with the lines, each ending in a line feed, as a whole; `then` runs on
    // the main thread once it was written (true) or failed (false).
    void replaceDocument(NoticeKind kind, StringView name, const std::vector<String>& lines,
                         StringView what, std::function<void(bool written)> then = {});
    DocumentWriter::Report writeReport(NoticeKind kind, StringView name, StringView what,
                                       std::function<void(bool written)> then,
                                       bool expected = true);
    void reportWrite(NoticeKind kind, StringView name, StringView what,
                     const DocumentWriter::Outcome& outcome, bool expected);
    // Waits (bounded) until the writes handed over are done and their reports ran.
    void waitForWrites();
    std::string documentPath(StringView name) const;
    void repairWordLog();
    class MemorySlots;
    session::SelectionState selectionState() const;
    void setSelectionState(const session::SelectionState& state);
    void speakAccepted(const String& selection, int32_t x);
    String readWordLog();
    // The last clear of the log was written.
    bool logCleared_ = false;
    void showToast(StringView text);
    // Memory slots 0 to 1024 as this run last saved them (empty before the first save).
    std::vector<int32_t> savedMemory_;
    void setVoiceFromSliders();
    // Puts the engine setting of slider 1, 2, 3 or 6 in force as the slider's handler does (the
    // voice, sliders 4 and 5, is set from the sliders at every switch and by their handlers).
    void applyEngineSetting(int32_t slider, float value);
    // Each slider's caption: what it sets and the value in force.
    void showSliderCaptions();
    void restoreSliderPositions();
    // Sliders 4 and 5: sets the voice's pitch or rate (setter) to value / 10, says "Zemtrah" in
    // it and saves the positions.
    void tryVoice(StringView setter, float value);
    void showNotices();
    // The notices showing, oldest first.
    std::vector<std::pair<NoticeKind, String>> notices_;
    JournalSetup journalSetup_;
    std::unique_ptr<session::JournalWriter> journal_;
    // What a sampling tick read, for its journal row.
    struct TickReadings {
        std::vector<double> magnetometer;  // empty before its first sample
        std::vector<double> acceleration;
        std::string digits;  // one character per scanned reading, '-' for no match
    };
    void startJournal();
    void endJournal(std::string_view ending);
    void journalTick(const TickReadings& readings, const String& selection,
                     const session::Selection& selected);
    void journalSettings();
    session::Settings currentSettings() const;
    // The motion source's count of losses and recoveries when its loss was last logged.
    int64_t sensorLossShown_ = -1;
    // The source line's text as last shown, and the start-up log line naming the source.
    String sourceLine_;
    // The source line as the motion service's status says now (checkSensors also sets it, from
    // the status it reads anyway).
    void showSourceLine();
    void setSourceLine(const String& line);
    void logSensorSource();
    // (directory, file name) of the word list in force, as the file service reads it.
    std::pair<String, String> wordListLocation() const;
    std::string wordListFile_;  // empty: the assets' "wordlist.txt"
    int32_t wordCount_ = kWordSlots;
};

}  // namespace zemtra::app
