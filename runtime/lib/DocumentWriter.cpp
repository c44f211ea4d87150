// The documents writer: one thread, a list of jobs under one lock, and the reports handed back to
// the main queue. The thread works on descriptors and strings only; runtime objects stay on the
// main thread.
#include "runtime/lib/DocumentWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

Outcome appendToFile(const std::string& path, const std::string& bytes, const std::string& header) {
    int error = 0;
    bool created = false;
    FileDescriptor file = FileDescriptor::open(path, O_WRONLY | O_APPEND, 0, &error);
    if (!file.isOpen() && error == ENOENT) {
        file = FileDescriptor::open(path, O_WRONLY | O_APPEND | O_CREAT | O_EXCL, 0666, &error);
        created = file.isOpen();
        // Made by someone else in between: theirs is the file to append to.
        if (!file.isOpen() && error == EEXIST)
            file = FileDescriptor::open(path, O_WRONLY | O_APPEND, 0, &error);
    }
    if (!file.isOpen()) return failure(error, path);
    struct stat before {};
    const bool regular = ::fstat(file.get(), &before) == 0 && S_ISREG(before.st_mode);
    const std::string started = created ? header + bytes : std::string();
    const std::string& data = created ? started : bytes;
    error = file.writeAll(std::span(reinterpret_cast<const uint8_t*>(data.data()), data.size()));
    if (error != 0) {
        // Whole or not at all: what part of it got in is cut off again, and a file this job
        // started goes, so that the next try starts it with its header.
        if (created) {
            ::unlink(path.c_str());
        } else if (regular) {
            while (::ftruncate(file.get(), before.st_size) != 0 && errno == EINTR) {
            }
        }
        return failure(error, path);
    }
    if (const int closeError = file.close()) return failure(closeError, path);
    return DocumentWriter::Written{created};
}

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
    bool postReports = true;
    std::thread thread;

    bool isIdle() const { return jobs.empty() && !working; }

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
            const Outcome outcome = job.replacing ? replaceFile(job.path, job.bytes)
                                                  : appendToFile(job.path, job.bytes, job.header);
            lock.lock();
            state->working = false;
            if (state->abandoned) continue;
            for (Report& report : job.reports) state->due.push_back({std::move(report), outcome});
            if (state->postReports && !state->due.empty() && !state->deliveryPosted) {
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
    state_->postReports = delivery == Delivery::posted;
    state_->thread = std::thread([state = state_] { State::run(state); });
}

DocumentWriter::~DocumentWriter() {
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
    {
        std::lock_guard lock(state_->mutex);
        if (!state_->work) state_->work = std::make_unique<MainQueue::ExternalWork>(*state_->queue);
        bool merged = false;
        if (replacing) {
            // The newest waiting job on this file; a replace takes the place of a replace.
            for (auto job = state_->jobs.rbegin(); job != state_->jobs.rend(); ++job) {
                if (job->path != path) continue;
                if (job->replacing) {
                    job->bytes = std::move(bytes);
                    if (report) job->reports.push_back(std::move(report));
                    merged = true;
                }
                break;
            }
        }
        if (!merged) {
            State::Job job{std::move(path), std::move(bytes), std::move(header), replacing, {}};
            if (report) job.reports.push_back(std::move(report));
            state_->jobs.push_back(std::move(job));
        }
    }
    state_->jobsChanged.notify_one();
    if (delivery_ != Delivery::inStep) return;
    {
        std::unique_lock lock(state_->mutex);
        state_->idle.wait(lock, [this] { return state_->isIdle(); });
    }
    State::deliver(state_);
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
