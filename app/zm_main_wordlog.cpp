// The word log "WordLog.txt" (documents): its title line, the records the selection engine
// appends, showing it, clearing it after a confirmation, and keeping it whole: a torn last line
// found at start-up is mended, and a log deleted while the program runs is started again.
#include "app/zm_main.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <optional>
#include <string>

#include "app/StoredText.h"
#include "runtime/core/Conversions.h"
#include "runtime/core/RtCommon.h"
#include "runtime/core/RtCore.h"
#include "runtime/core/RtException.h"
#include "runtime/lib/PosixFile.h"
#include "runtime/lib/RtFile.h"
#include "ui/RtDialogs.h"

namespace zemtra::app {

namespace {

constexpr StringView kLogName = u"WordLog.txt";
// 41 characters; the trailing spaces belong to it.
constexpr StringView kTitleLine = u"PWR ,     DATE       ,   TIME    , WORD  ";
constexpr StringView kNotWritten = u"Word log not written";

String titleText() {
    return String(kTitleLine) + u"\n";
}

// Whether `text` is a record line without its line end: "dddd ,MM/dd/yyyy , HH:mm:ss , " and a
// word. A line cut inside its word looks the same, so the word must be the one the word list
// holds for the record's value; `wordOf` answers it (nullopt when there is none).
template <class WordOf>
bool isWholeRecord(std::string_view text, WordOf wordOf) {
    constexpr std::string_view kShape = "9999 ,99/99/9999 , 99:99:99 , ";
    if (text.size() < kShape.size()) return false;
    for (size_t index = 0; index < kShape.size(); ++index) {
        const bool digit = std::isdigit(static_cast<unsigned char>(text[index])) != 0;
        if (kShape[index] == '9' ? !digit : text[index] != kShape[index]) return false;
    }
    const int value = std::stoi(std::string(text.substr(0, 4)));
    const std::optional<std::string> word = wordOf(value);
    return word && *word == text.substr(kShape.size());
}

// The bytes of the file from `offset` to its end.
std::string readFrom(const FileDescriptor& file, off_t offset, off_t end) {
    std::string bytes(static_cast<size_t>(end - offset), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t count = ::pread(file.get(), bytes.data() + done, bytes.size() - done,
                                      offset + static_cast<off_t>(done));
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) break;
        done += static_cast<size_t>(count);
    }
    bytes.resize(done);
    return bytes;
}

// Where the last line starts: just after the last line feed, or 0.
off_t lastLineStart(const FileDescriptor& file, off_t end) {
    constexpr off_t kChunk = 4096;
    for (off_t chunkEnd = end; chunkEnd > 0;) {
        const off_t chunkStart = chunkEnd > kChunk ? chunkEnd - kChunk : 0;
        const std::string chunk = readFrom(file, chunkStart, chunkEnd);
        if (const size_t feed = chunk.rfind('\n'); feed != std::string::npos)
            return chunkStart + static_cast<off_t>(feed) + 1;
        chunkEnd = chunkStart;
    }
    return 0;
}

}  // namespace

void zm_main::_writelog() {
    appendToDocument(NoticeKind::wordLog, kLogName, titleText(), kNotWritten);
}

void zm_main::appendWordLogRecord(const String& record) {
    appendToDocument(NoticeKind::wordLog, kLogName, record, kNotWritten, titleText());
}

void zm_main::_clearlog() {
    // Replaced as a whole: a clear that cannot be written leaves the old log as it was.
    logCleared_ = false;
    replaceDocument(NoticeKind::wordLog, kLogName, {String(kTitleLine)}, u"Word log not cleared",
                    [this](bool written) { logCleared_ = written; });
}

void zm_main::prepareWordLog() {
    const auto files = _c->service<RtFile>();
    if (!files->Exists(files->DirDocuments(), String(kLogName))) {
        _writelog();
        return;
    }
    repairWordLog();
}

// A record is one write since this program keeps its log through the writer, but a log from an
// older version, a full disk or a power cut can still end inside a line. Earlier records are never
// touched: only the bytes after the last line feed.
void zm_main::repairWordLog() {
    const std::string path = documentPath(kLogName);
    const FileDescriptor file = FileDescriptor::open(path, O_RDWR | O_APPEND);
    struct stat info {};
    if (!file.isOpen() || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return;
    if (info.st_size == 0) {
        bi->Log(u"WordLog.txt was empty: its title line was written");
        _writelog();
        return;
    }
    const off_t end = info.st_size;
    if (readFrom(file, end - 1, end) == "\n") return;
    const off_t start = lastLineStart(file, end);
    const std::string fragment = readFrom(file, start, end);

    const auto wordOf = [this](int value) -> std::optional<std::string> {
        if (value >= kReachableWords) return std::nullopt;
        // A word that cannot be checked does not make a record whole; nor does a candidate past
        // the list's end, which is never spoken.
        const auto [dir, name] = wordListLocation();
        const auto words = readWordList(*_c->service<RtFile>(), dir, name);
        if (!words || value < 0 || static_cast<size_t>(value) >= words->size()) return std::nullopt;
        return toUtf8((*words)[static_cast<size_t>(value)]);
    };
    if (isWholeRecord(fragment, wordOf)) {
        if (file.writeAll(std::span(reinterpret_cast<const uint8_t*>("\n"), 1)) == 0) {
            bi->Log(u"WordLog.txt: the last record had no line end; it was completed");
            return;
        }
    }

    // Kept beside the log, each fragment on a line of its own, so nothing read from it is lost.
    int error = 0;
    const FileDescriptor torn =
        FileDescriptor::open(path + ".torn", O_WRONLY | O_APPEND | O_CREAT, 0666, &error);
    const std::string kept = fragment + "\n";
    if (torn.isOpen())
        error =
            torn.writeAll(std::span(reinterpret_cast<const uint8_t*>(kept.data()), kept.size()));
    if (error == 0 && ::ftruncate(file.get(), start) != 0) error = errno;
    if (error != 0) {
        // The fragment stays; ended with a line feed, it cannot take the next record with it.
        const int ended = file.writeAll(std::span(reinterpret_cast<const uint8_t*>("\n"), 1));
        bi->Log(u"WordLog.txt: an incomplete last line could not be moved to WordLog.txt.torn (" +
                fromUtf8(std::generic_category().message(error)) + u")" +
                (ended == 0 ? u"; it was ended with a line feed" : u""));
        return;
    }
    bi->Log(u"WordLog.txt: an incomplete last line was moved to WordLog.txt.torn");
    if (start == 0) _writelog();  // the fragment was the title line itself
}

void zm_main::ensureWordLog() {
    waitForWrites();
    const auto files = _c->service<RtFile>();
    if (files->Exists(files->DirDocuments(), String(kLogName))) return;
    // Nothing to add but the title, which a missing file starts with.
    appendToDocument(NoticeKind::wordLog, kLogName, String(), kNotWritten, titleText());
    waitForWrites();
}

String zm_main::readWordLog() {
    ensureWordLog();
    const auto files = _c->service<RtFile>();
    try {
        return files->ReadString(files->DirDocuments(), String(kLogName));
    } catch (const RtException& error) {
        showNotice(NoticeKind::wordLog, u"Word log not shown: " + error.reason());
        return String();
    }
}

void zm_main::_readlog() {
    _textview2->setText(readWordLog());
}

void zm_main::_btnwlog_click() {
    _textview1->setText(readWordLog());
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
        // The notice line says why a clear that could not be written left the log as it was.
        showToast(logCleared_ ? u"Logs Deleted" : u"Nothing Done");
        return;
    }
    showToast(u"Nothing Done");
}

}  // namespace zemtra::app
