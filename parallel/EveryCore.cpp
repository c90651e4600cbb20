#include "EveryCore.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace levyc {

void OnEveryCore(const std::function<void()> &work, const std::function<void()> &poll)
{
    OnThreads(0, work, poll);
}

void OnThreads(int threads, const std::function<void()> &work, const std::function<void()> &poll)
{
    const unsigned cores =
        threads > 0 ? static_cast<unsigned>(threads) : std::max(1U, std::thread::hardware_concurrency());
    std::mutex mutex;
    std::condition_variable ended;
    int running = 0;
    std::vector<std::thread> helpers;
    for (unsigned i = 0; cores > 1 && i < cores; ++i) {
        {
            const std::lock_guard lock(mutex);
            ++running;
        }
        try {
            helpers.emplace_back([&] {
                work();
                const std::lock_guard lock(mutex);
                --running;
                ended.notify_one();
            });
        } catch (const std::exception &) {
            // No more threads to be had: those that started share the work.
            const std::lock_guard lock(mutex);
            --running;
            break;
        }
    }
    if (helpers.empty()) {
        work();
        return;
    }
    {
        std::unique_lock lock(mutex);
        while (!ended.wait_for(lock, std::chrono::milliseconds(100), [&] { return running == 0; })) {
            lock.unlock();
            if (poll) {
                poll();
            }
            lock.lock();
        }
    }
    for (std::thread &thread : helpers) {
        thread.join();
    }
}

} // namespace levyc
