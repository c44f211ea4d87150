// The POSIX file layer: descriptor ownership, and whole reads and writes through a pipe while
// signals keep interrupting both ends.
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "runtime/lib/PosixFile.h"
#include "tests/support/TemporaryFolder.h"

namespace zemtra {
namespace {

bool isOpenDescriptor(int descriptor) {
    return ::fcntl(descriptor, F_GETFD) != -1;
}

TEST(PosixFile, OwnershipMovesAndEachDescriptorIsClosedOnce) {
    testing::TemporaryFolder folder;
    int error = -1;
    FileDescriptor first =
        FileDescriptor::open(folder.file("a"), O_WRONLY | O_CREAT | O_TRUNC, 0600, &error);
    ASSERT_TRUE(first.isOpen());
    EXPECT_EQ(error, 0);
    EXPECT_TRUE(::fcntl(first.get(), F_GETFD) & FD_CLOEXEC);
    const int descriptor = first.get();

    FileDescriptor second = std::move(first);
    EXPECT_FALSE(first.isOpen());
    EXPECT_EQ(second.get(), descriptor);
    {
        FileDescriptor third;
        third = std::move(second);
        EXPECT_TRUE(isOpenDescriptor(descriptor));
    }
    EXPECT_FALSE(isOpenDescriptor(descriptor)) << "closed when its last owner went";

    FileDescriptor replaced = FileDescriptor::open(folder.file("a"), O_RDONLY);
    const int old = replaced.get();
    replaced = FileDescriptor::open(folder.file("a"), O_RDONLY);
    EXPECT_FALSE(isOpenDescriptor(old)) << "an assigned-over descriptor is closed";

    const FileDescriptor missing = FileDescriptor::open(folder.file("none"), O_RDONLY, 0, &error);
    EXPECT_FALSE(missing.isOpen());
    EXPECT_EQ(error, ENOENT);
}

// A handler installed without SA_RESTART makes blocking reads and writes fail with EINTR (or
// return short) whenever a signal arrives, as any signal the program catches may.
class InterruptingSignal {
  public:
    InterruptingSignal() {
        struct sigaction action {};
        action.sa_handler = [](int) {};
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGUSR1, &action, &saved_);
    }
    ~InterruptingSignal() { ::sigaction(SIGUSR1, &saved_, nullptr); }

  private:
    struct sigaction saved_ {};
};

TEST(PosixFile, WholeTransfersCarryOnThroughInterruptsAndShortWrites) {
    const InterruptingSignal interrupting;
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    FileDescriptor readEnd(ends[0]);
    FileDescriptor writeEnd(ends[1]);

    // Four megabytes through a 64 KiB pipe: the writer blocks and is cut short many times.
    std::vector<uint8_t> sent(4 << 20);
    for (size_t i = 0; i < sent.size(); ++i) sent[i] = static_cast<uint8_t>(i * 7 + i / 251);
    std::atomic<bool> done{false};
    int writeError = -1;
    std::thread writer([&] {
        writeError = writeEnd.writeAll(sent);
        writeEnd.reset();
    });
    const pthread_t reader = ::pthread_self();
    std::atomic<int> signalsSent{0};
    std::thread interrupter([&] {
        while (!done.load()) {
            ::pthread_kill(reader, SIGUSR1);
            ::pthread_kill(writer.native_handle(), SIGUSR1);
            signalsSent.fetch_add(1);
            std::this_thread::yield();
        }
    });

    std::vector<uint8_t> received;
    const int readError = readEnd.readAll(received);
    // The writer is joined last: until then its thread id stays valid for pthread_kill.
    done = true;
    interrupter.join();
    writer.join();

    EXPECT_EQ(readError, 0);
    EXPECT_EQ(writeError, 0);
    EXPECT_TRUE(received == sent) << received.size() << " of " << sent.size() << " bytes";
    EXPECT_GT(signalsSent.load(), 0);
}

}  // namespace
}  // namespace zemtra
