// The signal watcher in this process: the signals that ask a program to end quit the queue once,
// the ones that would end it by default for no reason are taken and ignored, and a watcher that
// cannot start leaves no descriptor and no blocked signal behind. The built program's own end on
// a real signal is in the end-to-end tests.
#include <pthread.h>
#include <signal.h>

#include <filesystem>
#include <optional>
#include <system_error>

#include <gtest/gtest.h>

#include "app/SignalWatcher.h"
#include "tests/support/TestSupport.h"

namespace zemtra::app {
namespace {

// Signals sent to this process that the watcher did not read stay pending (they are blocked);
// take them so that they reach no later test.
void dropPendingSignals() {
    sigset_t watched;
    sigemptyset(&watched);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGUSR1, SIGUSR2, SIGPIPE})
        sigaddset(&watched, signal);
    const timespec now{};
    while (sigtimedwait(&watched, nullptr, &now) > 0) {
    }
}

// The status of queue.run() once `signals` have been sent, and the signal the watcher took.
std::pair<int, int> runAfter(std::initializer_list<int> signals) {
    RealClock clock;
    MainQueue queue(clock);
    std::optional<int> received;
    int status = -1;
    {
        // Before any other thread, which must inherit the blocked mask.
        const SignalWatcher watcher(queue);
        const testing::Watchdog watchdog(queue);
        for (const int signal : signals) ::kill(::getpid(), signal);
        status = queue.run();
        received = watcher.received();
    }
    dropPendingSignals();
    return {status, *received};
}

TEST(SignalWatcher, EachEndingSignalQuitsTheQueueOnceInOrder) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(strsignal(signal));
        EXPECT_EQ(runAfter({signal}), std::make_pair(0, signal));
    }
    // A second one while the first is being handled changes nothing (pending signals are read
    // lowest number first).
    EXPECT_EQ(runAfter({SIGINT, SIGTERM}), std::make_pair(0, SIGINT));
    // Signals that would end a process by default for no reason of ours are taken and ignored.
    EXPECT_EQ(runAfter({SIGUSR1, SIGUSR2, SIGPIPE, SIGTERM}), std::make_pair(0, SIGTERM));
}

TEST(SignalWatcher, AWatcherThatCannotStartLeavesNothingBehind) {
    const auto openDescriptors = [] {
        const std::filesystem::directory_iterator entries("/proc/self/fd");
        return std::distance(std::filesystem::begin(entries), std::filesystem::end(entries));
    };
    sigset_t maskBefore, maskAfter;
    pthread_sigmask(SIG_BLOCK, nullptr, &maskBefore);
    const auto descriptorsBefore = openDescriptors();

    // No thread can start with a stack larger than the address space.
    pthread_attr_t usual, huge;
    pthread_getattr_default_np(&usual);
    pthread_attr_init(&huge);
    pthread_attr_setstacksize(&huge, size_t{1} << 47);
    pthread_setattr_default_np(&huge);
    RealClock clock;
    MainQueue queue(clock);
    std::optional<std::system_error> failure;
    try {
        const SignalWatcher watcher(queue);
    } catch (const std::system_error& error) {
        failure = error;
    }
    pthread_setattr_default_np(&usual);
    pthread_attr_destroy(&huge);
    pthread_attr_destroy(&usual);
    if (!failure) GTEST_SKIP() << "threads start here even with a huge stack";

    EXPECT_EQ(openDescriptors(), descriptorsBefore);
    pthread_sigmask(SIG_BLOCK, nullptr, &maskAfter);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGUSR1, SIGUSR2, SIGPIPE})
        EXPECT_EQ(sigismember(&maskAfter, signal), sigismember(&maskBefore, signal)) << signal;
}

}  // namespace
}  // namespace zemtra::app
