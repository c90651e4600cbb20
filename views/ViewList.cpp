#include "ViewList.h"

#include "DivePath.h"

#include <QCoreApplication>
#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

#include <cmath>

namespace levyc {

namespace {

QString Tr(const char *text)
{
    return QCoreApplication::translate("levyc::ViewList", text);
}

// A line's view, its hold and its name.
ParsedView ReadLine(QString line, QSize size, bool keepSize, ListedView *listed)
{
    static const QRegularExpression name(QStringLiteral("(?:^|\\s)--name(?:=|\\s|$)"));
    if (const QRegularExpressionMatch found = name.match(line); found.hasMatch()) {
        listed->name = line.mid(found.capturedEnd()).trimmed();
        line.truncate(found.capturedStart());
    }
    static const QRegularExpression hold(QStringLiteral("(?:^|\\s)--hold(?:=|\\s+)(\\S*)"));
    QRegularExpressionMatchIterator holds = hold.globalMatch(line);
    if (holds.hasNext()) {
        const QRegularExpressionMatch found = holds.next();
        if (holds.hasNext()) {
            return {{}, {}, Tr("--hold given twice")};
        }
        bool number = false;
        listed->hold = found.captured(1).toDouble(&number);
        if (!number || !(listed->hold >= 0 && listed->hold <= DivePath::MaxSeconds)) {
            return {
                {},
                {},
                Tr("bad hold '%1': expected seconds from 0 to %2").arg(found.captured(1)).arg(DivePath::MaxSeconds)};
        }
        line.remove(found.capturedStart(), found.capturedLength());
    }
    if (!keepSize) {
        // Every view at `size`: a centred one keeps its centre and zoom there.
        static const QRegularExpression sized(QStringLiteral("(?:^|\\s)--size(?:=|\\s+)\\s*\\d+\\s*[xX×]\\s*\\d+"));
        line.remove(sized);
    }
    return ParseViewText(line, size);
}

} // namespace

ParsedViewList ParseViewList(const QString &text, QSize size, bool keepSize)
{
    ParsedViewList list;
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(u'#')) {
            continue;
        }
        ListedView listed;
        const ParsedView view = ReadLine(line, size, keepSize, &listed);
        if (!view.error.isEmpty()) {
            list.error = Tr("line %1: %2").arg(i + 1).arg(view.error);
            list.views.clear();
            list.lines.clear();
            return list;
        }
        listed.window = view.window;
        listed.size = view.size;
        list.views.push_back(std::move(listed));
        list.lines.push_back(static_cast<int>(i + 1));
    }
    return list;
}

QString ViewListText(std::span<const ListedView> views)
{
    QString text;
    for (const ListedView &view : views) {
        text += WindowLine(view.window, view.size);
        if (view.hold > 0) {
            text += QStringLiteral(" --hold ") + QString::number(view.hold, 'g', QLocale::FloatingPointShortest);
        }
        if (QString name = view.name.simplified(); !name.isEmpty()) {
            text += QStringLiteral(" --name ") + name;
        }
        text += u'\n';
    }
    return text;
}

} // namespace levyc
