#pragma once

#include <QMetaObject>
#include <QObject>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace levyc {

// Work off the window's thread: one job at a time, on a thread of its own
// made with the first job. Every job has a number, greater than any before. A
// job asked for while another runs waits for it and replaces any job already
// waiting. A job watches its `cancelled` flag, and sends what it made back
// with Post(), so that it arrives on the receiver's thread, or not at all once
// the receiver is gone.
class JobRunner final
{
public:
    struct Job
    {
        quint64 number;
        const std::atomic<bool> &cancelled;
    };
    using Work = std::function<void(const Job &job)>;

    JobRunner() = default;
    // Cancels the job under way, forgets a waiting one, and waits for the thread.
    ~JobRunner();
    JobRunner(const JobRunner &) = delete;
    JobRunner &operator=(const JobRunner &) = delete;

    // The new job's number.
    quint64 Run(Work work);
    // Cancels job `number`, under way or waiting; a waiting one still runs,
    // cancelled from its start.
    void Cancel(quint64 number);
    // Cancels the job under way and forgets a waiting one.
    void Drop();
    // Returns once no job runs or waits.
    void Wait();

    // Calls `function` on `context`'s thread, from its event loop; never once
    // `context` is destroyed.
    template <typename Function> static void Post(QObject *context, Function function)
    {
        QMetaObject::invokeMethod(context, std::move(function), Qt::QueuedConnection);
    }

private:
    void Loop();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::optional<std::pair<quint64, Work>> waiting_;
    quint64 last_ = 0;
    quint64 cancelled_ = 0; // the newest job cancelled
    quint64 current_ = 0;   // the job under way, 0 for none
    bool quit_ = false;
    std::atomic<bool> stale_{false}; // the job under way is cancelled
    std::thread thread_;
};

} // namespace levyc
