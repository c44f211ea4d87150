// Streams on real files: append versus truncate, open and read failures, sinks that stall or
// fail, the replacing stream, and the stream copy.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "runtime/core/RtCommon.h"
#include "runtime/lib/FileStreams.h"
#include "runtime/lib/RtFile.h"
#include "runtime/lib/RtInputStream.h"
#include "runtime/lib/RtOutputStream.h"
#include "tests/runtime/lib/FileTestSupport.h"
#include "tests/runtime/lib/Raises.h"
#include "tests/support/TestSupport.h"

namespace zemtra {
namespace {

using testing::raised;
using testing::readBytes;
using testing::writeBytes;

std::span<const uint8_t> bytesOf(std::string_view text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

class FileStreamsTest : public testing::RuntimeTest {
  protected:
    FileStreamsTest() {
        file->setLocations(
            {folder.dir(), fromUtf8(folder.file("assets")), folder.dir(), folder.dir()});
    }
    testing::TemporaryFolder folder;
    std::shared_ptr<RtFile> file = RtCommon::New()->service<RtFile>();
};

TEST_F(FileStreamsTest, OutputStreamAppendsOrTruncates) {
    const std::string path = folder.file("log.txt");
    writeBytes(path, "old\n");
    auto appending = file->OpenOutput(folder.dir(), u"log.txt", true);
    appending->writeAll(bytesOf("new\n"));
    appending->Close();
    EXPECT_EQ(readBytes(path), "old\nnew\n");

    auto truncating = file->OpenOutput(folder.dir(), u"log.txt", false);
    EXPECT_EQ(readBytes(path), "") << "truncated on opening, before any write";
    truncating->writeAll(bytesOf("only\n"));
    truncating->Close();
    EXPECT_EQ(readBytes(path), "only\n");

    // Append mode creates a missing file.
    auto created = file->OpenOutput(folder.dir(), u"fresh.txt", true);
    created->Close();
    EXPECT_TRUE(std::filesystem::exists(folder.file("fresh.txt")));
}

TEST_F(FileStreamsTest, OpeningAndReadingFailuresNameTheCause) {
    const std::string missing = folder.file("missing.txt");
    EXPECT_EQ(raised([&] { file->OpenInput(folder.dir(), u"missing.txt"); }).reason(),
              fromUtf8("Error opening stream: No such file or directory (" + missing + ")"));
    EXPECT_EQ(raised([&] { file->OpenOutput(folder.dir(), u"no/such/dir.txt", true); }).reason(),
              fromUtf8("Error opening stream: No such file or directory (" +
                       folder.file("no/such/dir.txt") + ")"));
    // Linux would open a directory for reading; the stream refuses it up front.
    std::filesystem::create_directory(folder.file("sub"));
    EXPECT_EQ(raised([&] { file->OpenInput(folder.dir(), u"sub"); }).reason(),
              fromUtf8("Error opening stream: Is a directory (" + folder.file("sub") + ")"));

    writeBytes(folder.file("data.bin"), "abc");
    auto input = file->OpenInput(folder.dir(), u"data.bin");
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
    writeBytes(path, "old\n");
    ::chmod(path.c_str(), 0640);

    auto abandoned = file->OpenOutputAtomic(folder.dir(), u"sp.txt");
    abandoned->writeAll(bytesOf("half"));
    EXPECT_EQ(readBytes(path), "old\n");
    abandoned.reset();  // never closed: as if the program had died mid-save
    EXPECT_EQ(readBytes(path), "old\n");

    auto stream = file->OpenOutputAtomic(folder.dir(), u"sp.txt");
    stream->writeAll(bytesOf("new\n"));
    EXPECT_EQ(readBytes(path), "old\n");
    stream->Close();
    EXPECT_EQ(readBytes(path), "new\n");
    struct stat info {};
    ::stat(path.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u) << "permissions of the replaced file carried over";

    // Nothing but the target is left in the folder.
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path()))
        ++entries;
    EXPECT_EQ(entries, 1);

    // The rename fails when the target has become a non-empty directory; the caller hears of it.
    std::filesystem::create_directories(folder.file("blocked/inside"));
    auto blocked = file->OpenOutputAtomic(folder.dir(), u"blocked");
    blocked->writeAll(bytesOf("x"));
    EXPECT_EQ(raised([&] { blocked->Close(); }).reason().substr(0, 25),
              u"Error writing to stream: ");
    EXPECT_TRUE(std::filesystem::is_directory(folder.file("blocked/inside")));
}

TEST_F(FileStreamsTest, StreamCopyMovesEverythingAndClosesOnlyTheInput) {
    std::string content(20000, 'z');
    content[8191] = 'a';
    content[19999] = 'b';
    writeBytes(folder.file("in.bin"), content);
    auto input = file->OpenInput(folder.dir(), u"in.bin");
    auto output = file->OpenOutput(folder.dir(), u"out.bin", false);
    file->Copy2(input, output);
    output->writeAll(bytesOf("!"));  // still open
    output->Close();
    EXPECT_EQ(readBytes(folder.file("out.bin")), content + "!");
    std::array<uint8_t, 1> buffer{};
    EXPECT_THROW(input->readInto(buffer), RtException);

    writeBytes(folder.file("empty.bin"), "");
    auto emptyInput = file->OpenInput(folder.dir(), u"empty.bin");
    auto sink = std::make_shared<TrickleSink>(100);
    file->Copy2(emptyInput, RtOutputStream::opening(sink));
    EXPECT_EQ(sink->offers, 0);
    EXPECT_EQ(emptyInput->objectAs<InputByteStream>()->status(), StreamStatus::Closed);
}

}  // namespace
}  // namespace zemtra
