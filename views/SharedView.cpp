#include "SharedView.h"

#include "DivePath.h"

#include <QCoreApplication>
#include <QStringList>

#include <cmath>

namespace levyc {

namespace {

// Width over height, to this part of itself, counts as the same shape: the
// corners of a view that went through text are rounded, its shape with them.
constexpr double SameShape = 1e-9;

bool HasShapeOf(const WorldWindow &window, const WorldWindow &shape)
{
    const double given = window.Width() / window.Height();
    const double wanted = shape.Width() / shape.Height();
    return std::abs(given - wanted) <= SameShape * std::abs(wanted);
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
