// Reading the text files the generator keeps or ships ("sp.txt", "fifo.txt", "wordlist.txt")
// when they did not come from this program: numbers as a person may type them, and where a file
// stops being UTF-8 text, so the log can say what to mend.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/Result.h"
#include "runtime/core/Text.h"

namespace zemtra {
class RtFile;
class RtList;
}  // namespace zemtra

namespace zemtra::app {

// A line of "sp.txt" or "fifo.txt" as a whole number (truncated toward zero, cut to 32 bits as
// the object-to-number conversion's Int is): whatever that conversion reads, and also a zero
// after a sign or blanks ("-0", "+0", " 0"), which the conversion refuses although it reads
// "-1", "+1" and " 1". Nothing for a line that is not a number.
std::optional<int32_t> storedNumber(StringView text);

// The file's lines (RtFile::ReadList), or why it cannot be read, as a log line goes on after the
// file's name: "is not UTF-8 text (line 3, byte 0xFF at offset 17)" (lines counted from 1 at line
// feeds, offsets from 0 in the file; the failure's code then std::errc::illegal_byte_sequence) or
// "cannot be read (Error reading file: ...)".
platform::Result<std::shared_ptr<RtList>> readStoredLines(const RtFile& files, const String& dir,
                                                          const String& name);

// A word list's words, one a line, as readStoredLines reads and reports it: a byte order mark at
// its start is not part of the first word, blanks around a word are not part of it, and lines
// that are blank hold no word (they do not count as a place in the list). CR LF ends a line as LF
// does.
platform::Result<std::vector<String>> readWordList(const RtFile& files, const String& dir,
                                                   const String& name);

}  // namespace zemtra::app
