#pragma once

#include "DiveChoices.h"
#include "DiveEstimate.h"

#include <QSize>
#include <QString>

#include <optional>
#include <vector>

namespace levyc {

// What the window says about a dive it is asked to make, in the user's
// language: why it cannot be made, what it may cost, how far a save is.
class DiveText
{
public:
    // A length of time, such as "12 s" or "3 min 20 s".
    static QString Duration(double seconds);
    // Which of the length, the frames a second and the quality is out of
    // levyc-render's bounds; empty when none is.
    static QString RangeProblem(const DiveChoices &choices);
    // Why choices make no dive to `view` through `visited` on a picture of
    // `picture` pixels; empty when they make one.
    static QString Problem(const DiveChoices &choices, QSize picture, const WorldWindow &view,
                           const std::vector<WorldWindow> &visited);
    // Why a file named `path` cannot hold the dive: a name that says another
    // format is that format, with all its checks. Empty when it can.
    static QString FileProblem(const QString &path, DiveChoices choices, QSize picture, const WorldWindow &view,
                               const std::vector<WorldWindow> &visited);
    // Why Save As… cannot write a picture to `path`: its name says a dive's
    // format. Empty when it can.
    static QString NotAPicture(const QString &path);
    // Why a dive cannot be made whose way passes `widest`, too wide to draw.
    static QString BeyondReach(const WorldWindow &widest);
    // Its frames and what they cost, `measured` or not yet, or why not.
    static QString Estimate(int frames, QSize size, const std::optional<DiveEstimate> &measured,
                            const QString &unmeasured);
    // A save's progress, with the time left at the pace of the frames so far.
    static QString Progress(int done, int total, qint64 elapsedMs);
};

} // namespace levyc
