#include "TemporaryRemovedOnSignals.h"

#include "PendingTemporary.h"

#include <array>

namespace levyc {

namespace {

constexpr std::array<int, 3> Ending = {SIGHUP, SIGINT, SIGTERM};

extern "C" void RemoveTemporaryAndEnd(int signal)
{
    PendingTemporary::RemoveAllForSignal();
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

} // namespace

TemporaryRemovedOnSignals::TemporaryRemovedOnSignals()
{
    struct sigaction action = {};
    action.sa_handler = RemoveTemporaryAndEnd;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < Ending.size(); ++i) {
        if (::sigaction(Ending[i], nullptr, &before_[i]) == 0 && before_[i].sa_handler != SIG_IGN) {
            ::sigaction(Ending[i], &action, nullptr);
        }
    }
}

TemporaryRemovedOnSignals::~TemporaryRemovedOnSignals()
{
    for (size_t i = 0; i < Ending.size(); ++i) {
        ::sigaction(Ending[i], &before_[i], nullptr);
    }
}

} // namespace levyc
