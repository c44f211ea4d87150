// The task queue inside Qt's event loop.
#include "platform/qt/QtQueueDriver.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <chrono>

namespace zemtra::platform::qt {

QtQueueDriver::QtQueueDriver(TaskSource& source) : source_(source) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, &context_, [this] { pump(); });
    // Called on any thread: queue a pump on the loop's thread.
    source_.setWakeHandler([this] {
        QMetaObject::invokeMethod(
            &context_, [this] { pump(); }, Qt::QueuedConnection);
    });
}

QtQueueDriver::~QtQueueDriver() {
    source_.setWakeHandler(nullptr);
}

int QtQueueDriver::run() {
    QMetaObject::invokeMethod(
        &context_, [this] { pump(); }, Qt::QueuedConnection);
    const int status = QCoreApplication::exec();
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
    return status;
}

void QtQueueDriver::pump() {
    if (pumping_ || failure_) return;
    pumping_ = true;
    try {
        source_.runReadyTasks();
    } catch (...) {
        pumping_ = false;
        fail(std::current_exception());
        return;
    }
    pumping_ = false;
    if (source_.quitRequested()) {
        QCoreApplication::exit(source_.exitStatus());
        return;
    }
    schedule();
}

void QtQueueDriver::fail(std::exception_ptr failure) {
    // The first failure is the one reported; later ones are its consequences.
    if (!failure_) failure_ = std::move(failure);
    timer_.stop();
    QCoreApplication::exit(1);
}

void QtQueueDriver::schedule() {
    const auto wait = source_.timeUntilNextTask();
    if (!wait) {
        timer_.stop();
        return;
    }
    const auto millis = std::chrono::ceil<std::chrono::milliseconds>(*wait).count();
    timer_.start(static_cast<int>(std::min<long long>(millis, 24LL * 3600 * 1000)));
}

}  // namespace zemtra::platform::qt
