// The documents writer: one thread, a list of jobs under one lock, and the reports handed back to
// the main queue. The thread works on descriptors and strings only; runtime objects stay on the
// main thread.
#include "runtime/lib/DocumentWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

#include "platform/Diagnostics.h"
#include "runtime/core/RuntimeScope.h"
#include "runtime/lib/FileStreams.h"
#include "runtime/lib/PosixFile.h"

namespace zemtra {

namespace {

using Outcome = DocumentWriter::Outcome;

Outcome failure(int error, const std::string& path) {
    return platform::fail(std::generic_category().message(error) + " (" + path + ")",
                          std::error_code(error, std::generic_category()));
}

// Descriptors of the files appended to lately, kept open so that an append costs a write and a
// look at the path: a file deleted, moved or replaced meanwhile (another device or inode under the
// path) is opened again, or started again when it is missing, never written past.
class OpenAppends {
  public:
    Outcome append(const std::string& path, const std::string& bytes, const std::string& header) {
        struct stat named {};
        const bool exists = ::stat(path.c_str(), &named) == 0;
        auto kept = std::find_if(open_.begin(), open_.end(),
                                 [&path](const Kept& each) { return each.path == path; });
        if (kept != open_.end() &&
            (!exists || named.st_dev != kept->device || named.st_ino != kept->inode)) {
            open_.erase(kept);
            kept = open_.end();
        }
        bool created = false;
        FileDescriptor opened;
        if (kept == open_.end()) {
            int error = 0;
            opened = FileDescriptor::open(path, O_WRONLY | O_APPEND, 0, &error);
            if (!opened.isOpen() && error == ENOENT) {
                opened = FileDescriptor::open(path, O_WRONLY | O_APPEND | O_CREAT | O_EXCL, 0666,
                                              &error);
                created = opened.isOpen();
                // Made by someone else in between: theirs is the file to append to.
                if (!opened.isOpen() && error == EEXIST)
                    opened = FileDescriptor::open(path, O_WRONLY | O_APPEND, 0, &error);
            }
            if (!opened.isOpen()) return failure(error, path);
        }
        const FileDescriptor& file = kept != open_.end() ? kept->file : opened;
        struct stat before {};
        const bool regular = ::fstat(file.get(), &before) == 0 && S_ISREG(before.st_mode);
        const std::string started = created ? header + bytes : std::string();
        const std::string& data = created ? started : bytes;
        if (const int error = file.writeAll(
                std::span(reinterpret_cast<const uint8_t*>(data.data()), data.size()))) {
            // Whole or not at all: what part of it got in is cut off again, and a file this job
            // started goes, so that the next try starts it with its header.
            if (created) {
                ::unlink(path.c_str());
            } else if (regular) {
                while (::ftruncate(file.get(), before.st_size) != 0 && errno == EINTR) {
                }
            }
            if (kept != open_.end()) open_.erase(kept);
            return failure(error, path);
        }
        // Only regular files are kept: a pipe's reader waits for its writer to close.
        if (kept == open_.end() && regular) {
            if (open_.size() == kKept) open_.erase(open_.begin());
            open_.push_back({path, std::move(opened), before.st_dev, before.st_ino});
        } else if (const int closeError = opened.close()) {
            return failure(closeError, path);
        }
        return DocumentWriter::Written{created};
    }

    void forget(const std::string& path) {
        std::erase_if(open_, [&path](const Kept& each) { return each.path == path; });
    }

  private:
    static constexpr size_t kKept = 4;
    struct Kept {
        std::string path;
        FileDescriptor file;
        dev_t device;
        ino_t inode;
    };
    std::vector<Kept> open_;  // the newest last
};

Outcome replaceFile(const std::string& path, const std::string& content) {
    int error = 0;
    std::string beside;
    FileDescriptor file;
    for (int attempt = 0; attempt < 10 && !file.isOpen(); ++attempt) {
        beside = siblingPath(path, "tmp");
        file = FileDescriptor::open(beside, O_WRONLY | O_CREAT | O_EXCL, 0666, &error);
        if (!file.isOpen() && error != EEXIST) break;
    }
    if (!file.isOpen()) return failure(error, path);
    struct stat target {};
    if (::stat(path.c_str(), &target) == 0 && S_ISREG(target.st_mode))
        ::fchmod(file.get(), target.st_mode & 07777);
    error =
        file.writeAll(std::span(reinterpret_cast<const uint8_t*>(content.data()), content.size()));
    if (error == 0 && ::fsync(file.get()) != 0) error = errno;
    if (const int closeError = file.close(); error == 0) error = closeError;
    if (error == 0 && ::rename(beside.c_str(), path.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(beside.c_str());
        return failure(error, path);
    }
    // The rename itself made durable; the content is safe already if this fails.
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    if (const FileDescriptor directory = FileDescriptor::open(folder, O_RDONLY | O_DIRECTORY);
        directory.isOpen())
        ::fsync(directory.get());
    return DocumentWriter::Written{};
}

}  // namespace

struct DocumentWriter::State {
    struct Job {
        std::string path;
        std::string bytes;
        std::string header;
        bool replacing = false;
        std::vector<Report> reports;
    };
    struct Due {
        Report report;
        Outcome outcome;
    };

    std::mutex mutex;
    std::condition_variable jobsChanged;
    std::condition_variable idle;
    std::deque<Job> jobs;
    bool working = false;    // the thread has taken a job out of `jobs`
    bool stopping = false;   // no more jobs come: the thread ends once `jobs` is empty
    bool abandoned = false;  // the writer has gone without waiting: touch nothing of the program
    MainQueue* queue = nullptr;
    std::unique_ptr<MainQueue::ExternalWork> work;  // held while jobs are waiting or running
    std::vector<Due> due;
    bool deliveryPosted = false;
    OpenAppends appends;  // used by whoever does the jobs: the thread, or the caller in step
    std::thread thread;   // only for posted delivery

    bool isIdle() const { return jobs.empty() && !working; }

    Outcome perform(const Job& job) {
        if (!job.replacing) return appends.append(job.path, job.bytes, job.header);
        appends.forget(job.path);
        return replaceFile(job.path, job.bytes);
    }

    // Runs the reports that are due, on the calling thread (the main queue's).
    static void deliver(const std::shared_ptr<State>& state) {
        std::vector<Due> reports;
        {
            std::lock_guard lock(state->mutex);
            reports.swap(state->due);
            state->deliveryPosted = false;
        }
        for (const Due& each : reports) each.report(each.outcome);
    }

    static void run(const std::shared_ptr<State>& state) {
        std::unique_lock lock(state->mutex);
        for (;;) {
            state->jobsChanged.wait(lock, [&] { return state->stopping || !state->jobs.empty(); });
            if (state->jobs.empty()) return;
            Job job = std::move(state->jobs.front());
            state->jobs.pop_front();
            state->working = true;
            lock.unlock();
            const Outcome outcome = state->perform(job);
            lock.lock();
            state->working = false;
            if (state->abandoned) continue;
            for (Report& report : job.reports) state->due.push_back({std::move(report), outcome});
            if (!state->due.empty() && !state->deliveryPosted) {
                state->deliveryPosted = true;
                state->queue->post([state] { deliver(state); });
            }
            // The reports are on the queue before the virtual clock may move on.
            std::unique_ptr<MainQueue::ExternalWork> released;
            if (state->jobs.empty()) released = std::move(state->work);
            state->idle.notify_all();
            if (released) {
                lock.unlock();
                released.reset();
                lock.lock();
            }
        }
    }
};

DocumentWriter::DocumentWriter(MainQueue& queue)
    : DocumentWriter(queue, queue.clock().isVirtual() ? Delivery::inStep : Delivery::posted) {}

DocumentWriter::DocumentWriter(MainQueue& queue, Delivery delivery)
    : state_(std::make_shared<State>()), delivery_(delivery) {
    state_->queue = &queue;
    if (delivery == Delivery::posted)
        state_->thread = std::thread([state = state_] { State::run(state); });
}

DocumentWriter::~DocumentWriter() {
    if (!state_->thread.joinable()) return;  // in step: nothing is ever left to do
    std::unique_lock lock(state_->mutex);
    state_->stopping = true;
    state_->jobsChanged.notify_all();
    const bool finished =
        state_->idle.wait_for(lock, kEndWait, [this] { return state_->isIdle(); });
    // Whoever asked for the reports may be gone by now.
    state_->due.clear();
    if (finished) {
        lock.unlock();
        state_->thread.join();
        return;
    }
    const size_t left = state_->jobs.size() + (state_->working ? 1 : 0);
    state_->abandoned = true;
    state_->jobs.clear();
    state_->work.reset();
    state_->queue = nullptr;
    lock.unlock();
    state_->thread.detach();
    platform::diagnostics::warning("the disk did not finish " + std::to_string(left) +
                                   " write(s) within " + std::to_string(kEndWait.count() / 1000) +
                                   " s; they were left unfinished");
}

void DocumentWriter::append(std::string path, std::string bytes, Report report,
                            std::string header) {
    handOver(std::move(path), std::move(bytes), std::move(header), false, std::move(report));
}

void DocumentWriter::replace(std::string path, std::string content, Report report) {
    handOver(std::move(path), std::move(content), std::string(), true, std::move(report));
}

void DocumentWriter::handOver(std::string path, std::string bytes, std::string header,
                              bool replacing, Report report) {
    State::Job job{std::move(path), std::move(bytes), std::move(header), replacing, {}};
    if (report) job.reports.push_back(std::move(report));
    if (delivery_ == Delivery::inStep) {
        // Nothing waits for real time under a virtual clock: the job is done here and now, so
        // its report comes at the same point of every run.
        const Outcome outcome = state_->perform(job);
        for (const Report& each : job.reports) each(outcome);
        return;
    }
    {
        std::lock_guard lock(state_->mutex);
        if (!state_->work) state_->work = std::make_unique<MainQueue::ExternalWork>(*state_->queue);
        // The newest waiting job on this file; a replace takes the place of a replace.
        const auto same =
            std::find_if(state_->jobs.rbegin(), state_->jobs.rend(),
                         [&job](const State::Job& each) { return each.path == job.path; });
        if (replacing && same != state_->jobs.rend() && same->replacing) {
            same->bytes = std::move(job.bytes);
            for (Report& each : job.reports) same->reports.push_back(std::move(each));
        } else {
            state_->jobs.push_back(std::move(job));
        }
    }
    state_->jobsChanged.notify_one();
}

bool DocumentWriter::drain(std::chrono::milliseconds limit) {
    bool finished;
    {
        std::unique_lock lock(state_->mutex);
        finished = state_->idle.wait_for(lock, limit, [this] { return state_->isIdle(); });
    }
    State::deliver(state_);
    return finished;
}

std::shared_ptr<DocumentWriter> DocumentWriter::current() {
    return RuntimeScope::current().getOrCreate<DocumentWriter>(
        [] { return std::make_shared<DocumentWriter>(MainQueue::current()); });
}

}  // namespace zemtra
