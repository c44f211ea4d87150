// The readable layout format: a small tokenizer, a recursive parser that builds the layout's
// property maps, and the printer of the dump.
#include "tools/LayoutText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <regex>
#include <vector>

namespace zemtra::layout {

namespace {

enum class Token { Name, Number, Text, Color, Open, Close, Equals, End };

struct Lexeme {
    Token token = Token::End;
    std::string text;  // the name, the number's spelling, the decoded string, the colour digits
    int line = 1;
    int column = 1;
};

bool isNameStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool isNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

void appendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

class Lexer {
  public:
    Lexer(std::string_view text, std::string_view source) : text_(text), source_(source) {}

    [[noreturn]] void fail(int line, int column, const std::string& message) const {
        throw LayoutTextError(std::string(source_) + ":" + std::to_string(line) + ":" +
                              std::to_string(column) + ": " + message);
    }

    Lexeme next() {
        skipBlanks();
        Lexeme lexeme;
        lexeme.line = line_;
        lexeme.column = column_;
        if (position_ >= text_.size()) return lexeme;
        const char c = text_[position_];
        if (c == '{' || c == '}' || c == '=') {
            advance();
            lexeme.token = c == '{' ? Token::Open : c == '}' ? Token::Close : Token::Equals;
            return lexeme;
        }
        if (c == '"') return text(lexeme);
        if (c == '#') {
            advance();
            lexeme.token = Token::Color;
            while (position_ < text_.size() &&
                   std::isxdigit(static_cast<unsigned char>(text_[position_]))) {
                lexeme.text += text_[position_];
                advance();
            }
            if (lexeme.text.size() != 6 && lexeme.text.size() != 8) {
                fail(lexeme.line, lexeme.column, "a colour has 6 or 8 hexadecimal digits");
            }
            return lexeme;
        }
        if (std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '+' || c == '.') {
            lexeme.token = Token::Number;
            while (position_ < text_.size()) {
                const char d = text_[position_];
                const bool sign =
                    (d == '-' || d == '+') &&
                    (lexeme.text.empty() || lexeme.text.back() == 'e' || lexeme.text.back() == 'E');
                if (!isNameChar(d) && d != '.' && !sign) break;
                lexeme.text += d;
                advance();
            }
            return lexeme;
        }
        if (isNameStart(c)) {
            lexeme.token = Token::Name;
            while (position_ < text_.size() && isNameChar(text_[position_])) {
                lexeme.text += text_[position_];
                advance();
            }
            return lexeme;
        }
        fail(line_, column_, std::string("unexpected character '") + c + "'");
    }

  private:
    void advance() {
        if (text_[position_] == '\n') {
            ++line_;
            column_ = 1;
        } else {
            ++column_;
        }
        ++position_;
    }

    void skipBlanks() {
        while (position_ < text_.size()) {
            const char c = text_[position_];
            if (c == '#' && isComment()) {
                while (position_ < text_.size() && text_[position_] != '\n') advance();
            } else if (std::isspace(static_cast<unsigned char>(c))) {
                advance();
            } else {
                return;
            }
        }
    }

    // "#" starts a comment unless a hexadecimal digit follows it (then it is a colour).
    bool isComment() const {
        return position_ + 1 >= text_.size() ||
               !std::isxdigit(static_cast<unsigned char>(text_[position_ + 1]));
    }

    Lexeme text(Lexeme& lexeme) {
        lexeme.token = Token::Text;
        advance();
        while (true) {
            if (position_ >= text_.size() || text_[position_] == '\n') {
                fail(lexeme.line, lexeme.column, "a string is not closed on its line");
            }
            const char c = text_[position_];
            advance();
            if (c == '"') return lexeme;
            if (c != '\\') {
                lexeme.text += c;
                continue;
            }
            if (position_ >= text_.size()) fail(line_, column_, "a string ends after '\\'");
            const char escaped = text_[position_];
            advance();
            switch (escaped) {
                case 'n':
                    lexeme.text += '\n';
                    break;
                case 't':
                    lexeme.text += '\t';
                    break;
                case 'r':
                    lexeme.text += '\r';
                    break;
                case '"':
                case '\\':
                    lexeme.text += escaped;
                    break;
                case 'u': {
                    if (position_ + 4 > text_.size())
                        fail(line_, column_, "\\u needs four hexadecimal digits");
                    uint32_t code = 0;
                    const auto result = std::from_chars(text_.data() + position_,
                                                        text_.data() + position_ + 4, code, 16);
                    if (result.ptr != text_.data() + position_ + 4)
                        fail(line_, column_, "\\u needs four hexadecimal digits");
                    for (int i = 0; i < 4; ++i) advance();
                    appendUtf8(lexeme.text, code);
                    break;
                }
                default:
                    fail(line_, column_, std::string("unknown escape '\\") + escaped + "'");
            }
        }
    }

    std::string_view text_;
    std::string_view source_;
    size_t position_ = 0;
    int line_ = 1;
    int column_ = 1;
};

class Parser {
  public:
    Parser(std::string_view text, std::string_view source)
        : lexer_(text, source), file_(std::make_shared<const String>(fromUtf8(source))) {
        current_ = lexer_.next();
        lookahead_ = lexer_.next();
    }

    LayoutFile parse() {
        LayoutFile layout;
        layout.root = std::make_shared<PropertyMap>(file_, 0);
        std::vector<std::shared_ptr<PropertyMap>> children;
        while (current_.token != Token::End) {
            if (keyword("header")) {
                take();
                layout.header = integer(expect(Token::Number, "the header word"));
            } else if (keyword("block")) {
                take();
                if (current_.token != Token::Number && current_.token != Token::Name) {
                    fail(current_, "expected the block's bytes in hexadecimal");
                }
                layout.skippedBlock = hexBytes(take());
            } else if (keyword("variant")) {
                layout.variants.push_back(variant());
            } else {
                statement(*layout.root, children, 1);
            }
        }
        addChildren(*layout.root, children);
        if (layout.variants.empty())
            fail(current_, "a layout needs at least one \"variant W x H\" line");
        return layout;
    }

  private:
    [[noreturn]] void fail(const Lexeme& at, const std::string& message) const {
        lexer_.fail(at.line, at.column, message);
    }

    Lexeme take() {
        Lexeme taken = std::move(current_);
        current_ = std::move(lookahead_);
        lookahead_ = lexer_.next();
        return taken;
    }

    Lexeme expect(Token token, const std::string& what) {
        if (current_.token != token) fail(current_, "expected " + what);
        return take();
    }

    bool keyword(std::string_view word) const {
        return current_.token == Token::Name && current_.text == word &&
               lookahead_.token != Token::Equals;
    }

    // One statement of a map body; child views are collected for ":kids". `depth` is the level
    // of `map` in the file (the root is 1), the one the reader limits.
    void statement(PropertyMap& map, std::vector<std::shared_ptr<PropertyMap>>& children,
                   int depth) {
        if (keyword("view")) {
            // A child's map sits inside its parent's ":kids" map: two levels down.
            children.push_back(view(depth + 2));
            return;
        }
        if (keyword("frame")) {
            frame(map);
            return;
        }
        const Lexeme key = current_;
        String name;
        if (current_.token == Token::Name || current_.token == Token::Text) {
            name = fromUtf8(take().text);
        } else {
            fail(current_, "expected a property name, \"view\" or \"frame\"");
        }
        expect(Token::Equals, "'=' after the property name");
        map.add(std::move(name), value(depth));
        (void)key;
    }

    std::shared_ptr<PropertyMap> view(int depth) {
        const Lexeme start = take();
        if (depth > kMaximumDepth) fail(start, "views are nested too deeply");
        const Lexeme type = current_;
        if (type.token != Token::Name && type.token != Token::Text)
            fail(type, "expected the view's type");
        take();
        const Lexeme name = current_;
        if (name.token != Token::Name && name.token != Token::Text)
            fail(name, "expected the view's name");
        take();
        auto map = std::make_shared<PropertyMap>(file_, 0);
        map->add(u"name", stringProperty(Type::TableString, name.text));
        map->add(u"type", stringProperty(Type::TableString, type.text));
        expect(Token::Open, "'{' after the view's name");
        std::vector<std::shared_ptr<PropertyMap>> children;
        while (current_.token != Token::Close) {
            if (current_.token == Token::End) fail(start, "this view is not closed with '}'");
            statement(*map, children, depth);
        }
        take();
        addChildren(*map, children);
        return map;
    }

    void addChildren(PropertyMap& map, const std::vector<std::shared_ptr<PropertyMap>>& children) {
        if (children.empty()) return;
        auto kids = std::make_shared<PropertyMap>(file_, 0);
        for (size_t index = 0; index < children.size(); ++index) {
            Property property;
            property.type = Type::Map;
            property.value = children[index];
            kids->add(decimal(static_cast<long long>(index)), std::move(property));
        }
        Property property;
        property.type = Type::Map;
        property.value = kids;
        map.add(u":kids", std::move(property));
    }

    void frame(PropertyMap& map) {
        const Lexeme start = take();
        const int32_t index = integer(expect(Token::Number, "the variant number after \"frame\""));
        if (index < 0) fail(start, "a variant number is not negative");
        expect(Token::Equals, "'=' after the frame's variant number");
        auto geometry = std::make_shared<PropertyMap>(file_, 0);
        for (const char16_t* key : {u"left", u"top", u"width", u"height"}) {
            Property property;
            property.type = Type::Float;
            property.value =
                real<float>(expect(Token::Number, "four numbers: left top width height"));
            geometry->add(key, std::move(property));
        }
        int32_t anchors[2] = {0, 0};
        if (current_.token == Token::Number) {
            anchors[0] = integer(take());
            anchors[1] =
                integer(expect(Token::Number, "the vertical anchor after the horizontal one"));
        }
        geometry->add(u"hanchor", intProperty(anchors[0]));
        geometry->add(u"vanchor", intProperty(anchors[1]));
        Property property;
        property.type = Type::Map;
        property.value = geometry;
        map.add(u"variant" + decimal(index), std::move(property));
    }

    Variant variant() {
        const Lexeme start = take();
        Variant result;
        const Lexeme first =
            expect(Token::Number, "the variant's size, as in \"variant 340 x 568\"");
        const size_t cross = first.text.find('x');
        if (cross != std::string::npos) {
            result.width = integer(
                Lexeme{Token::Number, first.text.substr(0, cross), first.line, first.column});
            result.height = integer(
                Lexeme{Token::Number, first.text.substr(cross + 1), first.line, first.column});
        } else {
            result.width = integer(first);
            if (!(current_.token == Token::Name && current_.text == "x"))
                fail(current_, "expected 'x' between width and height");
            take();
            result.height = integer(expect(Token::Number, "the variant's height"));
        }
        if (current_.token == Token::Name && current_.text == "scale" &&
            lookahead_.token != Token::Equals) {
            take();
            result.scale = special<float>();
        }
        (void)start;
        return result;
    }

    Property value(int depth) {
        const Lexeme at = current_;
        if (at.token == Token::Open) {
            take();
            if (depth + 1 > kMaximumDepth) fail(at, "maps are nested too deeply");
            auto map = std::make_shared<PropertyMap>(file_, 0);
            std::vector<std::shared_ptr<PropertyMap>> children;
            while (current_.token != Token::Close) {
                if (current_.token == Token::End) fail(at, "this map is not closed with '}'");
                statement(*map, children, depth + 1);
            }
            take();
            addChildren(*map, children);
            Property property;
            property.type = Type::Map;
            property.value = map;
            return property;
        }
        if (at.token == Token::Text) return stringProperty(Type::TableString, take().text);
        if (at.token == Token::Color) return colorProperty(take());
        if (at.token == Token::Number) return number(take());
        if (at.token != Token::Name) fail(at, "expected a value");
        const std::string word = take().text;
        if (word == "true" || word == "false") return boolProperty(word == "true");
        if (word == "inline")
            return stringProperty(Type::InlineString,
                                  expect(Token::Text, "a string after \"inline\"").text);
        if (word == "string")
            return stringProperty(Type::TableString,
                                  expect(Token::Text, "a string after \"string\"").text);
        if (word == "color") return colorProperty(expect(Token::Color, "a colour after \"color\""));
        if (word == "int")
            return intProperty(integer(expect(Token::Number, "a number after \"int\"")));
        if (word == "float" || word == "double") {
            Property property;
            property.type = word == "float" ? Type::Float : Type::Double;
            if (word == "float") {
                property.value = special<float>();
            } else {
                property.value = special<double>();
            }
            return property;
        }
        if (word == "bool") {
            const Lexeme flag = expect(Token::Name, "true or false after \"bool\"");
            if (flag.text != "true" && flag.text != "false") fail(flag, "expected true or false");
            return boolProperty(flag.text == "true");
        }
        fail(at, "unknown value '" + word + "'");
    }

    // A number after "float" or "double": also nan, inf and -inf.
    template <class T>
    T special() {
        const Lexeme at = current_;
        if (at.token == Token::Name && (at.text == "nan" || at.text == "inf")) {
            take();
            return at.text == "nan" ? std::numeric_limits<T>::quiet_NaN()
                                    : std::numeric_limits<T>::infinity();
        }
        const Lexeme read = expect(Token::Number, "a number");
        if (read.text == "-inf") return -std::numeric_limits<T>::infinity();
        std::string text = read.text;
        if (!text.empty() && (text.back() == 'f' || text.back() == 'F') &&
            text.find_first_of("xX") == std::string::npos) {
            text.pop_back();
        }
        return real<T>(Lexeme{Token::Number, text, read.line, read.column});
    }

    Property number(const Lexeme& at) {
        const std::string& text = at.text;
        const bool hex = text.size() > 2 && (text.starts_with("0x") || text.starts_with("0X"));
        if (!hex && (text.ends_with('f') || text.ends_with('F'))) {
            Property property;
            property.type = Type::Float;
            property.value = real<float>(
                Lexeme{Token::Number, text.substr(0, text.size() - 1), at.line, at.column});
            return property;
        }
        if (!hex && text.find_first_of(".eE") != std::string::npos) {
            Property property;
            property.type = Type::Double;
            property.value = real<double>(at);
            return property;
        }
        return intProperty(integer(at));
    }

    int32_t integer(const Lexeme& at) const {
        std::string_view text = at.text;
        bool negative = false;
        if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
            negative = text.front() == '-';
            text.remove_prefix(1);
        }
        int base = 10;
        if (text.size() > 2 && (text.starts_with("0x") || text.starts_with("0X"))) {
            base = 16;
            text.remove_prefix(2);
        }
        uint64_t magnitude = 0;
        const auto result =
            std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
        if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size()) {
            fail(at, "'" + at.text + "' is not a whole number");
        }
        // Hexadecimal spells the 32 bits (0xFFFFFFFF is -1); decimal must fit a signed Int.
        if (base == 16 && !negative && magnitude <= 0xFFFFFFFFu)
            return static_cast<int32_t>(static_cast<uint32_t>(magnitude));
        if (negative && magnitude <= 2147483648u)
            return static_cast<int32_t>(-static_cast<int64_t>(magnitude));
        if (!negative && magnitude <= 2147483647u) return static_cast<int32_t>(magnitude);
        fail(at, "'" + at.text + "' does not fit in 32 bits");
    }

    // Read directly in the target type, so the shortest spelling of a Float comes back exactly.
    template <class T>
    T real(const Lexeme& at) const {
        std::string_view text = at.text;
        if (text.starts_with('+')) text.remove_prefix(1);
        T read = 0;

        const auto result = std::from_chars(text.data(), text.data() + text.size(), read);
        if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size()) {
            fail(at, "'" + at.text + "' is not a number");
        }
        return read;
    }

    std::vector<uint8_t> hexBytes(const Lexeme& at) const {
        if (at.text.size() % 2 != 0) fail(at, "a block needs two hexadecimal digits per byte");
        std::vector<uint8_t> bytes;
        for (size_t index = 0; index < at.text.size(); index += 2) {
            uint8_t byte = 0;
            const auto result =
                std::from_chars(at.text.data() + index, at.text.data() + index + 2, byte, 16);
            if (result.ptr != at.text.data() + index + 2)
                fail(at, "a block holds hexadecimal digits only");
            bytes.push_back(byte);
        }
        return bytes;
    }

    static Property stringProperty(Type type, const std::string& utf8) {
        Property property;
        property.type = type;
        property.value = fromUtf8(utf8);
        return property;
    }
    static Property intProperty(int32_t value) {
        Property property;
        property.type = Type::Int;
        property.value = value;
        return property;
    }
    static Property boolProperty(bool value) {
        Property property;
        property.type = Type::Boolean;
        property.value = value;
        return property;
    }
    static Property colorProperty(const Lexeme& at) {
        uint32_t packed = 0;
        std::from_chars(at.text.data(), at.text.data() + at.text.size(), packed, 16);
        if (at.text.size() == 6) packed |= 0xFF000000u;
        Property property;
        property.type = Type::Color;
        property.value = packed;
        return property;
    }

    Lexer lexer_;
    std::shared_ptr<const String> file_;
    Lexeme current_;
    Lexeme lookahead_;
};

// The dump.

std::string quoted(const String& text) {
    std::string out = "\"";
    for (const char c : toUtf8(text)) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char buffer[8];
                    std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned>(c));
                    out += buffer;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

bool isName(const String& key) {
    if (key.empty() || key.front() > 0x7F || !isNameStart(static_cast<char>(key.front())))
        return false;
    for (const char16_t c : key) {
        if (c > 0x7F || !isNameChar(static_cast<char>(c))) return false;
    }
    return true;
}

std::string keyText(const String& key) {
    return isName(key) ? toUtf8(key) : quoted(key);
}

template <class T>
std::string shortest(T value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string floatText(float value) {
    // "-nan" reads back with its sign (from_chars keeps it), so the dump must print it.
    if (std::isnan(value)) return std::signbit(value) ? "float -nan" : "float nan";
    if (std::isinf(value)) return value > 0 ? "float inf" : "float -inf";
    return shortest(value) + "f";
}

std::string doubleText(double value) {
    if (std::isnan(value)) return std::signbit(value) ? "double -nan" : "double nan";
    if (std::isinf(value)) return value > 0 ? "double inf" : "double -inf";
    std::string text = shortest(value);
    if (text.find_first_of(".e") == std::string::npos) text += ".0";
    return text;
}

std::string colorText(uint32_t color) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "#%08X", color);
    return buffer;
}

// Plain frame numbers: shortest spelling without the Float suffix.
std::string frameNumber(float value) {
    return shortest(value);
}

const PropertyMap& mapOf(const Property& property) {
    return *std::get<std::shared_ptr<PropertyMap>>(property.value);
}

bool isTableString(const PropertyMap::Entry& entry, StringView key) {
    return entry.key == key && entry.property.type == Type::TableString;
}

// A view map as the compiler writes it: "name" and "type" (table strings) first.
bool isViewShaped(const PropertyMap& map) {
    const auto& entries = map.entries();
    return entries.size() >= 2 && isTableString(entries[0], u"name") &&
           isTableString(entries[1], u"type");
}

// Children written by the compiler: the last entry, ":kids", with "0".."n-1" view maps in order.
bool hasChildBlocks(const PropertyMap& map) {
    const auto& entries = map.entries();
    if (entries.empty() || entries.back().key != u":kids" ||
        entries.back().property.type != Type::Map)
        return false;
    const PropertyMap& kids = mapOf(entries.back().property);
    if (kids.entries().empty()) return false;
    for (size_t index = 0; index < kids.entries().size(); ++index) {
        const auto& kid = kids.entries()[index];
        if (kid.key != decimal(static_cast<long long>(index)) || kid.property.type != Type::Map)
            return false;
        if (!isViewShaped(mapOf(kid.property))) return false;
    }
    // With an earlier ":kids" as well, the blocks would not come back in the same place.
    for (size_t index = 0; index + 1 < entries.size(); ++index) {
        if (entries[index].key == u":kids") return false;
    }
    return true;
}

// "variant<N>" written by "frame": Float left, top, width, height, Int hanchor, vanchor.
std::optional<std::string> frameOf(const PropertyMap::Entry& entry) {
    static const std::regex variantKey("variant(0|[1-9][0-9]{0,8})");
    std::smatch match;
    const std::string key = toUtf8(entry.key);
    if (!std::regex_match(key, match, variantKey) || entry.property.type != Type::Map)
        return std::nullopt;
    const auto& geometry = mapOf(entry.property).entries();
    static const char16_t* const kKeys[] = {u"left",   u"top",     u"width",
                                            u"height", u"hanchor", u"vanchor"};
    if (geometry.size() != 6) return std::nullopt;
    std::string out = "frame " + match[1].str() + " =";
    for (size_t index = 0; index < 6; ++index) {
        if (geometry[index].key != kKeys[index]) return std::nullopt;
        const Property& property = geometry[index].property;
        if (index < 4) {
            if (property.type != Type::Float || !std::isfinite(std::get<float>(property.value)))
                return std::nullopt;
            out += " " + frameNumber(std::get<float>(property.value));
        } else {
            if (property.type != Type::Int) return std::nullopt;
            out += " " + std::to_string(std::get<int32_t>(property.value));
        }
    }
    return out;
}

class Printer {
  public:
    std::string out;

    void line(int depth, const std::string& text) {
        out.append(static_cast<size_t>(depth) * 4, ' ');
        out += text;
        out += '\n';
    }

    // The entries of a map body, from `first`; child blocks when the map has them.
    void body(const PropertyMap& map, size_t first, int depth) {
        const bool blocks = hasChildBlocks(map);
        const size_t end = map.entries().size() - (blocks ? 1 : 0);
        for (size_t index = first; index < end; ++index) entry(map.entries()[index], depth);
        if (!blocks) return;
        for (const auto& kid : mapOf(map.entries().back().property).entries())
            view(mapOf(kid.property), depth);
    }

    void view(const PropertyMap& map, int depth) {
        const auto& entries = map.entries();
        line(depth, "view " + keyText(std::get<String>(entries[1].property.value)) + " " +
                        keyText(std::get<String>(entries[0].property.value)) + " {");
        body(map, 2, depth + 1);
        line(depth, "}");
    }

    void entry(const PropertyMap::Entry& entry, int depth) {
        if (const auto frame = frameOf(entry)) {
            line(depth, *frame);
            return;
        }
        const Property& property = entry.property;
        const std::string key = keyText(entry.key) + " = ";
        switch (property.type) {
            case Type::Int:
                line(depth, key + std::to_string(std::get<int32_t>(property.value)));
                return;
            case Type::InlineString:
                line(depth, key + "inline " + quoted(std::get<String>(property.value)));
                return;
            case Type::TableString:
                line(depth, key + quoted(std::get<String>(property.value)));
                return;
            case Type::Boolean:
                line(depth, key + (std::get<bool>(property.value) ? "true" : "false"));
                return;
            case Type::Color:
                line(depth, key + colorText(std::get<uint32_t>(property.value)));
                return;
            case Type::Float:
                line(depth, key + floatText(std::get<float>(property.value)));
                return;
            case Type::Double:
                line(depth, key + doubleText(std::get<double>(property.value)));
                return;
            case Type::Map:
                line(depth, key + "{");
                body(mapOf(property), 0, depth + 1);
                line(depth, "}");
                return;
            case Type::End:
                return;
        }
    }
};

}  // namespace

LayoutFile compileText(std::string_view text, std::string_view sourceName) {
    return Parser(text, sourceName).parse();
}

std::string dumpText(const LayoutFile& layout) {
    Printer printer;
    if (layout.header != 0) printer.line(0, "header " + std::to_string(layout.header));
    if (!layout.skippedBlock.empty()) {
        std::string hex;
        for (const uint8_t byte : layout.skippedBlock) {
            char buffer[3];
            std::snprintf(buffer, sizeof buffer, "%02x", byte);
            hex += buffer;
        }
        printer.line(0, "block " + hex);
    }
    for (const Variant& variant : layout.variants) {
        std::string text =
            "variant " + std::to_string(variant.width) + " x " + std::to_string(variant.height);
        if (!(variant.scale == 1.0f)) {
            const std::string scale = floatText(variant.scale);
            text += " scale " + (scale.starts_with("float ") ? scale.substr(6)
                                                             : scale.substr(0, scale.size() - 1));
        }
        printer.line(0, text);
    }
    if (layout.root) printer.body(*layout.root, 0, 0);
    return printer.out;
}

}  // namespace zemtra::layout
