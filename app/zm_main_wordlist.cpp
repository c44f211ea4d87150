// The word list ("wordlist.txt" in the assets) and the recent-word memory kept between runs in
// "fifo.txt" (documents): loading both at start-up, clearing the memory and saving it.
#include "app/zm_main.h"

#include "app/StoredText.h"

#include "runtime/core/RtCore.h"
#include "runtime/core/RtException.h"
#include "runtime/lib/RtFile.h"
#include "runtime/lib/RtList.h"

namespace zemtra::app {

namespace {

String decimal(int64_t value) {
    return fromUtf8(std::to_string(value));
}

}  // namespace

void zm_main::_addto() {
    _x1 = 0;
    const auto files = _c->service<RtFile>();
    const auto read = readStoredLines(*files, files->DirAssets(), u"wordlist.txt");
    if (!read) {
        // Without its words the generator has nothing to say: start-up ends here, saying which
        // file to mend and where.
        const bool encoding = read.failure().code == std::errc::illegal_byte_sequence;
        raise(u"", u"the word list %@ %@%@",
              {files->Combine(files->DirAssets(), u"wordlist.txt"), fromUtf8(read.error()),
               encoding ? u"; save it as UTF-8" : u""});
    }
    const std::shared_ptr<RtList>& lines = read.value();
    const int32_t count = lines->Size();
    // A longer list would run past the word slots: the lines after the last slot are left out.
    const int32_t used = std::min(count, kWordSlots);
    for (int32_t line = 0; line < used; ++line) {
        _words->setObjectFast(_x1, Value(bi->ObjectToString(lines->Get(line))));
        ++_x1;
    }
    if (count > used) {
        bi->Log(u"wordlist.txt has " + decimal(count) + u" lines; the lines after line " +
                decimal(kWordSlots) + u" are ignored");
    }
    _loadbuf();
}

void zm_main::_loadbuf() {
    const auto files = _c->service<RtFile>();
    if (!files->Exists(files->DirDocuments(), u"fifo.txt")) {
        bi->Log(u"Create fifo");
        _loadfifo();
        return;
    }
    bi->Log(u"read fifo");
    // A file this program cannot use is not one it wrote: the log says why, nothing of it is
    // used, and the memory starts cleared.
    const String cleared = u"; the memory starts cleared";
    const auto read = readStoredLines(*files, files->DirDocuments(), u"fifo.txt");
    if (!read) {
        bi->Log(u"fifo.txt " + fromUtf8(read.error()) + cleared);
        _loadfifo();
        return;
    }
    const std::shared_ptr<RtList>& lines = read.value();
    // Lines past the memory's last slot are left out.
    const int32_t used = std::min(lines->Size(), kMemorySlots);
    std::vector<int32_t> values;
    values.reserve(static_cast<size_t>(used));
    for (int32_t line = 0; line < used; ++line) {
        const String text = bi->ObjectToString(lines->Get(line));
        const auto number = storedNumber(text);
        if (!number) {
            bi->Log(u"fifo.txt line " + decimal(line + 1) + u" is not a number (" + text + u")" +
                    cleared);
            _loadfifo();
            return;
        }
        values.push_back(*number);
    }
    for (int32_t slot = 0; slot < used; ++slot) {
        setMemorySlot(slot, values[static_cast<size_t>(slot)]);
        bi->Log(decimal(slot) + u" " + decimal(memorySlot(slot)));
    }
}

void zm_main::_loadfifo() {
    for (int32_t slot = 0; slot <= 1050; ++slot) setMemorySlot(slot, 0);
    _textview1->setText(u"Zemtra\n \nReady");
}

void zm_main::_writefifo() {
    bi->Log(u"Save fifo");
    std::vector<int32_t> memory(kSavedMemorySlots);
    for (int32_t slot = 0; slot < kSavedMemorySlots; ++slot)
        memory[static_cast<size_t>(slot)] = memorySlot(slot);
    // A memory that has not changed since this run saved it is on disk already: each replacing
    // save waits for the disk, and rejections of a word still held come often.
    const auto files = _c->service<RtFile>();
    if (memory == savedMemory_ && files->Exists(files->DirDocuments(), u"fifo.txt")) {
        bi->Log(u"Save done");
        return;
    }
    std::vector<String> lines;
    lines.reserve(kSavedMemorySlots);
    for (const int32_t value : memory) lines.push_back(decimal(value));
    savedMemory_ = std::move(memory);
    replaceDocument(NoticeKind::memory, u"fifo.txt", lines, u"Recent-word memory not saved",
                    [this](bool written) {
                        if (written) {
                            bi->Log(u"Save done");
                            return;
                        }
                        savedMemory_.clear();  // the next save writes it again
                    });
}

}  // namespace zemtra::app
