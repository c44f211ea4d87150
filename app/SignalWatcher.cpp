// The signal watcher: a signalfd for the watched signals and an eventfd that stops the thread.
#include "app/SignalWatcher.h"

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>
#include <cerrno>
#include <cstdint>
#include <system_error>

namespace zemtra::app {

namespace {

bool endsTheProgram(int signal) {
    return signal == SIGINT || signal == SIGTERM || signal == SIGHUP;
}

[[noreturn]] void fail(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

}  // namespace

SignalWatcher::SignalWatcher(MainQueue& queue) {
    sigemptyset(&signals_);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGUSR1, SIGUSR2, SIGPIPE})
        sigaddset(&signals_, signal);
    pthread_sigmask(SIG_BLOCK, &signals_, nullptr);
    signalDescriptor_ = ::signalfd(-1, &signals_, SFD_CLOEXEC);
    if (signalDescriptor_ < 0) fail("signalfd");
    stopDescriptor_ = ::eventfd(0, EFD_CLOEXEC);
    if (stopDescriptor_ < 0) {
        ::close(signalDescriptor_);
        fail("eventfd");
    }
    thread_ = std::thread([this, &queue] { watch(queue); });
}

void SignalWatcher::watch(MainQueue& queue) {
    pollfd watched[2] = {{signalDescriptor_, POLLIN, 0}, {stopDescriptor_, POLLIN, 0}};
    for (;;) {
        if (::poll(watched, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (watched[1].revents != 0) return;
        if (watched[0].revents == 0) continue;
        signalfd_siginfo info{};
        const ssize_t got = ::read(signalDescriptor_, &info, sizeof info);
        if (got != static_cast<ssize_t>(sizeof info)) continue;
        const int signal = static_cast<int>(info.ssi_signo);
        if (!endsTheProgram(signal)) continue;
        // Only the first one starts the end; the ones after it find the program already ending.
        int none = 0;
        if (received_.compare_exchange_strong(none, signal))
            queue.post([&queue] { queue.quit(0); });
    }
}

SignalWatcher::~SignalWatcher() {
    const uint64_t one = 1;
    if (::write(stopDescriptor_, &one, sizeof one) < 0) {
        // An eventfd write fails only on overflow, which one write cannot reach.
    }
    thread_.join();
    ::close(stopDescriptor_);
    ::close(signalDescriptor_);
}

}  // namespace zemtra::app
