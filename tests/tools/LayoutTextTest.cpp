// The readable layout format: what each form compiles to, that a dump compiles back to the same
// bytes, and that mistakes are reported with their line and column.
#include <gtest/gtest.h>

#include <cmath>

#include "tools/LayoutText.h"

namespace zemtra::layout {
namespace {

const Property& only(const LayoutFile& file) {
    return file.root->entries().at(0).property;
}

LayoutFile compileValue(const std::string& value) {
    return compileText("variant 1 x 1\nk = " + value + "\n", "t");
}

TEST(LayoutText, EachValueFormHasItsType) {
    struct Row {
        const char* text;
        Type type;
    };
    for (const Row& row :
         {Row{"12", Type::Int}, Row{"-0x10", Type::Int}, Row{"0xFFFFFFFF", Type::Int},
          Row{"1.5f", Type::Float}, Row{"2f", Type::Float}, Row{"1.5", Type::Double},
          Row{"1e3", Type::Double}, Row{"true", Type::Boolean}, Row{"#FF102030", Type::Color},
          Row{"#102030", Type::Color}, Row{"\"x\"", Type::TableString},
          Row{"inline \"x\"", Type::InlineString}, Row{"{ a = 1 }", Type::Map},
          Row{"float 3", Type::Float}, Row{"double nan", Type::Double}, Row{"int 7", Type::Int}}) {
        EXPECT_EQ(only(compileValue(row.text)).type, row.type) << row.text;
    }
    EXPECT_EQ(std::get<int32_t>(only(compileValue("0xFFFFFFFF")).value), -1);
    EXPECT_EQ(std::get<uint32_t>(only(compileValue("#102030")).value), 0xFF102030u)
        << "six digits are opaque";
    EXPECT_EQ(std::get<String>(only(compileValue(R"("a\"b\\c\n\u00e9")")).value),
              u"a\"b\\c\n\u00e9");
    EXPECT_TRUE(std::isnan(std::get<double>(only(compileValue("double nan")).value)));
}

// What views, frames and children compile to is read back by the layout loader's tests.
TEST(LayoutText, ADumpCompilesBackToTheSameBytes) {
    const std::string source = R"(
header 7
block 00ff10
variant 320x480
variant 340 x 568 scale 2
handleResizeEvent = true
view RtPanelWrapper "main panel" {
    frame 1 = 0.5 0 340 568.25 2 2
    frame 2 = 1 2 3 4
    variant3 = { left = 1 }
    font = { fontName = "DEFAULT Bold" fontSize = 17f }
        odd = float -inf
    tiny = 1e-45f
    huge = 3.4028235e+38f
    third = 0.3333333333333333

    ":weird key" = inline "tab\there"
    view RtLabelWrapper Label1 { text = "é \"q\"" }
}
)";
    const std::vector<uint8_t> first = write(compileText(source, "t"));
    const std::string dump = dumpText(parse(first, u"t.lyt"));
    const std::vector<uint8_t> second = write(compileText(dump, "dump"));
    EXPECT_EQ(first, second) << dump;
    EXPECT_NE(dump.find("variant 320 x 480\n"), std::string::npos) << dump;
    EXPECT_NE(dump.find("frame 1 = 0.5 0 340 568.25 2 2"), std::string::npos) << dump;
    EXPECT_NE(dump.find("view RtPanelWrapper \"main panel\" {"), std::string::npos) << dump;
    EXPECT_NE(dump.find("variant3 = {"), std::string::npos) << "a partial frame stays a map";
}

// A negative NaN compiled to a file whose dump said "nan", so the dump compiled to other bytes.
TEST(LayoutText, NaNsKeepTheirSignThroughADump) {
    const std::string source = R"(variant 1 x 1 scale -nan
a = float -nan
b = double -nan
c = -nanf
e = double nan
view T v { frame 0 = -nan 0 1 1 }
)";
    const std::vector<uint8_t> first = write(compileText(source, "t"));
    const LayoutFile read = parse(first, u"t.lyt");
    EXPECT_TRUE(std::signbit(std::get<float>(read.root->find(u"a")->value)));
    EXPECT_TRUE(std::signbit(std::get<double>(read.root->find(u"b")->value)));
    EXPECT_FALSE(std::signbit(std::get<double>(read.root->find(u"e")->value)));
    const std::string dump = dumpText(read);
    EXPECT_EQ(write(compileText(dump, "dump")), first) << dump;
}

TEST(LayoutText, WhatCompilesReadsBackAtTheDeepestNestingAndNoDeeper) {
    // Each view takes two map levels in the file (":kids", then its own map), a plain map one.
    const auto nested = [](int views, int maps) {
        std::string source = "variant 1 x 1\n";
        for (int i = 0; i < views; ++i) source += "view T v" + std::to_string(i) + " {\n";
        for (int i = 0; i < maps; ++i) source += "m = {\n";
        return source + std::string(static_cast<size_t>(views + maps), '}');
    };
    const auto readsBack = [](const std::string& source) {
        const std::vector<uint8_t> bytes = write(compileText(source, "t"));
        EXPECT_NO_THROW(parse(bytes, u"t.lyt")) << source;
    };
    const auto refused = [](const std::string& source) {
        EXPECT_THROW(compileText(source, "t"), LayoutTextError) << source;
    };
    readsBack(nested(31, 0));  // the deepest view map is at level 63
    readsBack(nested(0, 63));
    readsBack(nested(31, 1));
    refused(nested(32, 0));
    refused(nested(31, 2));
    refused(nested(0, 64));
}

TEST(LayoutText, MistakesNameTheLineAndColumn) {
    const auto error = [](const std::string& source) {
        try {
            compileText(source, "bad.layout");
        } catch (const LayoutTextError& failure) {
            return std::string(failure.what());
        }
        return std::string("accepted");
    };
    EXPECT_EQ(error("variant 1 x 1\nview RtLabelWrapper a {\n"),
              "bad.layout:2:1: this view is not closed with '}'");
    EXPECT_EQ(error("variant 1 x 1\nk = 99999999999\n"),
              "bad.layout:2:5: '99999999999' does not fit in 32 bits");
    EXPECT_EQ(error("variant 1 x 1\nk = \"open\n"),
              "bad.layout:2:5: a string is not closed on its line");
    EXPECT_EQ(error("variant 1 x 1\nk = #12345\n"),
              "bad.layout:2:5: a colour has 6 or 8 hexadecimal digits");
    EXPECT_EQ(error("k = 1\n"),
              "bad.layout:2:1: a layout needs at least one \"variant W x H\" line");
    EXPECT_EQ(error("variant 1 x 1\nk = maybe\n"), "bad.layout:2:5: unknown value 'maybe'");
}

}  // namespace
}  // namespace zemtra::layout
