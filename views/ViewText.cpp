#include "ViewText.h"

#include "OptionText.h"
#include "OptionWords.h"

#include "drawing/PictureSize.h"
#include "world/PictureWorld.h"

#include <QCoreApplication>
#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <optional>

namespace levyc {

namespace {

// The fewest digits that read back as the same double: 0.1, not
// 0.10000000000000001, and 1e9, not 1e+09.
QString Number(double value)
{
    QString text = QString::number(value, 'g', QLocale::FloatingPointShortest);
    static const QRegularExpression exponent(QStringLiteral("e\\+?(-?)0*(?=\\d)"));
    return text.replace(exponent, QStringLiteral("e\\1"));
}

// `value` to `digits` significant digits.
double Rounded(double value, int digits)
{
    return QString::number(value, 'g', digits).toDouble();
}

// Double precision holds no more significant digits than these.
constexpr int MostDigits = 17;

struct Centred
{
    WorldPoint centre;
    double zoom;
};

// The centre and zoom with the fewest digits whose view is `window` exactly,
// as it is when they were given, say as --centre 300,-400 --zoom 1e9; none
// for a window made another way.
std::optional<Centred> GivenCentre(const WorldWindow &window, QSize size)
{
    const double zoom = ViewZoom(window, size);
    for (int zoomDigits = 1; zoomDigits <= MostDigits; ++zoomDigits) {
        const double z = Rounded(zoom, zoomDigits);
        std::optional<double> x;
        std::optional<double> y;
        // Each coordinate sets two sides alone, so each has its own digits.
        for (int digits = 1; digits <= MostDigits && !(x && y); ++digits) {
            const double cx = Rounded(window.CentreX(), digits);
            const double cy = Rounded(window.CentreY(), digits);
            const WorldWindow across = CentredView({cx, window.CentreY()}, z, size);
            const WorldWindow down = CentredView({window.CentreX(), cy}, z, size);
            if (!x && across.Left == window.Left && across.Right == window.Right) {
                x = cx;
            }
            if (!y && down.Top == window.Top && down.Bottom == window.Bottom) {
                y = cy;
            }
        }
        if (x && y) {
            return Centred{{*x, *y}, z};
        }
    }
    return std::nullopt;
}

QString SizeText(QSize size)
{
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
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

// The text's words, a value typed with spaces around its commas or its "x"
// made one again.
QList<QByteArray> ViewWords(const QString &text)
{
    static const QRegularExpression spaces(QStringLiteral("\\s+"));
    const auto joins = [](QChar c) { return c == u',' || c == u'x' || c == u'X' || c == u'×'; };
    QList<QByteArray> words;
    QString last;
    for (const QString &word : text.split(spaces, Qt::SkipEmptyParts)) {
        if (!words.isEmpty() && !word.startsWith(u"--") && !last.startsWith(u"--") &&
            (joins(last.back()) || joins(word.front()))) {
            last += word;
            words.back() = last.toUtf8();
            continue;
        }
        last = word;
        words << word.toUtf8();
    }
    return words;
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
    const double across = PictureWorld.Width() * size.width() / (PictureSize.width() * window.Width());
    const double down = PictureWorld.Height() * size.height() / (PictureSize.height() * window.Height());
    const double zoom = std::min(std::abs(across), std::abs(down));
    // Both ways reversed is the view turned half way round, as is a zoom below 0.
    return across < 0 && down < 0 ? -zoom : zoom;
}

QString WindowLine(const WorldWindow &window, QSize size)
{
    return QStringLiteral("--window %1,%2,%3,%4 --size %5")
        .arg(Number(window.Left), Number(window.Top), Number(window.Right), Number(window.Bottom), SizeText(size));
}

QString CentreLine(const WorldWindow &window, QSize size)
{
    const Centred given =
        GivenCentre(window, size).value_or(Centred{{window.CentreX(), window.CentreY()}, ViewZoom(window, size)});
    return QStringLiteral("--centre %1,%2 --zoom %3 --size %4")
        .arg(Number(given.centre.X), Number(given.centre.Y), Number(given.zoom), SizeText(size));
}

ParsedView ParseViewText(const QString &text, QSize size)
{
    const QList<QByteArray> words = ViewWords(text);
    const QList<QByteArray> names{"--window", "--centre", "--zoom", "--size"};
    QString values[4];
    bool given[4] = {};
    for (OptionWords reading(words); !reading.AtEnd();) {
        const QByteArray name = reading.Name();
        const qsizetype which = names.indexOf(name);
        if (which < 0) {
            return Refused(Tr("unknown '%1': expected --window X1,Y1,X2,Y2 or --centre X,Y --zoom Z, "
                              "then --size WxH")
                               .arg(QString::fromUtf8(name)));
        }
        if (given[which]) {
            return Refused(Tr("%1 given twice").arg(QString::fromUtf8(name)));
        }
        given[which] = true;
        values[which] = QString::fromUtf8(reading.TakeValue().value_or(QByteArray()));
    }
    const auto &[window, centre, zoom, sizeGiven] = given;
    ParsedView view{{}, size, {}};
    if (sizeGiven) {
        const std::optional<QSize> typed = OptionText::Size(values[3]);
        if (!typed) {
            return Refused(
                Tr("bad size '%1': expected WxH, each side from 1 to %2").arg(values[3]).arg(OptionText::MaxSide));
        }
        view.size = *typed;
    }
    if (window && (centre || zoom)) {
        return Refused(Tr("give --window or --centre with --zoom, not both"));
    }
    if (window) {
        const std::optional<WorldWindow> corners = OptionText::Window(values[0]);
        if (!corners) {
            return Refused(Tr("bad window '%1': expected X1,Y1,X2,Y2").arg(values[0]));
        }
        view.window = *corners;
    } else if (centre != zoom) {
        return Refused(centre ? Tr("--centre needs --zoom") : Tr("--zoom needs --centre"));
    } else if (centre) {
        const std::optional<WorldPoint> point = OptionText::Centre(values[1]);
        if (!point) {
            return Refused(Tr("bad centre '%1': expected X,Y").arg(values[1]));
        }
        const std::optional<double> scale = OptionText::Zoom(values[2]);
        if (!scale) {
            return Refused(Tr("bad zoom '%1': expected a number other than 0").arg(values[2]));
        }
        view.window = CentredView(*point, *scale, view.size);
    } else {
        return Refused(Tr("expected --window X1,Y1,X2,Y2 or --centre X,Y --zoom Z"));
    }
    if (!IsDrawableWindow(view.window)) {
        return Refused(NotDrawable());
    }
    return view;
}

} // namespace levyc
