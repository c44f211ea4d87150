// The binary layout format (".lyt"), read and written. All numbers are little-endian; a string is
// an unsigned 32-bit byte count and that many bytes of UTF-8.
//
//   int32 header word (not used) | int32 N, then N bytes skipped | int32 S, then S strings (the
//   string table) | int32 V, then V variants (float32 scale, int32 width, int32 height) | the
//   root property map
//
// A property map is a run of entries: int32 key (string table index), a signed type byte and a
// value: 1 int32, 2 inline string, 3 nested map, 4 end of the map (no value; its key is not
// used), 5 one byte (true only when it is 1), 6 colour bytes A, R, G, B, 7 float32, 9 int32
// string table index, 10 float64. Any other type raises "Unknown type: %d".
//
// The reader never reads past the bytes it was given: a truncated or corrupt file raises a
// LayoutError naming the file and the byte offset where reading failed.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "runtime/core/RtException.h"

namespace zemtra::layout {

enum class Type : int8_t {
    Int = 1,
    InlineString = 2,
    Map = 3,
    End = 4,
    Boolean = 5,
    Color = 6,
    Float = 7,
    TableString = 9,
    Double = 10,
};

// An error in a layout file. The reason is what module code sees; file() and offset() say where
// (what() carries both as well).
class LayoutError : public RtException {
  public:
    LayoutError(String file, uint64_t offset, String reason);
    const String& file() const { return file_; }
    uint64_t offset() const { return offset_; }
    const char* what() const noexcept override { return located_.c_str(); }

  private:
    String file_;
    uint64_t offset_;
    std::string located_;
};

class PropertyMap;

struct Property {
    Type type = Type::Int;
    std::variant<int32_t, String, std::shared_ptr<PropertyMap>, bool, uint32_t, float, double>
        value;
    // Byte offset of the entry (its key) in the file.
    uint64_t offset = 0;

    bool isNumber() const {
        return type == Type::Int || type == Type::Float || type == Type::Double;
    }
    bool isString() const { return type == Type::InlineString || type == Type::TableString; }
};

// Entries in file order. Lookups find the last entry with a key, as a later entry replaces an
// earlier one. The typed readers answer nothing for a missing key and raise a LayoutError (naming
// the file, the key and the offset) for a value of the wrong kind.
class PropertyMap {
  public:
    struct Entry {
        String key;
        Property property;
    };

    PropertyMap(std::shared_ptr<const String> file, uint64_t offset)
        : file_(std::move(file)), offset_(offset) {}

    const std::vector<Entry>& entries() const { return entries_; }
    void add(String key, Property property) {
        entries_.push_back({std::move(key), std::move(property)});
    }
    const Property* find(StringView key) const;
    bool contains(StringView key) const { return find(key) != nullptr; }

    // Int, Float and Double all read as numbers.
    std::optional<double> number(StringView key) const;
    std::optional<int32_t> integer(StringView key) const;
    std::optional<String> string(StringView key) const;
    // Booleans, and numbers (non-zero is true).
    std::optional<bool> boolean(StringView key) const;
    // Colours, and Ints holding a packed colour.
    std::optional<uint32_t> color(StringView key) const;
    const PropertyMap* map(StringView key) const;

    const String& file() const { return *file_; }
    const std::shared_ptr<const String>& fileName() const { return file_; }
    uint64_t offset() const { return offset_; }
    [[noreturn]] void fail(const Property& property, StringView key, StringView expected) const;

  private:
    std::shared_ptr<const String> file_;
    uint64_t offset_;
    std::vector<Entry> entries_;
};

struct Variant {
    float scale = 1;
    int32_t width = 0;
    int32_t height = 0;
};

struct LayoutFile {
    int32_t header = 0;
    std::vector<uint8_t> skippedBlock;
    std::vector<String> strings;
    std::vector<Variant> variants;
    std::shared_ptr<PropertyMap> root;
};

// Maps nest at most this deep (the root is depth 1).
inline constexpr int kMaximumDepth = 64;

// Reads a whole layout file; `file` names it in errors.
LayoutFile parse(std::span<const uint8_t> bytes, StringView file);

// Writes a layout. The string table is rebuilt from the data (first use first), so the file's
// `strings` need not be filled in; table strings (type 9) and keys go into it, inline strings do
// not. End markers use key 0.
std::vector<uint8_t> write(const LayoutFile& layout);

}  // namespace zemtra::layout
