// Whole-file text on real files: line splitting, list and map formats, encodings, missing files
// and the assets folder.
#include <gtest/gtest.h>

#include "runtime/core/RtCommon.h"
#include "runtime/lib/RtFile.h"
#include "tests/runtime/Raises.h"
#include "tests/support/LibraryTest.h"
#include "tests/support/TemporaryFolder.h"

namespace zemtra {
namespace {

using testing::raised;
using testing::readFile;
using testing::writeFile;

std::vector<String> itemsOf(const RtList& list) {
    std::vector<String> items;
    for (const Value& item : list.sequence().items) items.push_back(item.description());
    return items;
}

class RtFileTextTest : public testing::LibraryTest {
  protected:
    RtFileTextTest() {
        std::filesystem::create_directory(folder.file("assets"));
        file->setLocations({dir, fromUtf8(folder.file("assets")), dir, dir});
    }
    testing::TemporaryFolder folder;
    String dir = fromUtf8(folder.dir());
    std::shared_ptr<RtFile> file = RtCommon::New()->service<RtFile>();
};

TEST_F(RtFileTextTest, LinesSplitAtEveryRunOfLineEnds) {
    const struct {
        std::string bytes;
        std::vector<String> lines;
    } cases[] = {
        {"a\nb\n", {u"a", u"b"}},
        {"a\r\nb\r\n", {u"a", u"b"}},
        {"a\rb\r", {u"a", u"b"}},
        {"a\r\n\nb\n", {u"a", u"b"}},
        {"a\n\n\nb", {u"a", u"b"}},
        {"\na\n", {u"", u"a"}},
        {"", {u""}},
        {"w\xc3\xb6rd\n", {u"w\u00f6rd"}},
    };
    for (const auto& c : cases) {
        writeFile(folder.file("lines.txt"), c.bytes);
        EXPECT_EQ(itemsOf(*file->ReadList(dir, u"lines.txt")), c.lines) << c.bytes;
    }
}

TEST_F(RtFileTextTest, ListsWriteOneLineFeedEndedLinePerElement) {
    file->WriteList(dir, u"l.txt", RtList::create());
    EXPECT_EQ(readFile(folder.file("l.txt")), "");
    file->WriteList(dir, u"l.txt", RtList::of({Value::ofInt(1), Value::ofInt(2)}));
    EXPECT_EQ(readFile(folder.file("l.txt")), "1\n2\n");
    file->WriteList(dir, u"l.txt", RtList::of({Value(u"x\ny"), Value::ofDouble(0.5), Value()}));
    auto lines = file->ReadList(dir, u"l.txt");
    EXPECT_EQ(itemsOf(*lines), (std::vector<String>{u"x", u"y", u"0.5", u"<null>"}));
    lines->Add(Value(u"more"));  // an ordinary growable list
    EXPECT_EQ(lines->Size(), 5);
}

TEST_F(RtFileTextTest, MapFormatRoundTrip) {
    auto map = RtMap::create();
    map->Put(Value(u"a=b"), Value(u"x\ny"));
    file->WriteMap(dir, u"m.txt", map);
    EXPECT_EQ(readFile(folder.file("m.txt")), "a\\=b=x y\n");

    map->Put(Value::ofInt(7), Value::ofDouble(2.5));
    map->Put(Value(u"path"), Value(u"c:=d=e"));
    file->WriteMap(dir, u"m.txt", map);
    auto back = file->ReadMap(dir, u"m.txt");
    EXPECT_EQ(back->Size(), 3);
    EXPECT_EQ(back->Get(Value(u"a=b")).description(), u"x y");
    EXPECT_EQ(back->Get(Value(u"path")).description(), u"c:=d=e");
    ASSERT_TRUE(back->Get(Value(u"7")).isString()) << "everything reads back as text";
    EXPECT_EQ(*back->Get(Value(u"7")).string(), u"2.5");

    writeFile(folder.file("m.txt"), "no separator\nk=\nescaped\\=only\nk=second\n=v\n");
    back = file->ReadMap(dir, u"m.txt");
    EXPECT_EQ(back->Size(), 2);
    EXPECT_EQ(back->Get(Value(u"k")).description(), u"second") << "a later line replaces";
    EXPECT_EQ(back->Get(Value(u"")).description(), u"v");
}

// A carriage return in a value started a line of its own on reading; a line break in a key, or a
// backslash at its end, made the entry unreadable. What is written now reads back as written
// (line breaks in values become spaces, as line feeds always have), and files of the old format
// read as before.
TEST_F(RtFileTextTest, MapFilesReadBackAsWritten) {
    auto map = RtMap::create();
    map->Put(Value(u"cr"), Value(u"a\rb"));
    map->Put(Value(u"crlf"), Value(u"a\r\nb\n"));
    map->Put(Value(u"x\\=y"), Value(u"\\"));
    file->WriteMap(dir, u"m.txt", map);
    const std::string written = readFile(folder.file("m.txt"));
    for (const char* line : {"cr=a b\n", "crlf=a b \n", "x\\\\=y=\\\n"}) {
        EXPECT_NE(written.find(line), std::string::npos) << line << " in " << written;
    }
    const auto back = file->ReadMap(dir, u"m.txt");
    EXPECT_EQ(back->Size(), 3);
    EXPECT_EQ(back->Get(Value(u"cr")).description(), u"a b");
    EXPECT_EQ(back->Get(Value(u"crlf")).description(), u"a b ");
    EXPECT_EQ(back->Get(Value(u"x\\=y")).description(), u"\\");

    for (const String key : {u"line\nbreak", u"carriage\rreturn", u"ends\\"}) {
        auto unreadable = RtMap::create();
        unreadable->Put(Value(u"kept"), Value(u"1"));
        unreadable->Put(Value(key), Value(u"v"));
        EXPECT_TRUE(testing::raised([&] { file->WriteMap(dir, u"m.txt", unreadable); })
                        .reason()
                        .starts_with(u"Error writing file: The key \"" + key + u"\""));
        EXPECT_EQ(readFile(folder.file("m.txt")), written) << "a refused map leaves the file alone";
    }
}

TEST_F(RtFileTextTest, MissingFilesAndBadBytesGiveTheirMessages) {
    EXPECT_EQ(raised([&] { file->ReadMap(dir, u"missing.txt"); }).reason(),
              fromUtf8("Error reading file: No such file or directory (" +
                       folder.file("missing.txt") + ")"));
    EXPECT_EQ(raised([&] { file->WriteString(dir, u"no/dir.txt", u"x"); }).reason(),
              fromUtf8("Error writing file: No such file or directory (" +
                       folder.file("no/dir.txt") + ")"));

    writeFile(folder.file("latin1.txt"), "caf\xe9\n");
    EXPECT_EQ(raised([&] { file->ReadList(dir, u"latin1.txt"); }).reason(),
              u"Error reading file. Incorrect encoding");
    EXPECT_EQ(file->ReadString2(dir, u"latin1.txt", u"ISO-8859-1"), u"caf\u00e9\n");
    EXPECT_EQ(raised([&] { file->ReadString2(dir, u"latin1.txt", u"klingon"); }).reason(),
              u"Invalid CharSet klingon");
}

TEST_F(RtFileTextTest, WritesReplaceTheFileOrLeaveItAlone) {
    file->WriteString(dir, u"t.txt", u"first, longer text");
    file->WriteString2(dir, u"t.txt", u"\u00e9", u"iso-8859-1");
    EXPECT_EQ(readFile(folder.file("t.txt")), "\xe9");

    // Text the character set cannot hold fails before the file is touched.
    EXPECT_TRUE(raised([&] { file->WriteString2(dir, u"t.txt", u"\u20ac", u"US-ASCII"); })
                    .reason()
                    .starts_with(u"Error writing file: The text cannot be represented in "));
    EXPECT_EQ(readFile(folder.file("t.txt")), "\xe9");

    // Whole-file writes into the assets folder fail as writes, with the name lower-cased.
    writeFile(folder.file("assets/sp.txt"), "1\n");
    EXPECT_EQ(raised([&] { file->WriteString(file->DirAssets(), u"SP.txt", u"2\n"); }).reason(),
              fromUtf8("Error writing file: Read-only file system (" +
                       folder.file("assets/sp.txt") + ")"));
    EXPECT_EQ(readFile(folder.file("assets/sp.txt")), "1\n");
    EXPECT_EQ(file->ReadString(file->DirAssets(), u"SP.TXT"), u"1\n");
}

}  // namespace
}  // namespace zemtra
