#pragma once

#include "ViewText.h"

#include <QSize>
#include <QString>

#include <span>
#include <vector>

namespace levyc {

// A list of views as text, one a line, as bookmarks are exported and a
// film's views are given:
//   --window X1,Y1,X2,Y2 --size WxH [--hold SECONDS] [--name TEXT]
// Either of Copy View's lines gives the view; --name takes the rest of the
// line. Blank lines and lines starting with '#' are skipped.
struct ListedView
{
    WorldWindow window;
    QSize size;
    double hold = 0; // seconds a film stays on the view
    QString name;

    friend bool operator==(const ListedView &, const ListedView &) = default;
};

struct ParsedViewList
{
    std::vector<ListedView> views;
    std::vector<int> lines; // each view's line, from 1
    QString error;          // why a line is refused, naming it; empty when all are views
};

// The views of `text`. A line without --size is at `size`; with
// `keepSize` false every line is, its --size read but not used, so that
// each view takes that size around its own centre.
ParsedViewList ParseViewList(const QString &text, QSize size, bool keepSize = true);

// The text of a list, a line for each view, that ParseViewList reads back
// as the same views.
QString ViewListText(std::span<const ListedView> views);

} // namespace levyc
