#pragma once

#include <functional>

namespace levyc {

// Runs `work` on a thread per core, or on the calling thread alone when there
// is one core or no thread to be had; each run takes its share of the work
// from counters it shares with the others. `poll` is called on the calling
// thread about ten times a second until every run has ended. `work` must not
// throw.
void OnEveryCore(const std::function<void()> &work, const std::function<void()> &poll = {});

// The same on `threads` threads, or on one per core when `threads` is 0 or less.
void OnThreads(int threads, const std::function<void()> &work, const std::function<void()> &poll = {});

} // namespace levyc
