#include "SaveJob.h"

#include "private/SaveSignals.h"

namespace levyc {

SaveJob::SaveJob(Work work, QObject *parent)
    : QObject(parent)
    , work_(std::move(work))
{
}

SaveJob::~SaveJob()
{
    Cancel();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void SaveJob::Start()
{
    thread_ = std::thread([this] {
        QString error;
        bool done = false;
        {
            // A signal that ends the program takes the save's temporary file with it.
            const TemporaryRemovedOnSignals cleanup;
            done = work_(
                [this](int steps, int total) {
                    emit Progress(steps, total);
                    return !cancel_;
                },
                &error);
        }
        if (!done && cancel_) {
            error.clear(); // asked for: nothing to say
        }
        emit Finished(done, error);
    });
}

} // namespace levyc
