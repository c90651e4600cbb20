#include "JobRunner.h"

#include <algorithm>

namespace levyc {

JobRunner::~JobRunner()
{
    {
        const std::lock_guard lock(mutex_);
        quit_ = true;
        waiting_.reset();
        stale_ = true;
        changed_.notify_all();
    }
    if (thread_.joinable()) {
        thread_.join();
    }
}

quint64 JobRunner::Run(Work work)
{
    const std::lock_guard lock(mutex_);
    waiting_.emplace(++last_, std::move(work));
    if (!thread_.joinable()) {
        thread_ = std::thread(&JobRunner::Loop, this);
    }
    changed_.notify_all();
    return last_;
}

void JobRunner::Cancel(quint64 number)
{
    const std::lock_guard lock(mutex_);
    cancelled_ = std::max(cancelled_, number);
    if (current_ == number) {
        stale_ = true;
    }
}

void JobRunner::Drop()
{
    const std::lock_guard lock(mutex_);
    waiting_.reset();
    stale_ = true;
}

void JobRunner::Wait()
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !waiting_ && current_ == 0; });
}

void JobRunner::Loop()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return waiting_ || quit_; });
        if (quit_) {
            return;
        }
        auto [number, work] = std::move(*waiting_);
        waiting_.reset();
        current_ = number;
        stale_ = number <= cancelled_;
        lock.unlock();
        work(Job{number, stale_});
        work = {}; // what it holds goes here, not with the next job
        lock.lock();
        current_ = 0;
        changed_.notify_all();
    }
}

} // namespace levyc
