// The writer thread for the documents directory: the program's saves and appends leave the main
// thread, so that a slow disk (an SD card's fsync) never stalls the window, and a failed write
// comes back as a report instead of ending the run.
//
// Jobs:
// - append: the bytes are added to the end of the file with one write in append mode, whole or not
//   at all (a short write that cannot be completed is cut off again). No fsync: the bytes are in
//   the system's hands as soon as the job is done, so a killed program loses nothing it appended,
//   and an append costs what a write costs. A file that is missing is created, starting with the
//   header when one is given (a log's title line, a table's column names).
// - replace: the content is written beside the file, flushed to the disk, renamed over the file and
//   the folder flushed, so at every moment the file holds its old content or the whole new one.
//
// Ordering and threading contract:
// - Jobs are handed over on the main queue's thread only, and done one at a time in the order they
//   were handed over, so the order of the jobs on one file is kept.
// - A replace of a file whose newest job is a replace still waiting takes that job's place: only
//   the newest content is written (its reports answer for both).
// - Reports run on the main queue's thread, never on the writer's, so they may use runtime objects.
//   With Delivery::posted (the default on a real clock) the jobs are done on the writer's thread
//   and each report comes as a task posted on the main queue after its job; while a job is
//   waiting or running the writer holds the queue's external work, so that a virtual clock does
//   not move on past it. With Delivery::inStep (the default on a virtual clock, where nothing
//   waits for real time) the hand-over does the job itself and runs its report before it
//   returns, so that a run does the same things in the same order every time, files and reports
//   alike.
// - Appends keep the few files they wrote to last open (until the writer ends), and look at the
//   path before each write: a file deleted or replaced meanwhile is opened, or started, again.
// - drain() waits (bounded) for everything handed over and runs the reports not yet run; the
//   destructor waits the same way for the jobs but drops their reports (whoever asked for them may
//   be gone). A job still stuck in the system after the wait is left to finish on its own and
//   touches nothing of the program's afterwards.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "platform/Result.h"
#include "runtime/core/MainQueue.h"

namespace zemtra {

class DocumentWriter {
  public:
    // What a successful job did beyond writing.
    struct Written {
        // An append found the file missing and started it (with its header, when one was given).
        bool created = false;
    };
    // A failure carries the reason ("No space left on device (/…/WordLog.txt)") and the error
    // number as its code (std::generic_category), so that a caller can name the cause.
    using Outcome = platform::Result<Written>;
    using Report = std::function<void(const Outcome&)>;

    enum class Delivery { posted, inStep };
    // How long drain() and the destructor wait by default.
    static constexpr std::chrono::milliseconds kEndWait{5000};

    // Starts the thread for posted delivery (std::system_error when it cannot); the queue must
    // outlive the writer. The delivery follows the queue's clock unless given.
    explicit DocumentWriter(MainQueue& queue);
    DocumentWriter(MainQueue& queue, Delivery delivery);
    ~DocumentWriter();
    DocumentWriter(const DocumentWriter&) = delete;
    DocumentWriter& operator=(const DocumentWriter&) = delete;

    // Paths are UTF-8 file system paths. The report, when given, runs once the job is done.
    void append(std::string path, std::string bytes, Report report = {}, std::string header = {});
    void replace(std::string path, std::string content, Report report = {});

    // Waits until every job handed over is done, at most `limit`, then runs the reports still due
    // on the calling thread (the main queue's). Answers false when the limit passed first.
    bool drain(std::chrono::milliseconds limit = kEndWait);

    // The writer of the running program: one per runtime scope, made on first use for the
    // installed main queue.
    static std::shared_ptr<DocumentWriter> current();

  private:
    struct State;
    void handOver(std::string path, std::string bytes, std::string header, bool replacing,
                  Report report);

    std::shared_ptr<State> state_;
    Delivery delivery_;
};

}  // namespace zemtra
