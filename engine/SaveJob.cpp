#include "SaveJob.h"

#include "output/FileOutput.h"

#include <array>
#include <csignal>

namespace levyc {

namespace {

// While one lives, SIGHUP, SIGINT and SIGTERM remove the temporary file of the
// output being written before they end the program, as levyc-render's do; a
// signal somebody chose to ignore stays ignored. The handlers before are put
// back at the end, so the window's signals are otherwise left alone.
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

constexpr std::array<int, 3> Ending = {SIGHUP, SIGINT, SIGTERM};

extern "C" void RemoveTemporaryAndEnd(int signal)
{
    FileOutput::RemovePendingTemporary();
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

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

} // namespace

SaveJob::SaveJob(Work work, QObject *parent)
    : QObject(parent)
    , work_(std::move(work))
{
}

void SaveJob::Start()
{
    number_ = runner_.Run([this](const JobRunner::Job &job) {
        QString error;
        bool done = false;
        {
            // A signal that ends the program takes the save's temporary file with it.
            const TemporaryRemovedOnSignals cleanup;
            done = work_(
                [this, &job](int steps, int total) {
                    emit Progress(steps, total);
                    return !job.cancelled;
                },
                &error);
        }
        if (!done && job.cancelled) {
            error.clear(); // asked for: nothing to say
        }
        emit Finished(done, error);
    });
}

} // namespace levyc
