#include "private/ProgressLine.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>

namespace levyc {

namespace {

constexpr qint64 FirstShowMs = 500;
constexpr qint64 EveryMs = 100;

volatile std::sig_atomic_t LineShowing = 0;

// The terminal's width in columns, asked each time since it may change; 0 when unknown.
int TerminalColumns()
{
    struct winsize size = {};
    return ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

// Short of the last column: a line that reaches it wraps on some terminals,
// and '\r' goes back to the start of the last row only.
QString Fitted(QString text)
{
    if (const int columns = TerminalColumns(); columns > 0) {
        text.truncate(columns - 1);
    }
    return text;
}

qsizetype Fitted(qsizetype width)
{
    const int columns = TerminalColumns();
    return columns > 0 ? std::min<qsizetype>(width, columns - 1) : width;
}

// Straight to the descriptor: the stderr stream may be catching a library's messages.
void Put(const QByteArray &bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t written =
            ::write(STDERR_FILENO, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (written < 0 && errno != EINTR) {
            return;
        }
        done += std::max<ssize_t>(written, 0);
    }
}

} // namespace

ProgressLine::ProgressLine(bool wanted)
    : enabled_(wanted && ::isatty(STDERR_FILENO) != 0)
{
    since_.start();
}

void ProgressLine::Show(const QString &text)
{
    if (!enabled_) {
        return;
    }
    const qint64 now = since_.elapsed();
    if (now < FirstShowMs || (shownAt_ >= 0 && now - shownAt_ < EveryMs)) {
        return;
    }
    shownAt_ = now;
    const QByteArray line = Fitted(QStringLiteral("levyc-render: ") + text).toLocal8Bit();
    // Spaces over what a longer line before left.
    Put('\r' + line + QByteArray(qMax<qsizetype>(0, Fitted(width_) - line.size()), ' '));
    width_ = line.size();
    LineShowing = 1;
}

void ProgressLine::Clear()
{
    if (width_ == 0) {
        return;
    }
    Put('\r' + QByteArray(Fitted(width_), ' ') + '\r');
    width_ = 0;
    LineShowing = 0;
}

void ProgressLine::EndForSignal()
{
    if (LineShowing != 0) {
        static_cast<void>(::write(STDERR_FILENO, "\n", 1));
    }
}

} // namespace levyc
