#pragma once

#include <QElapsedTimer>
#include <QString>

namespace levyc {

// One line on standard error, rewritten in place, telling how far long work
// has gone: only on a terminal, and only once the work has taken half a
// second, so quick runs and pipes see nothing.
class ProgressLine
{
public:
    explicit ProgressLine(bool wanted);
    ~ProgressLine() { Clear(); }
    ProgressLine(const ProgressLine &) = delete;
    ProgressLine &operator=(const ProgressLine &) = delete;
    ProgressLine(ProgressLine &&) = delete;
    ProgressLine &operator=(ProgressLine &&) = delete;

    // Shows the text, at most ten times a second.
    void Show(const QString &text);
    // Erases the line, before anything else goes to standard error and at the end.
    void Clear();

    // Ends a line left showing, for a signal handler: it does only what one may.
    static void EndForSignal();

private:
    bool enabled_;
    QElapsedTimer since_;
    qint64 shownAt_ = -1;
    qsizetype width_ = 0; // of the line showing, 0 when none
};

} // namespace levyc
