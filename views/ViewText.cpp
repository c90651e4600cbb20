#include "ViewText.h"

#include "drawing/PictureSize.h"
#include "world/PictureWorld.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace levyc {

namespace {

QString Number(double value)
{
    return QString::number(value, 'g', 17);
}

QString SizeText(QSize size)
{
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

// Comma-separated finite numbers, exactly `count` of them.
bool ParseNumbers(const QString &text, double *values, qsizetype count)
{
    const QStringList parts = text.split(u',');
    if (parts.size() != count) {
        return false;
    }
    for (qsizetype i = 0; i < count; ++i) {
        bool ok = false;
        values[i] = parts[i].trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(values[i])) {
            return false;
        }
    }
    return true;
}

QSize ParseSize(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,9})x(\\d{1,9})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    const int width = match.hasMatch() ? match.captured(1).toInt() : 0;
    const int height = match.hasMatch() ? match.captured(2).toInt() : 0;
    if (width < 1 || height < 1 || width > MaxViewSide || height > MaxViewSide) {
        return {};
    }
    return {width, height};
}

// In the user's language where a window shows it; levyc-render installs no
// translations and stays in English.
QString Tr(const char *text)
{
    return QCoreApplication::translate("levyc::ViewText", text);
}

ParsedView Refused(const QString &reason)
{
    return {{}, {}, reason};
}

QString NotDrawable()
{
    return Tr("not a view that can be drawn: each side from %1 to %2 world units").arg(MinViewSpan).arg(MaxViewSpan);
}

} // namespace

WorldWindow CentredView(WorldPoint centre, double zoom, QSize size)
{
    // Whole numbers multiplied first: zoom 1 at the Draw's size divides
    // 810 * 573 by 573, which is exact.
    const double width = PictureWorld.Width() * size.width() / (PictureSize.width() * zoom);
    const double height = PictureWorld.Height() * size.height() / (PictureSize.height() * zoom);
    return {centre.X - width / 2, centre.Y - height / 2, centre.X + width / 2, centre.Y + height / 2};
}

double ViewZoom(const WorldWindow &window, QSize size)
{
    const double across = PictureWorld.Width() * size.width() / (PictureSize.width() * std::abs(window.Width()));
    const double down = PictureWorld.Height() * size.height() / (PictureSize.height() * window.Height());
    return std::min(std::abs(across), std::abs(down));
}

QString WindowLine(const WorldWindow &window, QSize size)
{
    return QStringLiteral("--window %1,%2,%3,%4 --size %5")
        .arg(Number(window.Left), Number(window.Top), Number(window.Right), Number(window.Bottom), SizeText(size));
}

QString CentreLine(const WorldWindow &window, QSize size)
{
    const double x = window.Left + window.Width() / 2;
    const double y = window.Top + window.Height() / 2;
    return QStringLiteral("--centre %1,%2 --zoom %3 --size %4")
        .arg(Number(x), Number(y), Number(ViewZoom(window, size)), SizeText(size));
}

bool ParseCentre(const QString &text, WorldPoint &centre)
{
    double values[2] = {};
    if (!ParseNumbers(text, values, 2)) {
        return false;
    }
    centre = {values[0], values[1]};
    return true;
}

bool ParseZoom(const QString &text, double &zoom)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || !(value > 0)) {
        return false;
    }
    zoom = value;
    return true;
}

ParsedView ParseViewText(const QString &text, QSize size)
{
    static const QRegularExpression spaces(QStringLiteral("\\s+"));
    const QStringList words = text.split(spaces, Qt::SkipEmptyParts);
    const QStringList names{QStringLiteral("--window"), QStringLiteral("--centre"), QStringLiteral("--zoom"),
                            QStringLiteral("--size")};
    QString values[4];
    bool given[4] = {};
    for (qsizetype i = 0; i < words.size(); ++i) {
        QString name = words[i];
        QString value;
        if (const qsizetype equals = name.indexOf(u'='); equals > 0) {
            value = name.mid(equals + 1);
            name.truncate(equals);
        } else if (i + 1 < words.size()) {
            value = words[++i];
        }
        const qsizetype which = names.indexOf(name);
        if (which < 0) {
            return Refused(Tr("unknown '%1': expected --window X1,Y1,X2,Y2 or --centre X,Y --zoom Z, "
                              "then --size WxH")
                               .arg(name));
        }
        if (given[which]) {
            return Refused(Tr("%1 given twice").arg(name));
        }
        given[which] = true;
        values[which] = value;
    }
    const auto &[window, centre, zoom, sizeGiven] = given;
    ParsedView view{{}, size, {}};
    if (sizeGiven && (view.size = ParseSize(values[3])).isEmpty()) {
        return Refused(Tr("bad size '%1': expected WxH, each side from 1 to %2").arg(values[3]).arg(MaxViewSide));
    }
    if (window && (centre || zoom)) {
        return Refused(Tr("give --window or --centre with --zoom, not both"));
    }
    if (window) {
        double corners[4] = {};
        if (!ParseNumbers(values[0], corners, 4)) {
            return Refused(Tr("bad window '%1': expected X1,Y1,X2,Y2").arg(values[0]));
        }
        view.window = {corners[0], corners[1], corners[2], corners[3]};
    } else if (centre != zoom) {
        return Refused(centre ? Tr("--centre needs --zoom") : Tr("--zoom needs --centre"));
    } else if (centre) {
        WorldPoint point;
        double scale = 0;
        if (!ParseCentre(values[1], point)) {
            return Refused(Tr("bad centre '%1': expected X,Y").arg(values[1]));
        }
        if (!ParseZoom(values[2], scale)) {
            return Refused(Tr("bad zoom '%1': expected a number above 0").arg(values[2]));
        }
        view.window = CentredView(point, scale, view.size);
    } else {
        return Refused(Tr("expected --window X1,Y1,X2,Y2 or --centre X,Y --zoom Z"));
    }
    if (!IsDrawableWindow(view.window)) {
        return Refused(NotDrawable());
    }
    return view;
}

} // namespace levyc
