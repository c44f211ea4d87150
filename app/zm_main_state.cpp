// The module's state: its globals' initial values, the table of every handler, sub and property
// reachable by name, and the small helpers the other parts of the module share.
#include "app/zm_main.h"

#include "runtime/core/RtCommon.h"
#include "runtime/core/RtCore.h"
#include "runtime/lib/ClassRegistry.h"
#include "runtime/lib/RtFile.h"

#include <cerrno>

namespace zemtra::app {

// Getter "_x" and setter "set_x:" of a global.
#define ZM_GLOBAL(name)                                           \
    MethodTable::operation(#name, &zm_main::Get<&zm_main::name>), \
        MethodTable::operation("set" #name ":", &zm_main::Set<&zm_main::name>)

const MethodTable* zm_main::methods() const {
    static const MethodTable table{
        MethodTable::sub("_process_globals", &zm_main::_process_globals),
        MethodTable::sub("_application_start:", &zm_main::_application_start),
        MethodTable::sub("_application_active", &zm_main::_application_active),
        MethodTable::sub("_application_inactive", &zm_main::_application_inactive),
        MethodTable::sub("_application_background", &zm_main::_application_background),
        MethodTable::sub("_tr1_tick", &zm_main::_tr1_tick),
        MethodTable::sub("_itcout:", &zm_main::_itcout),
        MethodTable::sub("_setdt:", &zm_main::_setdt),
        MethodTable::sub("_sayit:", &zm_main::_sayit),
        MethodTable::sub("_addto", &zm_main::_addto),
        MethodTable::sub("_loadbuf", &zm_main::_loadbuf),
        MethodTable::sub("_loadfifo", &zm_main::_loadfifo),
        MethodTable::sub("_writefifo", &zm_main::_writefifo),
        MethodTable::sub("_pwr:", &zm_main::_pwr),
        MethodTable::sub("_tmr1_tick", &zm_main::_tmr1_tick),
        MethodTable::sub("_label1_click", &zm_main::_label1_click),
        MethodTable::sub("_delay:", &zm_main::_delay),
        MethodTable::sub("_slider1_valuechanged:", &zm_main::_slider1_valuechanged),
        MethodTable::sub("_slider2_valuechanged:", &zm_main::_slider2_valuechanged),
        MethodTable::sub("_slider3_valuechanged:", &zm_main::_slider3_valuechanged),
        MethodTable::sub("_slider4_valuechanged:", &zm_main::_slider4_valuechanged),
        MethodTable::sub("_slider5_valuechanged:", &zm_main::_slider5_valuechanged),
        MethodTable::sub("_slider6_valuechanged:", &zm_main::_slider6_valuechanged),
        MethodTable::sub("_writelog", &zm_main::_writelog),
        MethodTable::sub("_clearlog", &zm_main::_clearlog),
        MethodTable::sub("_readlog", &zm_main::_readlog),
        MethodTable::sub("_btnwlog_click", &zm_main::_btnwlog_click),
        MethodTable::sub("_btnclog_click", &zm_main::_btnclog_click),
        MethodTable::sub("_setconfirm_click:", &zm_main::_setconfirm_click),
        MethodTable::sub("_setfiles", &zm_main::_setfiles),
        MethodTable::sub("_btnemail_click", &zm_main::_btnemail_click),
        MethodTable::sub("_btnreview_click", &zm_main::_btnreview_click),
        MethodTable::sub("_mailc_complete:", &zm_main::_mailc_complete),
        MethodTable::sub("_page1_resize::", &zm_main::_page1_resize),
        MethodTable::sub("_btnset_click", &zm_main::_btnset_click),
        MethodTable::sub("_btnlog_click", &zm_main::_btnlog_click),
        MethodTable::sub("_btninfo_click", &zm_main::_btninfo_click),
        MethodTable::sub("_btnbk_click", &zm_main::_btnbk_click),
        MethodTable::operation("deviceName", &zm_main::deviceName),
        ZM_GLOBAL(_dateutils),
        ZM_GLOBAL(_navcontrol),
        ZM_GLOBAL(_page1),
        ZM_GLOBAL(_app),
        ZM_GLOBAL(_tmr1),
        ZM_GLOBAL(_tr1),
        ZM_GLOBAL(_dtimer),
        ZM_GLOBAL(_talk),
        ZM_GLOBAL(_speed),
        ZM_GLOBAL(_pitch),
        ZM_GLOBAL(_words),
        ZM_GLOBAL(_ic),
        ZM_GLOBAL(_tg),
        ZM_GLOBAL(_onoff),
        ZM_GLOBAL(_imageview47),
        ZM_GLOBAL(_imageview46),
        ZM_GLOBAL(_imageview45),
        ZM_GLOBAL(_imageview44),
        ZM_GLOBAL(_imageview43),
        ZM_GLOBAL(_imageview42),
        ZM_GLOBAL(_imageview41),
        ZM_GLOBAL(_imageview40),
        ZM_GLOBAL(_imageview37),
        ZM_GLOBAL(_imageview36),
        ZM_GLOBAL(_imageview35),
        ZM_GLOBAL(_imageview34),
        ZM_GLOBAL(_imageview33),
        ZM_GLOBAL(_imageview32),
        ZM_GLOBAL(_imageview31),
        ZM_GLOBAL(_imageview30),
        ZM_GLOBAL(_imageview27),
        ZM_GLOBAL(_imageview26),
        ZM_GLOBAL(_imageview25),
        ZM_GLOBAL(_imageview24),
        ZM_GLOBAL(_imageview23),
        ZM_GLOBAL(_imageview22),
        ZM_GLOBAL(_imageview21),
        ZM_GLOBAL(_imageview20),
        ZM_GLOBAL(_imageview19),
        ZM_GLOBAL(_imageview1),
        ZM_GLOBAL(_imageview9),
        ZM_GLOBAL(_imageview8),
        ZM_GLOBAL(_imageview7),
        ZM_GLOBAL(_imageview6),
        ZM_GLOBAL(_imageview5),
        ZM_GLOBAL(_imageview4),
        ZM_GLOBAL(_imageview3),
        ZM_GLOBAL(_imageview2),
        ZM_GLOBAL(_label1),
        ZM_GLOBAL(_label3),
        ZM_GLOBAL(_textview1),
        ZM_GLOBAL(_pnlmain),
        ZM_GLOBAL(_pnlset),
        ZM_GLOBAL(_pnllog),
        ZM_GLOBAL(_btnset),
        ZM_GLOBAL(_btnbk),
        ZM_GLOBAL(_move),
        ZM_GLOBAL(_textview2),
        ZM_GLOBAL(_cfig),
        ZM_GLOBAL(_sens),
        ZM_GLOBAL(_slider1),
        ZM_GLOBAL(_cnt),
        ZM_GLOBAL(_fifo),
        ZM_GLOBAL(_lw),
        ZM_GLOBAL(_wd),
        ZM_GLOBAL(_pf),
        ZM_GLOBAL(_f),
        ZM_GLOBAL(_fc),
        ZM_GLOBAL(_rn),
        ZM_GLOBAL(_x1),
        ZM_GLOBAL(_lws),
        ZM_GLOBAL(_slider2),
        ZM_GLOBAL(_slider3),
        ZM_GLOBAL(_slider4),
        ZM_GLOBAL(_slider5),
        ZM_GLOBAL(_slider6),
        ZM_GLOBAL(_lblslider1),
        ZM_GLOBAL(_lblslider2),
        ZM_GLOBAL(_lblslider3),
        ZM_GLOBAL(_lblslider4),
        ZM_GLOBAL(_lblslider5),
        ZM_GLOBAL(_lblslider6),
        ZM_GLOBAL(_dt),
        ZM_GLOBAL(_btnclog),
        ZM_GLOBAL(_btnemail),
        ZM_GLOBAL(_btnreview),
        ZM_GLOBAL(_hd),
        ZM_GLOBAL(_mailc),
        ZM_GLOBAL(_pnlinfo),
        ZM_GLOBAL(_btnlog),
        ZM_GLOBAL(_dn),
        ZM_GLOBAL(_lblnotice),
        ZM_GLOBAL(_lblsource),
    };
    return &table;
}

#undef ZM_GLOBAL

void zm_main::initializeStaticModules() {
    initializeModule();
    StaticModules::New<zm_dateutils>()->initializeModule();
}

namespace {

std::shared_ptr<RtArray> objectArray(int32_t size, const Value& initial) {
    auto array = std::make_shared<RtArray>();
    array->initObjects({size}, initial, u"");
    return array;
}

}  // namespace

String zm_main::_process_globals() {
    _dateutils = StaticModules::New<zm_dateutils>();
    _navcontrol = std::make_shared<RtNavigationControllerWrapper>();
    _page1 = std::make_shared<RtPage>();
    _app = nullptr;
    _tmr1 = std::make_shared<RtTimer>();
    _tr1 = std::make_shared<RtTimer>();
    _dtimer = std::make_shared<RtTimer>();
    _talk = makeService(u"RtTTS");
    _speed = 0;
    _pitch = 0;
    _words = objectArray(kWordSlots, Value(String()));
    _ic = 0;
    _tg = 0;
    _onoff = 0;
    for (const int32_t number :
         {47, 46, 45, 44, 43, 42, 41, 40, 37, 36, 35, 34, 33, 32, 31, 30, 27,
          26, 25, 24, 23, 22, 21, 20, 19, 1,  9,  8,  7,  6,  5,  4,  3,  2}) {
        this->*imageViewField(number) = std::make_shared<RtImageViewWrapper>();
    }
    _label1 = std::make_shared<RtLabelWrapper>();
    _label3 = std::make_shared<RtLabelWrapper>();
    _textview1 = std::make_shared<RtTextViewWrapper>();
    _pnlmain = std::make_shared<RtPanelWrapper>();
    _pnlset = std::make_shared<RtPanelWrapper>();
    _pnllog = std::make_shared<RtPanelWrapper>();
    _btnset = std::make_shared<RtButtonWrapper>();
    _btnbk = std::make_shared<RtButtonWrapper>();
    _move = makeService(u"RtMotion");
    _textview2 = std::make_shared<RtTextViewWrapper>();
    _cfig = objectArray(8, Value::ofInt(0));
    _sens = 1;
    _slider1 = std::make_shared<RtSliderWrapper>();
    _cnt = 0;
    _fifo = 100;
    _lw = 0;
    _wd = 10;
    _pf = 0;
    _f = 0;
    _fc = 0;
    _rn = 0;
    _x1 = 0;
    _lws = objectArray(kMemorySlots, Value::ofInt(0));
    _slider2 = std::make_shared<RtSliderWrapper>();
    _slider3 = std::make_shared<RtSliderWrapper>();
    _slider4 = std::make_shared<RtSliderWrapper>();
    _slider5 = std::make_shared<RtSliderWrapper>();
    _slider6 = std::make_shared<RtSliderWrapper>();
    for (auto* caption :
         {&_lblslider1, &_lblslider2, &_lblslider3, &_lblslider4, &_lblslider5, &_lblslider6})
        *caption = std::make_shared<RtLabelWrapper>();
    _dt = 0;
    _btnclog = std::make_shared<RtButtonWrapper>();
    _btnemail = std::make_shared<RtButtonWrapper>();
    _btnreview = std::make_shared<RtButtonWrapper>();
    _hd = std::make_shared<RtHud>();
    _mailc = makeService(u"RtMailComposer");
    _pnlinfo = std::make_shared<RtPanelWrapper>();
    _btnlog = std::make_shared<RtButtonWrapper>();
    _dn = 0;
    _lblnotice = std::make_shared<RtLabelWrapper>();
    _lblsource = std::make_shared<RtLabelWrapper>();
    sourceLine_.clear();
    notices_.clear();
    return String();
}

zm_main::ImageViewField zm_main::imageViewField(int32_t number) {
    static const auto fields = [] {
        std::array<ImageViewField, 48> table{};
        table[1] = &zm_main::_imageview1;
        table[2] = &zm_main::_imageview2;
        table[3] = &zm_main::_imageview3;
        table[4] = &zm_main::_imageview4;
        table[5] = &zm_main::_imageview5;
        table[6] = &zm_main::_imageview6;
        table[7] = &zm_main::_imageview7;
        table[8] = &zm_main::_imageview8;
        table[9] = &zm_main::_imageview9;
        table[19] = &zm_main::_imageview19;
        table[20] = &zm_main::_imageview20;
        table[21] = &zm_main::_imageview21;
        table[22] = &zm_main::_imageview22;
        table[23] = &zm_main::_imageview23;
        table[24] = &zm_main::_imageview24;
        table[25] = &zm_main::_imageview25;
        table[26] = &zm_main::_imageview26;
        table[27] = &zm_main::_imageview27;
        table[30] = &zm_main::_imageview30;
        table[31] = &zm_main::_imageview31;
        table[32] = &zm_main::_imageview32;
        table[33] = &zm_main::_imageview33;
        table[34] = &zm_main::_imageview34;
        table[35] = &zm_main::_imageview35;
        table[36] = &zm_main::_imageview36;
        table[37] = &zm_main::_imageview37;
        table[40] = &zm_main::_imageview40;
        table[41] = &zm_main::_imageview41;
        table[42] = &zm_main::_imageview42;
        table[43] = &zm_main::_imageview43;
        table[44] = &zm_main::_imageview44;
        table[45] = &zm_main::_imageview45;
        table[46] = &zm_main::_imageview46;
        table[47] = &zm_main::_imageview47;
        return table;
    }();
    return number >= 0 && number < static_cast<int32_t>(fields.size()) ? fields[number] : nullptr;
}

ObjectRef zm_main::makeService(StringView className) {
    return ClassRegistry::instance().create(className);
}

Value zm_main::callService(const ObjectRef& service, StringView operation,
                           std::initializer_list<Value> arguments) {
    if (!service) return Value();
    return RtCore::runDynamicMethod(Value(service), operation, true,
                                    std::span<const Value>(arguments.begin(), arguments.size()));
}

String zm_main::word(int32_t index) const {
    const Value slot = _words->getObjectFast(index);
    if (const String* text = slot.string()) return *text;
    return bi->ObjectToString(slot);
}

int32_t zm_main::memorySlot(int32_t slot) const {
    const Value value = _lws->getObjectFast(slot);
    return value.number() ? value.number()->toInt() : 0;
}

void zm_main::setMemorySlot(int32_t slot, int32_t value) {
    _lws->setObjectFast(slot, Value::ofInt(value));
}

std::string zm_main::documentPath(StringView name) const {
    return toUtf8(_c->service<RtFile>()->DirDocuments() + String(name));
}

namespace {

// Why a write failed, in words, and what the person can do about it (empty when nothing but
// trying again helps).
std::pair<String, String> causeOf(const std::error_code& code, StringView name) {
    switch (code.value()) {
        case ENOSPC:
        case EDQUOT:
            return {u"the disk is full", u"Free some space on it."};
        case EROFS:
        case EACCES:
        case EPERM:
            return {u"the folder is read-only", u"Make it writable."};
        case EISDIR:
            return {String(name) + u" is not a file", u"Move it aside."};
        case ENOENT:
        case ENOTDIR:
            return {u"the documents folder is missing", u"Restart the program."};
        case EFBIG:
            return {String(name) + u" is too large", u"Move it aside."};
        case EIO:
            return {u"the disk reported an error", String()};
        default:
            return {fromUtf8(code.message()), String()};
    }
}

}  // namespace

void zm_main::reportWrite(NoticeKind kind, StringView name, StringView what,
                          const DocumentWriter::Outcome& outcome, bool expected) {
    if (outcome) {
        if (outcome->created && !expected) {
            showNotice(kind, String(name) + u" was missing: a new one was started");
            return;
        }
        clearNotice(kind);
        return;
    }
    auto [cause, action] = causeOf(outcome.failure().code, name);
    if (action.empty()) {
        action = kind == NoticeKind::wordLog    ? u"The next word tries again."
                 : kind == NoticeKind::settings ? u"The next change tries again."
                 : kind == NoticeKind::journal  ? u"The next sample tries again."
                                                : u"The next save tries again.";
    }
    showNotice(kind, String(what) + u": " + cause + u". " + action);
}

DocumentWriter::Report zm_main::writeReport(NoticeKind kind, StringView name, StringView what,
                                            std::function<void(bool written)> then, bool expected) {
    return [self = weak_from_this(), kind, name = String(name), what = String(what),
            then = std::move(then), expected](const DocumentWriter::Outcome& outcome) {
        const auto module = std::static_pointer_cast<zm_main>(self.lock());
        if (!module) return;
        module->reportWrite(kind, name, what, outcome, expected);
        if (then) then(outcome.ok());
    };
}

void zm_main::appendToDocument(NoticeKind kind, StringView name, StringView text, StringView what,
                               StringView header) {
    DocumentWriter::current()->append(documentPath(name), toUtf8(text),
                                      writeReport(kind, name, what, {}, header.empty()),
                                      toUtf8(header));
}

void zm_main::replaceDocument(NoticeKind kind, StringView name, const std::vector<String>& lines,
                              StringView what, std::function<void(bool written)> then) {
    String text;
    for (const String& line : lines) text += line + u"\n";
    DocumentWriter::current()->replace(documentPath(name), toUtf8(text),
                                       writeReport(kind, name, what, std::move(then)));
}

void zm_main::waitForWrites() {
    if (!DocumentWriter::current()->drain()) {
        showNotice(NoticeKind::files,
                   u"Files not written yet: the disk did not answer within " +
                       fromUtf8(std::to_string(DocumentWriter::kEndWait.count() / 1000)) + u" s");
    }
}

void zm_main::showToast(StringView text) {
    _hd->ToastMessageShow(String(text), true);
}

void zm_main::orderlyEnd() {
    orderlyEnd("quit");
}

void zm_main::orderlyEnd(std::string_view ending) {
    endJournal(ending);
    // The reports of earlier writes first, so that the end's own come last.
    waitForWrites();
    if (_lws) _writefifo();
    waitForWrites();
}

}  // namespace zemtra::app
