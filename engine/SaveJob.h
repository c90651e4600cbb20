#pragma once

#include "JobRunner.h"

#include <QObject>
#include <QString>

#include <functional>

namespace levyc {

// One save (a file, a dive, a picture for the clipboard) on a thread of its
// own. The work gets copies of what it needs, never references into the
// window; it reports its progress through `report`, which returns false once
// the job is cancelled. Progress and the end come to this object's thread as
// queued signals, so no handler runs inside the work.
class SaveJob final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SaveJob)

public:
    // Called with the steps done and their total; false to stop.
    using Report = std::function<bool(int done, int total)>;
    // True when done; false with a one-line reason, or with none when cancelled.
    using Work = std::function<bool(const Report &report, QString *error)>;

    explicit SaveJob(Work work, QObject *parent = nullptr);
    // Cancels the work and waits for it: at most one step.
    ~SaveJob() override = default;

    void Start();
    // The work stops at its next report.
    void Cancel() { runner_.Cancel(number_); }

signals:
    // Emitted on the worker; a receiver on another thread gets it queued.
    void Progress(int done, int total);
    // The work has ended; `error` is empty when it was cancelled.
    void Finished(bool done, const QString &error);

private:
    Work work_;
    quint64 number_ = 0;
    JobRunner runner_; // last: its thread ends before the rest goes
};

} // namespace levyc
