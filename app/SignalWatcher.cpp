// SIGINT/SIGTERM through sigwait on a watcher thread.
#include "app/SignalWatcher.h"

#include <pthread.h>

namespace zemtra::app {

SignalWatcher::SignalWatcher(MainQueue& queue) {
    sigemptyset(&signals_);
    sigaddset(&signals_, SIGINT);
    sigaddset(&signals_, SIGTERM);
    // SIGUSR1 only wakes the watcher when the program ends on its own.
    sigaddset(&signals_, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &signals_, nullptr);
    thread_ = std::thread([this, &queue] {
        int signal = 0;
        if (sigwait(&signals_, &signal) != 0 || signal == SIGUSR1) return;
        received_ = signal;
        queue.post([&queue] { queue.quit(0); });
    });
}

SignalWatcher::~SignalWatcher() {
    if (received_ == 0) pthread_kill(thread_.native_handle(), SIGUSR1);
    thread_.join();
    pthread_sigmask(SIG_UNBLOCK, &signals_, nullptr);
}

}  // namespace zemtra::app
