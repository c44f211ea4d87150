// The word log "WordLog.txt" (documents): its title line, showing it, and clearing it after a
// confirmation. The records themselves are appended by the selection engine.
#include "app/zm_main.h"

#include "runtime/core/RtCommon.h"
#include "runtime/lib/RtFile.h"
#include "ui/RtDialogs.h"

namespace zemtra::app {

namespace {

// 41 characters; the trailing spaces belong to it.
constexpr StringView kTitleLine = u"PWR ,     DATE       ,   TIME    , WORD  ";

}  // namespace

void zm_main::_writelog() {
    appendToDocument(u"WordLog.txt", String(kTitleLine) + u"\n");
}

void zm_main::_clearlog() {
    const auto files = _c->service<RtFile>();
    files->Delete(files->DirDocuments(), u"WordLog.txt");
    _writelog();
}

void zm_main::_readlog() {
    const auto files = _c->service<RtFile>();
    _textview2->setText(files->ReadString(files->DirDocuments(), u"WordLog.txt"));
}

void zm_main::_btnwlog_click() {
    const auto files = _c->service<RtFile>();
    _textview1->setText(files->ReadString(files->DirDocuments(), u"WordLog.txt"));
}

void zm_main::_btnclog_click() {
    const Value buttons[] = {Value(u"Yes"), Value(u"No")};
    _c->service<RtDialogs>()->Msgbox2(bi, u"setconfirm", u"Is this what you want to do?",
                                      u"Delete the log File", buttons);
}

void zm_main::_setconfirm_click(const String& title) {
    if (title == u"Yes") {
        _clearlog();
        _readlog();
        showToast(u"Logs Deleted");
        return;
    }
    showToast(u"Nothing Done");
}

}  // namespace zemtra::app
