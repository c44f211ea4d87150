// The documents writer on real files: the order of the jobs on one file, the newest replace taking
// the place of a waiting one, reports on the main queue's thread, appends whole or not at all
// under a file size limit (failures with their error number), and nothing lost at its end.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "runtime/lib/DocumentWriter.h"
#include "runtime/lib/PosixFile.h"
#include "tests/support/TemporaryFolder.h"
#include "tests/support/TestSupport.h"

namespace zemtra {
namespace {

using testing::readFile;
using testing::writeFile;
using Outcome = DocumentWriter::Outcome;

class DocumentWriterTest : public testing::RuntimeTest {
  protected:
    // Collects outcomes, checking that each report runs on the test's (the main queue's) thread.
    DocumentWriter::Report collect() {
        return [this](const Outcome& outcome) {
            EXPECT_EQ(std::this_thread::get_id(), mainThread);
            outcomes.push_back(outcome);
        };
    }

    // A named pipe that holds the writer in its next job (opening it for writing waits for a
    // reader) until release() opens it for reading.
    std::string gate() {
        const std::string path = folder.file("gate");
        EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
        return path;
    }
    void release(const std::string& gate) {
        const FileDescriptor reader = FileDescriptor::open(gate, O_RDONLY);
        std::vector<uint8_t> passed;
        EXPECT_EQ(reader.readAll(passed), 0);
    }

    testing::TemporaryFolder folder{"zemtra-writer"};
    const std::thread::id mainThread = std::this_thread::get_id();
    std::vector<Outcome> outcomes;
};

TEST_F(DocumentWriterTest, JobsOnOneFileKeepTheirOrderAndTheNewestWaitingReplaceWins) {
    DocumentWriter writer(queue, DocumentWriter::Delivery::posted);
    const std::string held = gate(), x = folder.file("x"), y = folder.file("y");
    writer.append(held, "go");
    writer.replace(x, "1", collect());
    writer.replace(x, "2", collect());  // takes the place of "1"
    writer.append(y, "a", collect());
    writer.append(x, "+", collect());
    writer.replace(x, "3", collect());  // after the append: no waiting replace to take
    writer.append(x, "!", collect());
    writer.replace(y, "b", collect());
    release(held);
    EXPECT_TRUE(writer.drain());
    EXPECT_EQ(readFile(x), "3!");
    EXPECT_EQ(readFile(y), "b");
    ASSERT_EQ(outcomes.size(), 7u) << "the replace that was taken over is answered too";
    for (const Outcome& outcome : outcomes) EXPECT_TRUE(outcome.ok());
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
        EXPECT_NE(entry.path().filename().string().front(), '.') << "nothing left beside";
}

TEST_F(DocumentWriterTest, PostedReportsHoldTheVirtualClockUntilTheyAreOnTheQueue) {
    DocumentWriter writer(queue, DocumentWriter::Delivery::posted);
    writer.append(folder.file("a"), "1\n", collect());
    queue.runFor(std::chrono::milliseconds(0));
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_TRUE(outcomes.back()->created);
}

// A file size limit cuts a write short, as a full disk does: the part that got in is taken out
// again, and a file the append had to start goes, so that the next try starts it with its header.
// In step (the virtual clock's default), each report has run when the hand-over returns.
TEST_F(DocumentWriterTest, AnAppendIsWholeOrNotAtAll) {
    DocumentWriter writer(queue);
    const std::string log = folder.file("log"), fresh = folder.file("fresh");
    writeFile(log, std::string(100, 'r'));
    rlimit previous{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = previous;
    limited.rlim_cur = 110;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    writer.append(log, std::string(20, 'a'), collect());
    writer.append(fresh, "record\n", collect(), std::string(105, 'h'));
    writer.append(log, std::string(10, 'b'), collect());
    ::setrlimit(RLIMIT_FSIZE, &previous);
    ::signal(SIGXFSZ, oldHandler);
    writer.append(fresh, "record\n", collect(), "header\n");
    writer.append(fresh, "again\n", collect(), "header\n");

    ASSERT_EQ(outcomes.size(), 5u);
    ASSERT_FALSE(outcomes[0].ok());
    EXPECT_EQ(outcomes[0].failure().code, std::errc::file_too_large);
    EXPECT_EQ(outcomes[0].error(), "File too large (" + log + ")");
    EXPECT_EQ(outcomes[1].failure().code, std::errc::file_too_large);
    EXPECT_TRUE(outcomes[2].ok()) << "the next one that fits goes in";
    EXPECT_EQ(readFile(log), std::string(100, 'r') + std::string(10, 'b'));
    ASSERT_TRUE(outcomes[3].ok());
    EXPECT_TRUE(outcomes[3]->created);
    EXPECT_FALSE(outcomes[4]->created);
    EXPECT_EQ(readFile(fresh), "header\nrecord\nagain\n");
}

TEST_F(DocumentWriterTest, EverythingHandedOverIsWrittenBeforeItEndsAndNoReportOutlivesIt) {
    const std::string log = folder.file("log");
    std::string expected;
    {
        DocumentWriter writer(queue, DocumentWriter::Delivery::posted);
        for (int line = 0; line < 1000; ++line) {
            const std::string text = std::to_string(line) + "\n";
            writer.append(log, text, collect());
            expected += text;
        }
        writer.replace(folder.file("saved"), "last", collect());
    }
    EXPECT_EQ(readFile(log), expected);
    EXPECT_EQ(readFile(folder / "saved"), "last");
    queue.runUntilIdle();
    EXPECT_TRUE(outcomes.empty()) << "reports still due at the end are dropped";
}

}  // namespace
}  // namespace zemtra
