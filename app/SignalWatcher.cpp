// The signal watcher: a signalfd for the watched signals and an eventfd that stops the thread.
#include "app/SignalWatcher.h"

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <system_error>

namespace zemtra::app {

namespace {

bool endsTheProgram(int signal) {
    return signal == SIGINT || signal == SIGTERM || signal == SIGHUP;
}

[[noreturn]] void fail(int error, const char* what) {
    throw std::system_error(error, std::generic_category(), what);
}

// Blocks the watched signals in the calling thread and puts the previous mask back unless the
// set-up completes.
class SignalBlock {
  public:
    explicit SignalBlock(const sigset_t& signals) {
        pthread_sigmask(SIG_BLOCK, &signals, &previous_);
    }
    ~SignalBlock() {
        if (!kept_) pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    SignalBlock(const SignalBlock&) = delete;
    SignalBlock& operator=(const SignalBlock&) = delete;
    void keep() { kept_ = true; }

  private:
    sigset_t previous_{};
    bool kept_ = false;
};

}  // namespace

SignalWatcher::SignalWatcher(MainQueue& queue) {
    sigset_t signals;
    sigemptyset(&signals);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGUSR1, SIGUSR2, SIGPIPE})
        sigaddset(&signals, signal);
    SignalBlock block(signals);
    signalDescriptor_ = FileDescriptor(::signalfd(-1, &signals, SFD_CLOEXEC));
    if (!signalDescriptor_.isOpen()) fail(errno, "signalfd");
    stopDescriptor_ = FileDescriptor(::eventfd(0, EFD_CLOEXEC));
    if (!stopDescriptor_.isOpen()) fail(errno, "eventfd");
    // std::thread throws std::system_error itself; the descriptors close as the members go.
    thread_ = std::thread([this, &queue] { watch(queue); });
    block.keep();
}

void SignalWatcher::watch(MainQueue& queue) {
    pollfd watched[2] = {{signalDescriptor_.get(), POLLIN, 0}, {stopDescriptor_.get(), POLLIN, 0}};
    for (;;) {
        if (::poll(watched, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (watched[1].revents != 0) return;
        if (watched[0].revents == 0) continue;
        signalfd_siginfo info{};
        const ssize_t got = ::read(signalDescriptor_.get(), &info, sizeof info);
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
    if (::write(stopDescriptor_.get(), &one, sizeof one) < 0) {
        // An eventfd write fails only on overflow, which one write cannot reach.
    }
    thread_.join();
}

}  // namespace zemtra::app
