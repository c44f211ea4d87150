// Streams on real files and memory: append versus truncate, open and read failures, sinks that
// stall or fail, the replacing stream, byte-array regions and the stream copies.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "runtime/core/RtCommon.h"
#include "runtime/lib/RtArray.h"
#include "runtime/lib/RtBit.h"
#include "runtime/lib/RtFile.h"
#include "runtime/lib/TextEncoding.h"
#include "tests/runtime/Raises.h"
#include "tests/support/LibraryTest.h"
#include "tests/support/TemporaryFolder.h"

namespace zemtra {
namespace {

using testing::raised;
using testing::readFile;
using testing::writeFile;

std::span<const uint8_t> bytesOf(std::string_view text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

class FileStreamsTest : public testing::LibraryTest {
  protected:
    FileStreamsTest() { file->setLocations({dir, fromUtf8(folder.file("assets")), dir, dir}); }
    testing::TemporaryFolder folder;
    String dir = fromUtf8(folder.dir());
    std::shared_ptr<RtFile> file = RtCommon::New()->service<RtFile>();
};

TEST_F(FileStreamsTest, OutputStreamAppendsOrTruncates) {
    const std::string path = folder.file("log.txt");
    writeFile(path, "old\n");
    // The module's way of appending a line: GetBytes, then WriteBytes of the whole array.
    auto appending = file->OpenOutput(dir, u"log.txt", true);
    const auto line = strings::GetBytes(u"new\n", u"UTF8");
    appending->WriteBytes(line, 0, line->Length());
    appending->Close();
    EXPECT_EQ(readFile(path), "old\nnew\n");

    auto truncating = file->OpenOutput(dir, u"log.txt", false);
    EXPECT_EQ(readFile(path), "") << "truncated on opening, before any write";
    truncating->WriteBytes(line, 1, 3);
    truncating->Close();
    EXPECT_EQ(readFile(path), "ew\n");
}

TEST_F(FileStreamsTest, OpeningAndReadingFailuresNameTheCause) {
    EXPECT_EQ(raised([&] { file->OpenInput(dir, u"missing.txt"); }).reason(),
              fromUtf8("Error opening stream: No such file or directory (" +
                       folder.file("missing.txt") + ")"));
    // Linux would open a directory for reading; the stream refuses it up front.
    std::filesystem::create_directory(folder.file("sub"));
    EXPECT_EQ(raised([&] { file->OpenInput(dir, u"sub"); }).reason(),
              fromUtf8("Error opening stream: Is a directory (" + folder.file("sub") + ")"));

    writeFile(folder.file("data.bin"), "abc");
    auto input = file->OpenInput(dir, u"data.bin");
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

TEST_F(FileStreamsTest, WritesFinishOnSlowSinksAndFailOnDeadOnes) {
    auto slow = std::make_shared<TrickleSink>(1);
    RtOutputStream::opening(slow)->writeAll(bytesOf("hello"));
    EXPECT_EQ(slow->received, "hello");

    auto dead = std::make_shared<TrickleSink>(0);
    EXPECT_EQ(raised([&] { RtOutputStream::opening(dead)->writeAll(bytesOf("x")); }).reason(),
              u"Error writing to stream: The stream accepted no data.");
    EXPECT_EQ(dead->offers, RtOutputStream::kStalledWriteLimit);

    // A device that reports every write as failed.
    auto full = file->OpenOutput(u"/dev", u"full", false);
    EXPECT_EQ(raised([&] { full->writeAll(bytesOf("x")); }).reason(),
              u"Error writing to stream: No space left on device (/dev/full)");
}

TEST_F(FileStreamsTest, ReplacingStreamTakesThePlaceOfTheTargetOnlyOnClose) {
    const std::string path = folder.file("sp.txt");
    writeFile(path, "old\n");
    ::chmod(path.c_str(), 0640);

    auto abandoned = file->OpenOutputAtomic(dir, u"sp.txt");
    abandoned->writeAll(bytesOf("half"));
    abandoned.reset();  // never closed: as if the program had died mid-save
    EXPECT_EQ(readFile(path), "old\n");

    auto stream = file->OpenOutputAtomic(dir, u"sp.txt");
    stream->writeAll(bytesOf("new\n"));
    EXPECT_EQ(readFile(path), "old\n");
    stream->Close();
    EXPECT_EQ(readFile(path), "new\n");
    struct stat info {};
    ::stat(path.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u) << "permissions of the replaced file carried over";
    EXPECT_EQ(file->ListFiles(dir)->Size(), 1) << "no temporary file left behind";

    // The rename fails when the target has become a non-empty directory; the caller hears of it.
    std::filesystem::create_directories(folder.file("blocked/inside"));
    auto blocked = file->OpenOutputAtomic(dir, u"blocked");
    EXPECT_TRUE(
        raised([&] { blocked->Close(); }).reason().starts_with(u"Error writing to stream: "));
    EXPECT_TRUE(std::filesystem::is_directory(folder.file("blocked/inside")));
}

TEST_F(FileStreamsTest, MemoryStreamsMoveTheRequestedRegionOfByteArrays) {
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

TEST_F(FileStreamsTest, StreamCopiesMoveEverythingAndCloseOnlyTheInput) {
    std::string content(20000, 'z');  // more than two 8192-byte chunks
    content[8191] = 'a';
    content.back() = 'b';
    writeFile(folder.file("in.bin"), content);
    auto input = file->OpenInput(dir, u"in.bin");
    auto output = file->OpenOutput(dir, u"out.bin", false);
    file->Copy2(input, output);
    output->writeAll(bytesOf("!"));  // still open
    output->Close();
    EXPECT_EQ(readFile(folder.file("out.bin")), content + "!");
    EXPECT_EQ(input->objectAs<InputByteStream>()->status(), StreamStatus::Closed);

    writeFile(folder.file("empty.bin"), "");
    auto sink = std::make_shared<TrickleSink>(100);
    file->Copy2(file->OpenInput(dir, u"empty.bin"), RtOutputStream::opening(sink));
    EXPECT_EQ(sink->offers, 0);

    // Absent streams are reported, not dereferenced.
    const auto bytes =
        RtCommon::New()->service<RtBit>()->InputStreamToBytes(file->OpenInput(dir, u"in.bin"));
    EXPECT_EQ(std::string(bytes->bytesData()->bytes.begin(), bytes->bytesData()->bytes.end()),
              content);
    EXPECT_EQ(raised([&] { file->Copy2(nullptr, nullptr); }).reason(),
              u"Object was not initialized (NSInputStream)");
}

}  // namespace
}  // namespace zemtra
