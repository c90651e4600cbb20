#include "SharedView.h"

#include "DivePath.h"

#include <QCoreApplication>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>

namespace levyc {

namespace {

// Width over height, to this part of itself, counts as the same shape.
constexpr double SameShape = 1e-9;
// A few units in the last place of a corner: far from the Draw's centre and
// deep, each side's length is only that exact, so the shape is too.
constexpr double CornerUlps = 4 * std::numeric_limits<double>::epsilon();

bool HasShapeOf(const WorldWindow &window, const WorldWindow &shape)
{
    const double given = window.Width() / window.Height();
    const double wanted = shape.Width() / shape.Height();
    const double rounding =
        CornerUlps * (std::max(std::abs(window.Left), std::abs(window.Right)) / std::abs(window.Width()) +
                      std::max(std::abs(window.Top), std::abs(window.Bottom)) / std::abs(window.Height()));
    return std::abs(given - wanted) <= (SameShape + rounding) * std::abs(wanted);
}

ParsedView Shaped(ParsedView view, const WorldWindow &current)
{
    if (!view.error.isEmpty() || HasShapeOf(view.window, current)) {
        return view;
    }
    view.window = DivePath::WithShapeOf(view.window, current);
    if (!IsDrawableWindow(view.window)) {
        return {{},
                {},
                QCoreApplication::translate("levyc::SharedView",
                                            "the view, given the picture's shape, is too wide to draw")};
    }
    return view;
}

} // namespace

ParsedView ViewToShow(const QString &text, const WorldWindow &current, QSize size)
{
    ParsedView whole = ParseViewText(text, size);
    if (whole.error.isEmpty()) {
        return Shaped(whole, current);
    }
    // Both lines pasted at once: the first that is a view.
    const QStringList lines = text.split(u'\n', Qt::SkipEmptyParts);
    if (lines.size() > 1) {
        for (const QString &line : lines) {
            if (const ParsedView one = ParseViewText(line, size); one.error.isEmpty()) {
                return Shaped(one, current);
            }
        }
    }
    return whole;
}

QString ViewLines(const WorldWindow &window, QSize size)
{
    return WindowLine(window, size) + u'\n' + CentreLine(window, size) + u'\n';
}

} // namespace levyc
