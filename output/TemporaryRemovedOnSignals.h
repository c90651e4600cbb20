#pragma once

#include <csignal>

namespace levyc {

// While one lives, SIGHUP, SIGINT and SIGTERM remove the temporary files of
// the outputs being written before they end the program, as levyc-render's
// do; a signal somebody chose to ignore stays ignored. The handlers before
// are put back at the end, so the window's signals are otherwise left alone.
class TemporaryRemovedOnSignals
{
public:
    TemporaryRemovedOnSignals();
    ~TemporaryRemovedOnSignals();
    TemporaryRemovedOnSignals(const TemporaryRemovedOnSignals &) = delete;
    TemporaryRemovedOnSignals &operator=(const TemporaryRemovedOnSignals &) = delete;
    TemporaryRemovedOnSignals(TemporaryRemovedOnSignals &&) = delete;
    TemporaryRemovedOnSignals &operator=(TemporaryRemovedOnSignals &&) = delete;

private:
    struct sigaction before_[3] = {};
};

} // namespace levyc
