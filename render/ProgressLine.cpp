#include "ProgressLine.h"

#include <unistd.h>

#include <csignal>
#include <cstdio>

namespace levyc {

namespace {

constexpr qint64 FirstShowMs = 500;
constexpr qint64 EveryMs = 100;

volatile std::sig_atomic_t LineShowing = 0;

void Put(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fflush(stderr);
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
    const QByteArray line = ("levyc-render: " + text).toLocal8Bit();
    // Spaces over what a longer line before left.
    Put('\r' + line + QByteArray(qMax<qsizetype>(0, width_ - line.size()), ' '));
    width_ = line.size();
    LineShowing = 1;
}

void ProgressLine::Clear()
{
    if (width_ == 0) {
        return;
    }
    Put('\r' + QByteArray(width_, ' ') + '\r');
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
