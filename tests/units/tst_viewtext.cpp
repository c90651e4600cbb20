#include "drawing/PictureSize.h"
#include "views/ViewList.h"
#include "views/ViewText.h"
#include "world/PictureWorld.h"

#include <QtTest>

#include <cmath>

using namespace levyc;

Q_DECLARE_METATYPE(levyc::WorldWindow)

namespace {

// About 1e12 times closer than the Draw, off any round number.
constexpr WorldPoint DeepCentre{300.000000000123456, -400.000000000678901};

// How far apart two windows' corners are, in pixels of `size`.
double PixelsApart(const WorldWindow &a, const WorldWindow &b, QSize size)
{
    const double across = std::abs(b.Width()) / size.width();
    const double down = std::abs(b.Height()) / size.height();
    return std::max({std::abs(a.Left - b.Left) / across, std::abs(a.Right - b.Right) / across,
                     std::abs(a.Top - b.Top) / down, std::abs(a.Bottom - b.Bottom) / down});
}

} // namespace

class TestViewText : public QObject
{
    Q_OBJECT

private slots:
    void centredView_data();
    void centredView();
    void largerSizesKeepTheScale_data();
    void largerSizesKeepTheScale();
    void linesRoundTrip_data();
    void linesRoundTrip();
    void parse_data();
    void parse();
    void viewList_data();
    void viewList();
};

void TestViewText::centredView_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<double>("zoom");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<WorldWindow>("expected");

    QTest::newRow("zoom 1 at the Draw's size is the Draw") << 105.0 << -45.0 << 1.0 << PictureSize << PictureWorld;
    QTest::newRow("twice the size shows twice as much")
        << 105.0 << -45.0 << 1.0 << QSize(1146, 826) << WorldWindow{-705, 865, 915, -955};
    QTest::newRow("zoom 2 halves each side")
        << 105.0 << -45.0 << 2.0 << PictureSize << WorldWindow{-97.5, 182.5, 307.5, -272.5};
    QTest::newRow("elsewhere, at zoom 0.5") << 0.0 << 0.0 << 0.5 << PictureSize << WorldWindow{-810, 910, 810, -910};
}

void TestViewText::centredView()
{
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(double, zoom);
    QFETCH(QSize, size);
    QFETCH(WorldWindow, expected);
    const WorldWindow window = CentredView({x, y}, zoom, size);
    QCOMPARE(window.Left, expected.Left);
    QCOMPARE(window.Top, expected.Top);
    QCOMPARE(window.Right, expected.Right);
    QCOMPARE(window.Bottom, expected.Bottom);
}

void TestViewText::largerSizesKeepTheScale_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<double>("zoom");
    QTest::addColumn<QSize>("size");

    QTest::newRow("the Draw's centre, full HD") << 105.0 << -45.0 << 1.0 << QSize(1920, 1080);
    QTest::newRow("deep, full HD") << DeepCentre.X << DeepCentre.Y << 1e12 << QSize(1920, 1080);
    QTest::newRow("deep, tall and narrow") << DeepCentre.X << DeepCentre.Y << 3e9 << QSize(101, 1600);
}

// At the Draw's size and at another, each pixel is the Draw's made `zoom`
// times smaller, about the same centre: up to the corners' rounding, which
// deep down is a few hundredths of a pixel.
void TestViewText::largerSizesKeepTheScale()
{
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(double, zoom);
    QFETCH(QSize, size);
    const double pixelWidth = 810.0 / 573 / zoom;
    const double pixelHeight = 910.0 / 413 / zoom;
    for (const QSize at : {PictureSize, size}) {
        const double halfWidth = at.width() / 2.0 * pixelWidth;
        const double halfHeight = at.height() / 2.0 * pixelHeight;
        const WorldWindow expected{x - halfWidth, y + halfHeight, x + halfWidth, y - halfHeight};
        const double apart = PixelsApart(CentredView({x, y}, zoom, at), expected, at);
        QVERIFY2(apart < 0.1, qPrintable(QString::number(apart)));
    }
}

void TestViewText::linesRoundTrip_data()
{
    QTest::addColumn<WorldWindow>("window");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("windowLine");
    QTest::addColumn<QString>("centreLine"); // empty: not checked as text
    QTest::addColumn<bool>("drawShape");     // pixels of the Draw's shape

    QTest::newRow("the Draw") << PictureWorld << PictureSize << "--window -300,410,510,-500 --size 573x413"
                              << "--centre 105,-45 --zoom 1 --size 573x413" << true;
    QTest::newRow("deep, at 1e12") << CentredView(DeepCentre, 1e12, PictureSize) << PictureSize << ""
                                   << "" << true;
    // A view given by its centre and zoom is written as it was given.
    QTest::newRow("given at 1e9") << CentredView({300, -400}, 1e9, PictureSize) << PictureSize << ""
                                  << "--centre 300,-400 --zoom 1e9 --size 573x413" << true;
    // Below 0 the zoom turns the view half way round, as reversed corners do.
    QTest::newRow("turned half way round")
        << WorldWindow{310, -410, 290, -390} << QSize(100, 100) << "--window 310,-410,290,-390 --size 100x100"
        << "" << false;
    QTest::newRow("turned, given at -8") << CentredView({300, -400}, -8, PictureSize) << PictureSize << ""
                                         << "--centre 300,-400 --zoom -8 --size 573x413" << true;
    QTest::newRow("given, full HD") << CentredView({-0.1, 12.345}, 2.5e-3, QSize(1920, 1080)) << QSize(1920, 1080) << ""
                                    << "--centre -0.1,12.345 --zoom 0.0025 --size 1920x1080" << true;
    QTest::newRow("deep, full HD") << CentredView(DeepCentre, 1e12, QSize(1920, 1080)) << QSize(1920, 1080) << ""
                                   << "" << true;
    QTest::newRow("square pixels, wider than the Draw's")
        << WorldWindow{0, 10, 10, 0} << QSize(100, 100) << "--window 0,10,10,0 --size 100x100"
        << "" << false;
    // 0.1 is 0.10000000000000001 to 17 digits: the fewest that read back are written.
    QTest::newRow("the fewest digits that read back")
        << WorldWindow{0.1, 0.7, 0.30000000000000004, 0.2} << QSize(100, 100)
        << "--window 0.1,0.7,0.30000000000000004,0.2 --size 100x100"
        << "" << false;
    QTest::newRow("pixels ten times as wide") << WorldWindow{0, 1, 10, 0} << QSize(100, 100) << ""
                                              << "" << false;
    QTest::newRow("wide, at 2e-4") << CentredView({-1234.5678, 9876.54321}, 2e-4, QSize(800, 600)) << QSize(800, 600)
                                   << ""
                                   << "" << true;
}

// The window line gives back the same doubles; the centre line the same view,
// to a small part of a pixel, or for pixels of another shape the smallest
// view of the Draw's shape that holds it, about the same centre.
void TestViewText::linesRoundTrip()
{
    QFETCH(WorldWindow, window);
    QFETCH(QSize, size);
    QFETCH(QString, windowLine);
    QFETCH(QString, centreLine);
    QFETCH(bool, drawShape);
    if (!windowLine.isEmpty()) {
        QCOMPARE(WindowLine(window, size), windowLine);
    }
    if (!centreLine.isEmpty()) {
        QCOMPARE(CentreLine(window, size), centreLine);
    }
    const ParsedView byWindow = ParseViewText(WindowLine(window, size), QSize(7, 7));
    QCOMPARE(byWindow.error, QString());
    QCOMPARE(byWindow.size, size);
    QCOMPARE(byWindow.window, window);

    const ParsedView byCentre = ParseViewText(CentreLine(window, size), QSize(7, 7));
    QCOMPARE(byCentre.error, QString());
    QCOMPARE(byCentre.size, size);
    const WorldWindow &view = byCentre.window;
    if (drawShape) {
        const double apart = PixelsApart(view, window, size);
        QVERIFY2(apart < 0.1, qPrintable(QString::number(apart)));
        return;
    }
    QCOMPARE(view.Left + view.Right, window.Left + window.Right);
    QCOMPARE(view.Top + view.Bottom, window.Top + window.Bottom);
    const double across = view.Width() / window.Width();
    const double down = view.Height() / window.Height();
    QVERIFY2(std::abs(std::min(across, down) - 1) < 1e-12, qPrintable(QStringLiteral("%1 %2").arg(across).arg(down)));
}

void TestViewText::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<WorldWindow>("window");
    QTest::addColumn<QString>("error");

    const QSize other(800, 600);
    const WorldWindow none{};
    QTest::newRow("pasted with spaces and a newline") << "  --centre 105,-45 \t --zoom 1  --size 573x413\n"
                                                      << other << PictureWorld << "";
    QTest::newRow("window with =, the size given") << "--window=-300,410,510,-500" << other << PictureWorld << "";
    QTest::newRow("any order") << "--size 1146x826 --zoom 1 --centre 105,-45" << other
                               << WorldWindow{-705, 865, 915, -955} << "";
    QTest::newRow("size as W×H, spaces after commas")
        << "--size 1146 × 826 --centre 105, -45 --zoom 1" << other << WorldWindow{-705, 865, 915, -955} << "";
    QTest::newRow("no size: the given one")
        << "--centre 105,-45 --zoom 2" << PictureSize << WorldWindow{-97.5, 182.5, 307.5, -272.5} << "";
    QTest::newRow("nothing") << "   " << other << none << "expected --window X1,Y1,X2,Y2 or --centre";
    QTest::newRow("three corners") << "--window 1,2,3" << other << none << "bad window '1,2,3'";
    QTest::newRow("five numbers for a window") << "--window 0,1,1,0,5" << other << none << "bad window '0,1,1,0,5'";
    QTest::newRow("three numbers for a centre") << "--centre 1,2,3 --zoom 1" << other << none << "bad centre '1,2,3'";
    QTest::newRow("a word for a corner") << "--window 0,1,x,0" << other << none << "bad window";
    QTest::newRow("centre alone") << "--centre 1,2" << other << none << "--centre needs --zoom";
    QTest::newRow("zoom alone") << "--zoom 2 --size 10x10" << other << none << "--zoom needs --centre";
    QTest::newRow("both kinds") << "--window 0,1,1,0 --centre 0,0 --zoom 1" << other << none << "not both";
    QTest::newRow("given twice") << "--zoom 1 --centre 0,0 --zoom 2" << other << none << "--zoom given twice";
    QTest::newRow("a program's name") << "levyc-render --window 0,1,1,0" << other << none << "unknown 'levyc-render'";
    QTest::newRow("zoom below 0: turned")
        << "--centre 105,-45 --zoom -1" << PictureSize << WorldWindow{510, -500, -300, 410} << "";
    QTest::newRow("zoom 0") << "--centre 1,2 --zoom 0" << other << none << "bad zoom '0'";
    QTest::newRow("infinite zoom") << "--centre 1,2 --zoom inf" << other << none << "bad zoom 'inf'";
    QTest::newRow("not a number") << "--centre nan,2 --zoom 1" << other << none << "bad centre 'nan,2'";
    QTest::newRow("missing value") << "--centre 1,2 --zoom" << other << none << "bad zoom ''";
    QTest::newRow("too wide") << "--centre 1,2 --zoom 1e-9" << other << none << "not a view that can be drawn";
    QTest::newRow("too deep") << "--centre 1,2 --zoom 1e14" << other << none << "not a view that can be drawn";
    QTest::newRow("too narrow a window") << "--window 0,1,1e-11,0" << other << none << "not a view that can be drawn";
    QTest::newRow("size 0") << "--window 0,1,1,0 --size 0x5" << other << none << "bad size '0x5'";
    QTest::newRow("size too large") << "--window 0,1,1,0 --size 16385x1" << other << none << "bad size";
}

void TestViewText::parse()
{
    QFETCH(QString, text);
    QFETCH(QSize, size);
    QFETCH(WorldWindow, window);
    QFETCH(QString, error);
    const ParsedView view = ParseViewText(text, size);
    if (!error.isEmpty()) {
        QVERIFY2(view.error.contains(error), qPrintable(view.error));
        return;
    }
    QCOMPARE(view.error, QString());
    QCOMPARE(view.window, window);
    const QRegularExpressionMatch given =
        QRegularExpression(QStringLiteral("--size[ =](\\d+) ?[x×] ?(\\d+)")).match(text);
    QCOMPARE(view.size, given.hasMatch() ? QSize(given.captured(1).toInt(), given.captured(2).toInt()) : size);
}

void TestViewText::viewList_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("keepSize");
    QTest::addColumn<QList<WorldWindow>>("windows");
    QTest::addColumn<QList<double>>("holds");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("error");

    const QString draw = QStringLiteral("--window -300,410,510,-500 --size 573x413");
    const WorldWindow doubled{-705, 865, 915, -955}; // the Draw's centre and zoom at 1146x826
    QTest::newRow("either line, comments and blank lines skipped")
        << "# my tour\n\n" + draw + "\n  --centre 105,-45 --zoom 1 --size 1146x826\n"
        << true << QList<WorldWindow>{PictureWorld, doubled} << QList<double>{0, 0} << QStringList{"", ""} << "";
    QTest::newRow("a name is the rest of the line, --hold in it too")
        << draw + " --hold 2.5 --name  The corner --hold 3, spaced  " << true << QList<WorldWindow>{PictureWorld}
        << QList<double>{2.5} << QStringList{"The corner --hold 3, spaced"} << "";
    QTest::newRow("a hold after the size, with =, a name with =")
        << "--centre 105,-45 --zoom 1 --hold=0 --size 573x413 --name=a=b" << true << QList<WorldWindow>{PictureWorld}
        << QList<double>{0} << QStringList{"a=b"} << "";
    QTest::newRow("sizes read but not used: each view at the list's size")
        << "--centre 105,-45 --zoom 1 --size 573x413\n--window 0,1,1,0 --size 10 x 10" << false
        << QList<WorldWindow>{doubled, {0, 1, 1, 0}} << QList<double>{0, 0} << QStringList{"", ""} << "";
    QTest::newRow("a bad line, by its number") << draw + "\n# two\n--window 1,2,3" << true << QList<WorldWindow>{}
                                               << QList<double>{} << QStringList{} << "line 3: bad window '1,2,3'";
    QTest::newRow("a bad hold") << draw + " --hold -1" << true << QList<WorldWindow>{} << QList<double>{}
                                << QStringList{} << "line 1: bad hold '-1'";
    QTest::newRow("a hold given twice") << draw + " --hold 1 --hold 2" << true << QList<WorldWindow>{}
                                        << QList<double>{} << QStringList{} << "line 1: --hold given twice";
    QTest::newRow("an unknown option") << draw + " --speed 2" << true << QList<WorldWindow>{} << QList<double>{}
                                       << QStringList{} << "line 1: unknown '--speed'";
}

// Views read from a list, one a line; written back, the same views.
void TestViewText::viewList()
{
    QFETCH(QString, text);
    QFETCH(bool, keepSize);
    QFETCH(QList<WorldWindow>, windows);
    QFETCH(QList<double>, holds);
    QFETCH(QStringList, names);
    QFETCH(QString, error);

    const ParsedViewList list = ParseViewList(text, QSize(1146, 826), keepSize);
    if (!error.isEmpty()) {
        QVERIFY2(list.error.contains(error), qPrintable(list.error));
        QVERIFY(list.views.empty());
        return;
    }
    QCOMPARE(list.error, QString());
    QCOMPARE(static_cast<qsizetype>(list.views.size()), windows.size());
    for (qsizetype i = 0; i < windows.size(); ++i) {
        const ListedView &view = list.views[static_cast<std::size_t>(i)];
        QCOMPARE(view.window, windows[i]);
        QCOMPARE(view.hold, holds[i]);
        QCOMPARE(view.name, names[i]);
    }
    const ParsedViewList again = ParseViewList(ViewListText(list.views), QSize(1, 1));
    QCOMPARE(again.error, QString());
    QVERIFY(again.views == list.views);
}

QTEST_APPLESS_MAIN(TestViewText)
#include "tst_viewtext.moc"
