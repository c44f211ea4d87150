// The layout file reader (bounds-checked, depth-limited) and writer.
#include "ui/layout/LayoutFile.h"

#include <bit>
#include <cstring>
#include <unordered_map>

namespace zemtra::layout {

namespace {

std::string locate(const String& file, uint64_t offset, const String& reason) {
    return toUtf8(reason) + " (" + toUtf8(file) + ", byte " + std::to_string(offset) + ")";
}

class Reader {
  public:
    Reader(std::span<const uint8_t> bytes, std::shared_ptr<const String> file)
        : bytes_(bytes), file_(std::move(file)) {}

    uint64_t offset() const { return position_; }
    size_t remaining() const { return bytes_.size() - position_; }

    [[noreturn]] void fail(uint64_t at, StringView reason) const {
        throw LayoutError(*file_, at, String(reason));
    }

    // Fails when fewer than `count` bytes are left.
    void need(size_t count, StringView what) const {
        if (remaining() < count) {
            fail(position_, formatText(u"Layout file ends too early: %@ needs %d bytes, %d left",
                                       {what, decimal(static_cast<long long>(count)),
                                        decimal(static_cast<long long>(remaining()))}));
        }
    }

    uint8_t byte(StringView what) {
        need(1, what);
        return bytes_[position_++];
    }
    int32_t int32(StringView what) {
        need(4, what);
        uint32_t value = 0;
        for (int i = 3; i >= 0; --i)
            value = value << 8 | bytes_[position_ + static_cast<size_t>(i)];
        position_ += 4;
        return static_cast<int32_t>(value);
    }
    float float32(StringView what) { return std::bit_cast<float>(int32(what)); }
    double float64(StringView what) {
        need(8, what);
        uint64_t value = 0;
        for (int i = 7; i >= 0; --i)
            value = value << 8 | bytes_[position_ + static_cast<size_t>(i)];
        position_ += 8;
        return std::bit_cast<double>(value);
    }
    // A count that must be non-negative and fit in what is left at `minimumSize` bytes per item.
    size_t count(StringView what, size_t minimumSize) {
        const uint64_t at = position_;
        const int32_t value = int32(what);
        if (value < 0)
            fail(at, formatText(u"Layout file has a negative %@: %d", {what, decimal(value)}));
        const auto items = static_cast<size_t>(value);
        if (minimumSize > 0 && items > remaining() / minimumSize) {
            fail(at, formatText(
                         u"Layout file ends too early: %@ of %d does not fit in the %d bytes left",
                         {what, decimal(value), decimal(static_cast<long long>(remaining()))}));
        }
        return items;
    }
    String string(StringView what) {
        const uint64_t at = position_;
        const uint32_t length = static_cast<uint32_t>(int32(what));
        if (length > remaining()) {
            fail(at,
                 formatText(u"Layout file ends too early: %@ of %d bytes, %d left",
                            {what, decimal(length), decimal(static_cast<long long>(remaining()))}));
        }
        const auto* first = reinterpret_cast<const char*>(bytes_.data() + position_);
        position_ += length;
        return fromUtf8(std::string_view(first, length));
    }
    std::vector<uint8_t> block(size_t length) {
        need(length, u"the skipped block");
        std::vector<uint8_t> out(bytes_.begin() + static_cast<ptrdiff_t>(position_),
                                 bytes_.begin() + static_cast<ptrdiff_t>(position_ + length));
        position_ += length;
        return out;
    }

    const std::shared_ptr<const String>& file() const { return file_; }

  private:
    std::span<const uint8_t> bytes_;
    size_t position_ = 0;
    std::shared_ptr<const String> file_;
};

const String& tableString(Reader& reader, const std::vector<String>& strings, uint64_t at,
                          StringView what) {
    const int32_t index = reader.int32(what);
    if (index < 0 || static_cast<size_t>(index) >= strings.size()) {
        reader.fail(
            at, formatText(u"Layout file refers to string %d, but its string table has %d entries",
                           {decimal(index), decimal(static_cast<long long>(strings.size()))}));
    }
    return strings[static_cast<size_t>(index)];
}

std::shared_ptr<PropertyMap> readMap(Reader& reader, const std::vector<String>& strings,
                                     int depth) {
    auto map = std::make_shared<PropertyMap>(reader.file(), reader.offset());
    if (depth > kMaximumDepth) {
        reader.fail(reader.offset(), formatText(u"Layout file nests property maps deeper than %d",
                                                {decimal(kMaximumDepth)}));
    }
    while (true) {
        const uint64_t at = reader.offset();
        // The end marker's key is read but not looked up.
        reader.need(4, u"a property key");
        const uint64_t keyOffset = reader.offset();
        const int32_t keyIndex = reader.int32(u"a property key");
        const uint64_t typeOffset = reader.offset();
        const auto type = static_cast<int8_t>(reader.byte(u"a property type"));
        if (type == static_cast<int8_t>(Type::End)) return map;
        if (keyIndex < 0 || static_cast<size_t>(keyIndex) >= strings.size()) {
            reader.fail(
                keyOffset,
                formatText(u"Layout file refers to string %d, but its string table has %d entries",
                           {decimal(keyIndex), decimal(static_cast<long long>(strings.size()))}));
        }
        Property property;
        property.offset = at;
        property.type = static_cast<Type>(type);
        switch (property.type) {
            case Type::Int:
                property.value = reader.int32(u"an Int");
                break;
            case Type::InlineString:
                property.value = reader.string(u"a string");
                break;
            case Type::Map:
                property.value = readMap(reader, strings, depth + 1);
                break;
            case Type::Boolean:
                property.value = reader.byte(u"a Boolean") == 1;
                break;
            case Type::Color: {
                reader.need(4, u"a colour");
                uint32_t packed = 0;
                for (int i = 0; i < 4; ++i) packed = packed << 8 | reader.byte(u"a colour");
                property.value = packed;
                break;
            }
            case Type::Float:
                property.value = reader.float32(u"a Float");
                break;
            case Type::TableString:
                property.value = tableString(reader, strings, reader.offset(), u"a string index");
                break;
            case Type::Double:
                property.value = reader.float64(u"a Double");
                break;
            default:
                throw LayoutError(*reader.file(), typeOffset,
                                  formatText(u"Unknown type: %d", {decimal(type)}));
        }
        map->add(strings[static_cast<size_t>(keyIndex)], std::move(property));
    }
}

}  // namespace

LayoutError::LayoutError(String file, uint64_t offset, String reason)
    : RtException(String(), reason),
      file_(std::move(file)),
      offset_(offset),
      located_(locate(file_, offset_, reason)) {}

const Property* PropertyMap::find(StringView key) const {
    for (auto entry = entries_.rbegin(); entry != entries_.rend(); ++entry) {
        if (entry->key == key) return &entry->property;
    }
    return nullptr;
}

void PropertyMap::fail(const Property& property, StringView key, StringView expected) const {
    throw LayoutError(*file_, property.offset,
                      formatText(u"Layout property \"%@\" should be %@", {key, expected}));
}

std::optional<double> PropertyMap::number(StringView key) const {
    const Property* property = find(key);
    if (!property) return std::nullopt;
    switch (property->type) {
        case Type::Int:
            return std::get<int32_t>(property->value);
        case Type::Float:
            return std::get<float>(property->value);
        case Type::Double:
            return std::get<double>(property->value);
        default:
            fail(*property, key, u"a number");
    }
}

std::optional<int32_t> PropertyMap::integer(StringView key) const {
    const std::optional<double> value = number(key);
    if (!value) return std::nullopt;
    // Truncated toward zero, saturating (NaN reads as 0).
    if (!(*value == *value)) return 0;
    if (*value >= 2147483647.0) return INT32_MAX;
    if (*value <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(*value);
}

std::optional<String> PropertyMap::string(StringView key) const {
    const Property* property = find(key);
    if (!property) return std::nullopt;
    if (!property->isString()) fail(*property, key, u"a string");
    return std::get<String>(property->value);
}

std::optional<bool> PropertyMap::boolean(StringView key) const {
    const Property* property = find(key);
    if (!property) return std::nullopt;
    if (property->type == Type::Boolean) return std::get<bool>(property->value);
    if (property->isNumber()) return *number(key) != 0;
    fail(*property, key, u"a Boolean");
}

std::optional<uint32_t> PropertyMap::color(StringView key) const {
    const Property* property = find(key);
    if (!property) return std::nullopt;
    if (property->type == Type::Color) return std::get<uint32_t>(property->value);
    if (property->type == Type::Int)
        return static_cast<uint32_t>(std::get<int32_t>(property->value));
    fail(*property, key, u"a colour");
}

const PropertyMap* PropertyMap::map(StringView key) const {
    const Property* property = find(key);
    if (!property) return nullptr;
    if (property->type != Type::Map) fail(*property, key, u"a property map");
    return std::get<std::shared_ptr<PropertyMap>>(property->value).get();
}

LayoutFile parse(std::span<const uint8_t> bytes, StringView file) {
    Reader reader(bytes, std::make_shared<const String>(file));
    LayoutFile layout;
    layout.header = reader.int32(u"the header word");
    const size_t blockLength = reader.count(u"the skipped block's length", 1);
    layout.skippedBlock = reader.block(blockLength);
    const size_t stringCount = reader.count(u"the string table's size", 4);
    layout.strings.reserve(stringCount);
    for (size_t i = 0; i < stringCount; ++i)
        layout.strings.push_back(reader.string(u"a table string"));
    const uint64_t variantsAt = reader.offset();
    const size_t variantCount = reader.count(u"the number of variants", 12);
    if (variantCount == 0) reader.fail(variantsAt, u"Layout file has no variants");
    for (size_t i = 0; i < variantCount; ++i) {
        Variant variant;
        variant.scale = reader.float32(u"a variant's scale");
        variant.width = reader.int32(u"a variant's width");
        variant.height = reader.int32(u"a variant's height");
        layout.variants.push_back(variant);
    }
    layout.root = readMap(reader, layout.strings, 1);
    return layout;
}

namespace {

class Writer {
  public:
    void int32(int32_t value) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i)));
    }
    void float64(double value) {
        const auto bits = std::bit_cast<uint64_t>(value);
        for (int i = 0; i < 8; ++i) out.push_back(static_cast<uint8_t>(bits >> (8 * i)));
    }
    void string(StringView text) {
        const std::string utf8 = toUtf8(text);
        int32(static_cast<int32_t>(utf8.size()));
        out.insert(out.end(), utf8.begin(), utf8.end());
    }
    std::vector<uint8_t> out;
};

class StringTable {
  public:
    int32_t indexOf(const String& text) {
        const auto [found, added] =
            indexes_.try_emplace(text, static_cast<int32_t>(strings.size()));
        if (added) strings.push_back(text);
        return found->second;
    }
    void collect(const PropertyMap& map) {
        for (const auto& entry : map.entries()) {
            indexOf(entry.key);
            if (entry.property.type == Type::TableString)
                indexOf(std::get<String>(entry.property.value));
            if (entry.property.type == Type::Map)
                collect(*std::get<std::shared_ptr<PropertyMap>>(entry.property.value));
        }
    }
    std::vector<String> strings;

  private:
    std::unordered_map<String, int32_t> indexes_;
};

void writeMap(Writer& writer, StringTable& table, const PropertyMap& map) {
    for (const auto& entry : map.entries()) {
        const Property& property = entry.property;
        writer.int32(table.indexOf(entry.key));
        writer.out.push_back(static_cast<uint8_t>(property.type));
        switch (property.type) {
            case Type::Int:
                writer.int32(std::get<int32_t>(property.value));
                break;
            case Type::InlineString:
                writer.string(std::get<String>(property.value));
                break;
            case Type::Map:
                writeMap(writer, table, *std::get<std::shared_ptr<PropertyMap>>(property.value));
                break;
            case Type::Boolean:
                writer.out.push_back(std::get<bool>(property.value) ? 1 : 0);
                break;
            case Type::Color: {
                const uint32_t packed = std::get<uint32_t>(property.value);
                for (int shift = 24; shift >= 0; shift -= 8)
                    writer.out.push_back(static_cast<uint8_t>(packed >> shift));
                break;
            }
            case Type::Float:
                writer.int32(std::bit_cast<int32_t>(std::get<float>(property.value)));
                break;
            case Type::TableString:
                writer.int32(table.indexOf(std::get<String>(property.value)));
                break;
            case Type::Double:
                writer.float64(std::get<double>(property.value));
                break;
            case Type::End:
                break;
        }
    }
    writer.int32(0);
    writer.out.push_back(static_cast<uint8_t>(Type::End));
}

}  // namespace

std::vector<uint8_t> write(const LayoutFile& layout) {
    StringTable table;
    if (layout.root) table.collect(*layout.root);
    Writer writer;
    writer.int32(layout.header);
    writer.int32(static_cast<int32_t>(layout.skippedBlock.size()));
    writer.out.insert(writer.out.end(), layout.skippedBlock.begin(), layout.skippedBlock.end());
    writer.int32(static_cast<int32_t>(table.strings.size()));
    for (const String& text : table.strings) writer.string(text);
    writer.int32(static_cast<int32_t>(layout.variants.size()));
    for (const Variant& variant : layout.variants) {
        writer.int32(std::bit_cast<int32_t>(variant.scale));
        writer.int32(variant.width);
        writer.int32(variant.height);
    }
    if (layout.root) {
        writeMap(writer, table, *layout.root);
    } else {
        writer.int32(0);
        writer.out.push_back(static_cast<uint8_t>(Type::End));
    }
    return std::move(writer.out);
}

}  // namespace zemtra::layout
