#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <utility>

namespace levyc {

// Items handed from one thread to another, at most `capacity` waiting: the
// maker waits for room, the taker for an item. End() says no more will come;
// Stop() drops what waits and refuses more.
template <typename T> class BoundedQueue
{
public:
    explicit BoundedQueue(std::size_t capacity)
        : capacity_(capacity)
    {
    }

    // Waits for room; false once stopped.
    bool Push(T item)
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return items_.size() < capacity_ || stopped_; });
        if (stopped_) {
            return false;
        }
        items_.push_back(std::move(item));
        changed_.notify_all();
        return true;
    }

    // Waits for the next item; none once the items have ended or stopped.
    std::optional<T> Pop()
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !items_.empty() || ended_ || stopped_; });
        return Take();
    }

    // The next item if one waits; `ended` tells whether more may come.
    std::optional<T> TryPop(bool *ended)
    {
        const std::lock_guard lock(mutex_);
        *ended = ended_;
        return Take();
    }

    void End()
    {
        const std::lock_guard lock(mutex_);
        ended_ = true;
        changed_.notify_all();
    }

    void Stop()
    {
        const std::lock_guard lock(mutex_);
        stopped_ = true;
        items_.clear();
        changed_.notify_all();
    }

    // Empty and open again, for `capacity` items.
    void Reset(std::size_t capacity)
    {
        const std::lock_guard lock(mutex_);
        items_.clear();
        capacity_ = capacity;
        ended_ = stopped_ = false;
    }

private:
    std::optional<T> Take()
    {
        if (items_.empty()) {
            return std::nullopt;
        }
        T item = std::move(items_.front());
        items_.pop_front();
        changed_.notify_all();
        return item;
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<T> items_;
    std::size_t capacity_;
    bool ended_ = false;
    bool stopped_ = false;
};

} // namespace levyc
