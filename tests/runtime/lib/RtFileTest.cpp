// The file service on real files: directories, the assets rule, deleting, creating directories,
// copying, attributes, the backup mark, whole-file text (line splitting, list and map formats,
// encodings) and streams.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <cerrno>

#include <gtest/gtest.h>

#include "runtime/core/RtCommon.h"
#include "runtime/core/RtCore.h"
#include "runtime/lib/RtArray.h"
#include "runtime/lib/RtBit.h"
#include "runtime/lib/RtFile.h"
#include "runtime/lib/RtInputStream.h"
#include "runtime/lib/RtOutputStream.h"
#include "runtime/lib/TextEncoding.h"
#include "tests/runtime/Raises.h"
#include "tests/support/LibraryTest.h"
#include "tests/support/TemporaryFolder.h"

namespace zemtra {
namespace {

using testing::raised;
using testing::readFile;
using testing::writeFile;
namespace fs = std::filesystem;

std::span<const uint8_t> bytesOf(std::string_view text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

class RtFileTest : public testing::LibraryTest {
  protected:
    RtFileTest() {
        fs::create_directories(folder.file("docs"));
        fs::create_directories(folder.file("assets"));
        file->setLocations({fromUtf8(folder.file("docs")), fromUtf8(folder.file("assets") + "/"),
                            fromUtf8(folder.file("lib")), fromUtf8(folder.file("tmp"))});
        docs = file->DirDocuments();
        assets = file->DirAssets();
    }
    std::string doc(const std::string& name) const { return folder.file("docs/" + name); }
    // The reason an operation on the missing document `name` gives, after its own `start`.
    String missing(const std::string& start, const std::string& name) const {
        return fromUtf8(start + "No such file or directory (" + doc(name) + ")");
    }

    testing::TemporaryFolder folder;
    std::shared_ptr<RtFile> file = RtCommon::New()->service<RtFile>();
    String docs;
    String assets;
};

TEST_F(RtFileTest, DirectoriesFollowTheConfiguredLocations) {
    EXPECT_EQ(file->DirTemp(), fromUtf8(folder.file("tmp") + "/"));
    EXPECT_TRUE(fs::is_directory(folder.file("tmp"))) << "created on first use";
    EXPECT_EQ(file->Combine(u"/a//", u"/sub/b.txt"), u"/a/sub/b.txt");
    EXPECT_EQ(file->Combine(u"/a", u"b.txt"), u"/a/b.txt");

    file->setVirtualAssetsFolder(Value(u"/elsewhere"));
    EXPECT_EQ(file->DirAssets(), u"/elsewhere");
    file->setVirtualAssetsFolder(Value());
    EXPECT_EQ(file->DirAssets(), assets);

    const FileLocations defaults =
        FileLocations::defaults([](const char* name) -> std::optional<std::string> {
            if (std::string_view(name) == "HOME") return "/home/ann";
            if (std::string_view(name) == "XDG_CONFIG_HOME") return "relative/is/ignored";
            return std::nullopt;
        });
    EXPECT_EQ(defaults.library, u"/home/ann/.config/zemtra/");
    EXPECT_EQ(defaults.temporary, u"/home/ann/.cache/zemtra/tmp/");
}

TEST_F(RtFileTest, AssetsAreReadOnlyAndReadInLowerCase) {
    writeFile(folder.file("assets/wordlist.txt"), "abc");
    EXPECT_TRUE(file->Exists(assets, u"WordList.TXT"));

    const String readonly = u"The assets folder is readonly.";
    EXPECT_EQ(raised([&] { file->OpenOutput(assets, u"wordlist.txt", true); }).reason(), readonly);
    EXPECT_EQ(raised([&] { file->Delete(assets, u"wordlist.txt"); }).reason(), readonly);
    EXPECT_EQ(raised([&] { file->SetExcludeFromBackup(assets, u"wordlist.txt", true); }).reason(),
              readonly);
    EXPECT_EQ(raised([&] { file->Copy(docs, u"x", assets, u"copy.txt"); }).reason(), readonly);
    EXPECT_EQ(raised([&] { file->MakeDir(assets, u"sub"); }).reason().substr(0, 30),
              u"Failed to create directory: Re");
    EXPECT_EQ(readFile(folder.file("assets/wordlist.txt")), "abc");
    EXPECT_FALSE(fs::exists(folder.file("assets/sub")));
    EXPECT_FALSE(fs::exists(folder.file("assets/copy.txt")));

    // Only the exact directory string counts, and other directories keep the name's case.
    writeFile(doc("Mixed.TXT"), "");
    EXPECT_TRUE(file->Exists(docs, u"Mixed.TXT"));
    EXPECT_FALSE(file->Exists(docs, u"mixed.txt"));
}

TEST_F(RtFileTest, DeleteReportsThroughItsResultAndLastError) {
    EXPECT_FALSE(file->Delete(docs, u"missing.txt"));
    ASSERT_NE(RtCore::shared()->lastError(), nullptr);
    EXPECT_EQ(RtCore::shared()->lastError()->code, ENOENT);
    EXPECT_EQ(RtCore::shared()->lastError()->localizedDescription, missing("", "missing.txt"));

    fs::create_directories(doc("tree/deeper"));
    EXPECT_TRUE(file->Exists(docs, u"tree"));
    EXPECT_TRUE(file->Delete(docs, u"tree"));
    EXPECT_FALSE(fs::exists(doc("tree")));

    // Names that lead to the folder itself or above it delete nothing.
    writeFile(doc("keep.txt"), "x");
    for (const StringView name : {u"", u".", u"/", u"sub/..", u".."}) {
        EXPECT_FALSE(file->Delete(docs, String(name))) << toUtf8(name);
    }
    EXPECT_EQ(RtCore::shared()->lastError()->code, EINVAL);
    EXPECT_TRUE(fs::exists(doc("keep.txt")));
}

TEST_F(RtFileTest, MakeDirCreatesParentsAndRefusesAFileInTheWay) {
    file->MakeDir(docs, u"a/b/c");
    EXPECT_TRUE(file->IsDirectory(docs, u"a/b/c"));
    file->MakeDir(docs, u"a/b");  // existing: no error
    writeFile(doc("plain"), "x");
    EXPECT_FALSE(file->IsDirectory(docs, u"plain"));
    EXPECT_TRUE(raised([&] { file->MakeDir(docs, u"plain"); })
                    .reason()
                    .starts_with(u"Failed to create directory: "));
    EXPECT_EQ(readFile(doc("plain")), "x");
}

TEST_F(RtFileTest, CopyReplacesTheTargetButNeverLosesIt) {
    writeFile(doc("source.txt"), "new");
    writeFile(doc("target.txt"), "old");
    file->Copy(docs, u"source.txt", docs, u"target.txt");
    EXPECT_EQ(readFile(doc("target.txt")), "new");

    EXPECT_EQ(raised([&] { file->Copy(docs, u"missing.txt", docs, u"target.txt"); }).reason(),
              missing("Error copying file: ", "missing.txt"));
    EXPECT_EQ(readFile(doc("target.txt")), "new");

    file->Copy(docs, u"target.txt", docs, u"target.txt");
    EXPECT_EQ(readFile(doc("target.txt")), "new") << "a file copied onto itself keeps its content";
    EXPECT_EQ(file->ListFiles(docs)->Size(), 2) << "no leftovers beside source and target";
}

TEST_F(RtFileTest, ListingsAndAttributes) {
    fs::create_directories(doc("sub"));
    writeFile(doc("b.txt"), "12345");
    writeFile(doc(".hidden"), "");
    auto names = file->ListFiles(docs);
    EXPECT_TRUE(names->IsReadOnly());
    ASSERT_EQ(names->Size(), 3);
    EXPECT_EQ(names->Get(0).description(), u".hidden");
    EXPECT_EQ(names->Get(2).description(), u"sub");
    EXPECT_EQ(raised([&] { file->ListFiles(docs + u"b.txt"); }).reason(),
              fromUtf8("Error reading from file system: Not a directory (" + doc("b.txt") + ")"));

    const struct timespec times[2] = {{0, UTIME_OMIT}, {1700000000, 123456789}};
    ::utimensat(AT_FDCWD, doc("b.txt").c_str(), times, 0);
    auto attributes = file->GetAttributes(docs, u"b.txt");
    EXPECT_TRUE(attributes->IsReadOnly());
    EXPECT_EQ(attributes->Get(Value(u"NSFileType")).description(), u"NSFileTypeRegular");
    EXPECT_EQ(attributes->Get(Value(u"NSFileSize")).number()->toLong(), 5);
    EXPECT_EQ(file->LastModified(docs, u"b.txt"), 1700000000123);
    EXPECT_EQ(raised([&] { file->Size(docs, u"nothing"); }).reason(),
              missing("Error getting attributes: ", "nothing"));
}

TEST_F(RtFileTest, BackupMarkIsAnExtendedAttributeWhereSupported) {
    writeFile(doc("f.txt"), "x");
    file->SetExcludeFromBackup(docs, u"f.txt", true);
    char value[8] = {};
    const ssize_t length = ::getxattr(doc("f.txt").c_str(), "user.xdg.robots.backup", value, 8);
    // Only a file system without user attributes may go without the mark.
    if (length >= 0 || errno != ENOTSUP) {
        EXPECT_EQ(std::string(value, static_cast<size_t>(std::max<ssize_t>(length, 0))), "false");
    }
    file->SetExcludeFromBackup(docs, u"f.txt", false);
    file->SetExcludeFromBackup(docs, u"f.txt", false);  // clearing twice is fine
    EXPECT_LT(::getxattr(doc("f.txt").c_str(), "user.xdg.robots.backup", value, 8), 0);
    EXPECT_EQ(raised([&] { file->SetExcludeFromBackup(docs, u"gone.txt", true); }).reason(),
              missing("Error setting ExcludeFromBackup flag: ", "gone.txt"));
}

// Runs of CR and LF in any mix end one line; CRLF and blank lines in the word list are covered
// by the module's file tests.
TEST_F(RtFileTest, ListsSplitAtEveryRunOfLineEndsAndWriteOneLinePerElement) {
    const std::pair<std::string, std::vector<String>> cases[] = {{"a\rb\r", {u"a", u"b"}},
                                                                 {"a\r\n\nb\n", {u"a", u"b"}},
                                                                 {"\na\n", {u"", u"a"}},
                                                                 {"", {u""}},
                                                                 {"w\xc3\xb6rd\n", {u"w\u00f6rd"}}};
    for (const auto& [bytes, lines] : cases) {
        writeFile(doc("lines.txt"), bytes);
        EXPECT_EQ(testing::texts(*file->ReadList(docs, u"lines.txt")), lines) << bytes;
    }
    file->WriteList(docs, u"l.txt", RtList::create());
    EXPECT_EQ(readFile(doc("l.txt")), "");
    file->WriteList(docs, u"l.txt", RtList::of({Value(u"x\ny"), Value::ofDouble(0.5), Value()}));
    EXPECT_EQ(readFile(doc("l.txt")), "x\ny\n0.5\n<null>\n");
    auto lines = file->ReadList(docs, u"l.txt");
    lines->Add(Value(u"more"));  // an ordinary growable list
    EXPECT_EQ(lines->Size(), 5);
}

// Keys escape "=" and "\\"; line breaks in values become spaces. A carriage return in a value
// started a line of its own on reading; a line break in a key, or a backslash at its end, made
// the entry unreadable: such a key is refused and the file left alone.
TEST_F(RtFileTest, MapFilesReadBackAsWritten) {
    auto map = RtMap::create();
    map->Put(Value(u"a=b"), Value(u"x\ny"));
    file->WriteMap(docs, u"m.txt", map);
    EXPECT_EQ(readFile(doc("m.txt")), "a\\=b=x y\n");

    map->Put(Value::ofInt(7), Value::ofDouble(2.5));
    map->Put(Value(u"path"), Value(u"c:=d=e"));
    map->Put(Value(u"cr"), Value(u"a\rb"));
    map->Put(Value(u"crlf"), Value(u"a\r\nb\n"));
    map->Put(Value(u"x\\=y"), Value(u"\\"));
    file->WriteMap(docs, u"m.txt", map);
    const std::string written = readFile(doc("m.txt"));
    auto back = file->ReadMap(docs, u"m.txt");
    EXPECT_EQ(back->Size(), 6);
    for (const auto& [key, value] :
         std::initializer_list<std::pair<const char16_t*, const char16_t*>>{{u"a=b", u"x y"},
                                                                            {u"path", u"c:=d=e"},
                                                                            {u"cr", u"a b"},
                                                                            {u"crlf", u"a b "},
                                                                            {u"x\\=y", u"\\"}}) {
        EXPECT_EQ(back->Get(Value(key)).description(), value) << toUtf8(key);
    }
    ASSERT_TRUE(back->Get(Value(u"7")).isString()) << "everything reads back as text";
    EXPECT_EQ(*back->Get(Value(u"7")).string(), u"2.5");

    for (const String key : {u"line\nbreak", u"carriage\rreturn", u"ends\\"}) {
        auto unreadable = RtMap::create();
        unreadable->Put(Value(u"kept"), Value(u"1"));
        unreadable->Put(Value(key), Value(u"v"));
        EXPECT_TRUE(raised([&] { file->WriteMap(docs, u"m.txt", unreadable); })
                        .reason()
                        .starts_with(u"Error writing file: The key \"" + key + u"\""));
        EXPECT_EQ(readFile(doc("m.txt")), written) << "a refused map leaves the file alone";
    }

    // Files of the old format read as before.
    writeFile(doc("m.txt"), "no separator\nk=\nescaped\\=only\nk=second\n=v\n");
    back = file->ReadMap(docs, u"m.txt");
    EXPECT_EQ(back->Size(), 2);
    EXPECT_EQ(back->Get(Value(u"k")).description(), u"second") << "a later line replaces";
    EXPECT_EQ(back->Get(Value(u"")).description(), u"v");
}

TEST_F(RtFileTest, MissingFilesAndBadBytesGiveTheirMessages) {
    EXPECT_EQ(raised([&] { file->ReadMap(docs, u"missing.txt"); }).reason(),
              missing("Error reading file: ", "missing.txt"));
    EXPECT_EQ(raised([&] { file->WriteString(docs, u"no/dir.txt", u"x"); }).reason(),
              missing("Error writing file: ", "no/dir.txt"));

    writeFile(doc("latin1.txt"), "caf\xe9\n");
    EXPECT_EQ(raised([&] { file->ReadList(docs, u"latin1.txt"); }).reason(),
              u"Error reading file. Incorrect encoding");
    EXPECT_EQ(file->ReadString2(docs, u"latin1.txt", u"ISO-8859-1"), u"caf\u00e9\n");
}

TEST_F(RtFileTest, WritesReplaceTheFileOrLeaveItAlone) {
    file->WriteString(docs, u"t.txt", u"first, longer text");
    file->WriteString2(docs, u"t.txt", u"\u00e9", u"iso-8859-1");
    EXPECT_EQ(readFile(doc("t.txt")), "\xe9");

    // Text the character set cannot hold fails before the file is touched.
    EXPECT_TRUE(raised([&] { file->WriteString2(docs, u"t.txt", u"\u20ac", u"US-ASCII"); })
                    .reason()
                    .starts_with(u"Error writing file: The text cannot be represented in "));
    EXPECT_EQ(readFile(doc("t.txt")), "\xe9");

    // Whole-file writes into the assets folder fail as writes, with the name lower-cased.
    writeFile(folder.file("assets/sp.txt"), "1\n");
    EXPECT_EQ(raised([&] { file->WriteString(assets, u"SP.txt", u"2\n"); }).reason(),
              fromUtf8("Error writing file: Read-only file system (" +
                       folder.file("assets/sp.txt") + ")"));
    EXPECT_EQ(readFile(folder.file("assets/sp.txt")), "1\n");
}

// Streams on real files and memory: append versus truncate, open and read failures, sinks that
// stall or fail, the replacing stream, byte-array regions and the stream copies.
TEST_F(RtFileTest, OutputStreamAppendsOrTruncates) {
    const std::string path = doc("log.txt");
    writeFile(path, "old\n");
    // The module's way of appending a line: GetBytes, then WriteBytes of the whole array.
    auto appending = file->OpenOutput(docs, u"log.txt", true);
    const auto line = strings::GetBytes(u"new\n", u"UTF8");
    appending->WriteBytes(line, 0, line->Length());
    appending->Close();
    EXPECT_EQ(readFile(path), "old\nnew\n");

    auto truncating = file->OpenOutput(docs, u"log.txt", false);
    EXPECT_EQ(readFile(path), "") << "truncated on opening, before any write";
    truncating->WriteBytes(line, 1, 3);
    truncating->Close();
    EXPECT_EQ(readFile(path), "ew\n");
}

TEST_F(RtFileTest, OpeningAndReadingFailuresNameTheCause) {
    EXPECT_EQ(raised([&] { file->OpenInput(docs, u"missing.txt"); }).reason(),
              missing("Error opening stream: ", "missing.txt"));
    // Linux would open a directory for reading; the stream refuses it up front.
    fs::create_directory(doc("sub"));
    EXPECT_EQ(raised([&] { file->OpenInput(docs, u"sub"); }).reason(),
              fromUtf8("Error opening stream: Is a directory (" + doc("sub") + ")"));

    writeFile(doc("data.bin"), "abc");
    auto input = file->OpenInput(docs, u"data.bin");
    std::array<uint8_t, 8> buffer{};
    EXPECT_EQ(input->readInto(buffer), 3);
    EXPECT_EQ(input->readInto(buffer), 0) << "end of stream";
    input->Close();
    EXPECT_EQ(raised([&] { input->readInto(buffer); }).reason(),
              u"Error reading from stream: The stream is closed.");
}

// Accepts at most `perCall` bytes per offer (0: nothing ever), counting the offers.
class TrickleSink final : public OutputByteStream {
  public:
    explicit TrickleSink(size_t perCall) : perCall_(perCall) {}
    void open() override { setStatus(StreamStatus::Open); }
    int64_t write(std::span<const uint8_t> bytes) override {
        ++offers;
        const size_t taken = std::min(perCall_, bytes.size());
        received.append(reinterpret_cast<const char*>(bytes.data()), taken);
        return static_cast<int64_t>(taken);
    }
    bool close() override { return true; }
    int offers = 0;
    std::string received;

  private:
    size_t perCall_;
};

TEST_F(RtFileTest, WritesFinishOnSlowSinksAndFailOnDeadOnes) {
    auto slow = std::make_shared<TrickleSink>(1);
    RtOutputStream::opening(slow)->writeAll(bytesOf("hello"));
    EXPECT_EQ(slow->received, "hello");

    auto dead = std::make_shared<TrickleSink>(0);
    EXPECT_EQ(raised([&] { RtOutputStream::opening(dead)->writeAll(bytesOf("x")); }).reason(),
              u"Error writing to stream: The stream accepted no data.");
    EXPECT_GT(dead->offers, 1) << "a stall is retried before the write fails";

    // A device that reports every write as failed.
    auto full = file->OpenOutput(u"/dev", u"full", false);
    EXPECT_EQ(raised([&] { full->writeAll(bytesOf("x")); }).reason(),
              u"Error writing to stream: No space left on device (/dev/full)");
}

TEST_F(RtFileTest, ReplacingStreamTakesThePlaceOfTheTargetOnlyOnClose) {
    const std::string path = doc("sp.txt");
    writeFile(path, "old\n");
    ::chmod(path.c_str(), 0640);

    auto abandoned = file->OpenOutputAtomic(docs, u"sp.txt");
    abandoned->writeAll(bytesOf("half"));
    abandoned.reset();  // never closed: as if the program had died mid-save
    EXPECT_EQ(readFile(path), "old\n");

    auto stream = file->OpenOutputAtomic(docs, u"sp.txt");
    stream->writeAll(bytesOf("new\n"));
    EXPECT_EQ(readFile(path), "old\n");
    stream->Close();
    EXPECT_EQ(readFile(path), "new\n");
    struct stat info {};
    ::stat(path.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u) << "permissions of the replaced file carried over";
    EXPECT_EQ(file->ListFiles(docs)->Size(), 1) << "no temporary file left behind";

    // The rename fails when the target has become a non-empty directory; the caller hears of it.
    fs::create_directories(doc("blocked/inside"));
    auto blocked = file->OpenOutputAtomic(docs, u"blocked");
    EXPECT_TRUE(
        raised([&] { blocked->Close(); }).reason().starts_with(u"Error writing to stream: "));
    EXPECT_TRUE(fs::is_directory(doc("blocked/inside")));
}

TEST_F(RtFileTest, MemoryStreamsMoveTheRequestedRegionOfByteArrays) {
    auto memory = std::make_shared<RtOutputStream>();
    memory->InitializeToBytesArray(0);
    memory->WriteBytes(RtArray::ofBytes({1, 2, 3, 4}), 1, 2);
    const auto snapshot = memory->ToBytesArray();
    memory->WriteBytes(RtArray::ofBytes({9}), 0, 1);
    EXPECT_EQ(snapshot->bytesData()->bytes, (std::vector<uint8_t>{2, 3}));
    EXPECT_EQ(memory->ToBytesArray()->bytesData()->bytes, (std::vector<uint8_t>{2, 3, 9}));

    // An input stream over part of an array reads the array's bytes as they are at read time.
    const auto source = RtArray::ofBytes({10, 20, 30, 40, 50});
    auto input = std::make_shared<RtInputStream>();
    input->InitializeFromBytesArray(source, 1, 3);
    source->setByteFast(2, Value::ofInt(99));
    const auto target = RtArray::ofBytes(std::vector<uint8_t>(8, 0));
    EXPECT_EQ(input->ReadBytes(target, 2, 6), 3);
    EXPECT_EQ(target->bytesData()->bytes, (std::vector<uint8_t>{0, 0, 20, 99, 40, 0, 0, 0}));
    EXPECT_EQ(input->ReadBytes(target, 0, 8), 0);

    // Regions outside the array fail before any byte moves.
    EXPECT_EQ(raised([&] { input->ReadBytes(target, 4, 5); }).reason(),
              u"Out of bounds. Index=9 Length=8");
    EXPECT_EQ(raised([&] { memory->WriteBytes(target, -1, 1); }).reason(),
              u"Out of bounds. Index=-1 Length=8");
    EXPECT_EQ(raised([&] { input->InitializeFromBytesArray(source, 3, 3); }).reason(),
              u"Out of bounds. Index=6 Length=5");
    EXPECT_EQ(memory->ToBytesArray()->Length(), 3);
}

TEST_F(RtFileTest, StreamCopiesMoveEverythingAndCloseOnlyTheInput) {
    std::string content(20000, 'z');  // more than two 8192-byte chunks
    content[8191] = 'a';
    content.back() = 'b';
    writeFile(doc("in.bin"), content);
    auto input = file->OpenInput(docs, u"in.bin");
    auto output = file->OpenOutput(docs, u"out.bin", false);
    file->Copy2(input, output);
    output->writeAll(bytesOf("!"));  // still open
    output->Close();
    EXPECT_EQ(readFile(doc("out.bin")), content + "!");
    EXPECT_EQ(input->objectAs<InputByteStream>()->status(), StreamStatus::Closed);

    writeFile(doc("empty.bin"), "");
    auto sink = std::make_shared<TrickleSink>(100);
    file->Copy2(file->OpenInput(docs, u"empty.bin"), RtOutputStream::opening(sink));
    EXPECT_EQ(sink->offers, 0);

    // Absent streams are reported, not dereferenced.
    const auto bytes =
        RtCommon::New()->service<RtBit>()->InputStreamToBytes(file->OpenInput(docs, u"in.bin"));
    EXPECT_EQ(std::string(bytes->bytesData()->bytes.begin(), bytes->bytesData()->bytes.end()),
              content);
    EXPECT_EQ(raised([&] { file->Copy2(nullptr, nullptr); }).reason(),
              u"Object was not initialized (NSInputStream)");
}

}  // namespace
}  // namespace zemtra
