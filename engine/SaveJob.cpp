#include "SaveJob.h"

#include "output/TemporaryRemovedOnSignals.h"

namespace levyc {

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
