// The word list ("wordlist.txt" in the assets, or the file --words names) and the recent-word
// memory kept between runs in "fifo.txt" (documents): loading both at start-up, clearing the
// memory and saving it.
#include "app/zm_main.h"

#include <filesystem>

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

// "2,049": counts of words as a person reads them.
String grouped(int64_t value) {
    const std::string digits = std::to_string(value);
    std::string text;
    for (size_t at = 0; at < digits.size(); ++at) {
        if (at > 0 && (digits.size() - at) % 3 == 0) text += ',';
        text += digits[at];
    }
    return fromUtf8(text);
}

}  // namespace

std::pair<String, String> zm_main::wordListLocation() const {
    if (wordListFile_.empty()) return {_c->service<RtFile>()->DirAssets(), u"wordlist.txt"};
    const std::filesystem::path path(wordListFile_);
    return {fromUtf8(path.parent_path().string()), fromUtf8(path.filename().string())};
}

std::string zm_main::wordListPath() const {
    const auto [dir, name] = wordListLocation();
    return toUtf8(_c->service<RtFile>()->Combine(dir, name));
}

void zm_main::_addto() {
    _x1 = 0;
    const auto files = _c->service<RtFile>();
    const auto [dir, name] = wordListLocation();
    const auto read = readWordList(*files, dir, name);
    if (!read) {
        // Without its words the generator has nothing to say: start-up ends here, saying which
        // file to mend and where.
        const bool encoding = read.failure().code == std::errc::illegal_byte_sequence;
        raise(u"", u"the word list %@ %@%@",
              {files->Combine(dir, name), fromUtf8(read.error()),
               encoding ? u"; save it as UTF-8" : u""});
    }
    const std::vector<String>& words = read.value();
    if (words.empty())
        raise(u"", u"the word list %@ holds no words; give one word per line",
              {files->Combine(dir, name)});
    const auto count = static_cast<int32_t>(words.size());
    // A longer list would run past the word slots: the lines after the last slot are left out.
    const int32_t used = std::min(count, kWordSlots);
    for (int32_t line = 0; line < used; ++line) {
        _words->setObjectFast(_x1, Value(words[static_cast<size_t>(line)]));
        ++_x1;
    }
    // Slots past a shorter list hold no word, whatever an earlier reading left there.
    for (int32_t slot = used; slot < kWordSlots; ++slot)
        _words->setObjectFast(slot, Value(String()));
    wordCount_ = used;
    const String shown =
        wordListFile_.empty() ? String(u"wordlist.txt") : files->Combine(dir, name);
    if (count > used) {
        bi->Log(shown + u" has " + grouped(count) + u" words; the words after word " +
                grouped(kWordSlots) + u" are ignored");
    }
    if (used < kReachableWords) {
        bi->Log(u"The word list has " + grouped(used) + (used == 1 ? u" word" : u" words") +
                u"; a full list needs " + grouped(kReachableWords) + u" to " + grouped(kWordSlots) +
                u": candidates past word " + grouped(used) + u" are passed over");
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
