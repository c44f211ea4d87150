// Runs the program's task queue inside Qt's event loop: ready tasks run as soon as the loop is
// free, a timer waits for the next due one, posts from other threads wake the loop, and the loop
// ends when the program asks to quit.
//
// Exceptions of tasks do not pass through Qt's loop: the loop ends (status 1) and run() throws
// the exception again. Other entries from Qt hand theirs to fail(), which ends it the same way.
#pragma once

#include <exception>

#include <QObject>
#include <QTimer>

#include "platform/TaskSource.h"

namespace zemtra::platform::qt {

class QtQueueDriver final {
  public:
    explicit QtQueueDriver(TaskSource& source);
    ~QtQueueDriver();
    QtQueueDriver(const QtQueueDriver&) = delete;
    QtQueueDriver& operator=(const QtQueueDriver&) = delete;

    // Runs Qt's event loop until the program quits; answers its exit status.
    int run();
    // Runs what is ready now and plans the next wake-up (also called by the loop).
    void pump();
    // Ends the loop with status 1 because of `failure`, which run() throws again; the same end
    // as a task's exception (for exceptions caught at another entry from Qt, such as input).
    void fail(std::exception_ptr failure);

  private:
    void schedule();

    TaskSource& source_;
    QObject context_;
    QTimer timer_;
    std::exception_ptr failure_;
    bool pumping_ = false;
};

}  // namespace zemtra::platform::qt
