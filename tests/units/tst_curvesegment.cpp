#include "RecordingSurface.h"
#include "drawing/Canvas.h"
#include "drawing/PictureSize.h"
#include "drawing/Plotter.h"

#include <QtTest>

#include <algorithm>

using namespace levyc;

namespace {

struct Drawn
{
    RecordingSurface surface;
    Plotter<RecordingSurface> plotter{surface};

    explicit Drawn(double limit = 1.0) { plotter.State().SegmentLimit = limit; }
};

// Hands every call on to a canvas, but draws each line of a curve with Line:
// the reference for the canvas's own curve drawing.
class LineByLine final
{
public:
    explicit LineByLine(Canvas &canvas)
        : canvas_(canvas)
    {
    }
    void SetScaleLeft(float value) { canvas_.SetScaleLeft(value); }
    void SetScaleTop(float value) { canvas_.SetScaleTop(value); }
    void SetScaleWidth(float value) { canvas_.SetScaleWidth(value); }
    void SetScaleHeight(float value) { canvas_.SetScaleHeight(value); }
    void SetBackColor(PackedColor color) { canvas_.SetBackColor(color); }
    void SetDrawWidth(int width) { canvas_.SetDrawWidth(width); }
    void Cls() { canvas_.Cls(); }
    void Line(float x1, float y1, float x2, float y2, PackedColor color) { canvas_.Line(x1, y1, x2, y2, color); }
    void Refresh() {}
    template <typename Walk> void Curve(const WorldBox & /*reach*/, Walk &&walk)
    {
        const auto line = [this](float x1, float y1, float x2, float y2, PackedColor color) {
            Line(x1, y1, x2, y2, color);
        };
        walk(line, line);
    }

private:
    Canvas &canvas_;
};

template <typename Surface> void DrawCurves(Surface &surface, int width, const QList<double> &curves)
{
    Plotter<Surface> plotter(surface);
    SetWorldWindow(surface, PictureWorld);
    plotter.State().SegmentLimit = 1;
    surface.SetDrawWidth(width);
    for (qsizetype i = 0; i + 3 < curves.size(); i += 4) {
        plotter.State().PenColor = RGB(static_cast<int>(i) * 40, 255, 255 - static_cast<int>(i) * 40);
        plotter.SetPen(curves[i], curves[i + 1]);
        plotter.CurveSegment(curves[i + 2], curves[i + 3]);
    }
}

} // namespace

class TestCurveSegment : public QObject
{
    Q_OBJECT

private slots:
    void lineSequence_data();
    void lineSequence();
    void lineCountByLength_data();
    void lineCountByLength();
    void extentOfAHorizontalCurve();
    void everyLineLiesWithinTheReachGiven_data();
    void everyLineLiesWithinTheReachGiven();
    void refreshesRunOnAcrossCurves();
    void refreshesAndCountAsLineByLine_data();
    void refreshesAndCountAsLineByLine();
    void directDrawingMatchesLineByLine_data();
    void directDrawingMatchesLineByLine();
    void endlessSubdivisionDrawsTheVectorOnce_data();
    void endlessSubdivisionDrawsTheVectorOnce();
};

void TestCurveSegment::lineSequence_data()
{
    QTest::addColumn<QPointF>("vector");
    QTest::addColumn<QList<QPointF>>("ends");

    QTest::newRow("zero vector") << QPointF(0, 0) << QList<QPointF>{{0, 0}};
    QTest::newRow("(1, 0) is short enough") << QPointF(1, 0) << QList<QPointF>{{1, 0}};
    QTest::newRow("(0, -1) is short enough") << QPointF(0, -1) << QList<QPointF>{{0, -1}};
    QTest::newRow("(1, 1) splits once") << QPointF(1, 1) << QList<QPointF>{{1, 0}, {1, 1}};
    QTest::newRow("(2, 0) dips below") << QPointF(2, 0) << QList<QPointF>{{0, -1}, {1, -1}, {2, -1}, {2, 0}};
}

void TestCurveSegment::lineSequence()
{
    QFETCH(QPointF, vector);
    QFETCH(QList<QPointF>, ends);

    Drawn drawn;
    drawn.surface.KeepLines = true;
    drawn.plotter.CurveSegment(vector.x(), vector.y());

    QList<QPointF> actual;
    QPointF from(0, 0);
    for (const RecordedLine &line : drawn.surface.Kept) {
        QCOMPARE(QPointF(line.x1, line.y1), from);
        from = QPointF(line.x2, line.y2);
        actual << from;
    }
    QCOMPARE(actual, ends);
}

void TestCurveSegment::lineCountByLength_data()
{
    QTest::addColumn<double>("length");
    QTest::addColumn<long>("lines");

    QTest::newRow("100") << 100.0 << 16384L;
    QTest::newRow("128: pieces of exactly 1 are not split") << 128.0 << 16384L;
    QTest::newRow("129") << 129.0 << 32768L;
    QTest::newRow("181") << 181.0 << 32768L;
    QTest::newRow("182") << 182.0 << 65536L;
    QTest::newRow("200") << 200.0 << 65536L;
}

void TestCurveSegment::lineCountByLength()
{
    QFETCH(double, length);
    QFETCH(long, lines);

    Drawn drawn;
    drawn.plotter.SetPen(100, -200);
    drawn.plotter.CurveSegment(length, 0);

    QCOMPARE(drawn.surface.Lines, lines);
    QCOMPARE(drawn.surface.Strokes.size(), 1U);
    QCOMPARE(drawn.plotter.State().PenX, 100 + length);
    QCOMPARE(drawn.plotter.State().PenY, -200.0);
    QCOMPARE(drawn.plotter.State().LineCount, static_cast<std::int16_t>(lines % 1001));
}

void TestCurveSegment::extentOfAHorizontalCurve()
{
    const double length = 200;
    Drawn drawn;
    drawn.surface.KeepLines = true;
    drawn.plotter.CurveSegment(length, 0);

    float minX = 0;
    float maxX = 0;
    float minY = 0;
    float maxY = 0;
    for (const RecordedLine &line : drawn.surface.Kept) {
        minX = std::min({minX, line.x1, line.x2});
        maxX = std::max({maxX, line.x1, line.x2});
        minY = std::min({minY, line.y1, line.y2});
        maxY = std::max({maxY, line.y1, line.y2});
    }
    // Inside x -0.5L..1.5L and y -L..0.25L, and reaching most of the way out:
    // the bulk lies below the base line.
    QVERIFY2(minX >= -0.5 * length && minX < -0.4 * length, qPrintable(QString::number(minX)));
    QVERIFY2(maxX <= 1.5 * length && maxX > 1.4 * length, qPrintable(QString::number(maxX)));
    QVERIFY2(minY >= -length && minY < -0.9 * length, qPrintable(QString::number(minY)));
    QVERIFY2(maxY <= 0.25 * length && maxY > 0.2 * length, qPrintable(QString::number(maxY)));
}

void TestCurveSegment::everyLineLiesWithinTheReachGiven_data()
{
    QTest::addColumn<QPointF>("start");
    QTest::addColumn<QPointF>("vector");
    for (int direction = 0; direction < 8; ++direction) {
        const double angle = direction * M_PI / 4;
        QTest::addRow("%d degrees", direction * 45)
            << QPointF(100, -200) << QPointF(150 * std::cos(angle), 150 * std::sin(angle));
    }
    QTest::newRow("the white curve") << QPointF(100, -200) << QPointF(200, 0);
}

// The canvas skips the bounds test for curves whose reach it holds: a line
// outside the reach would be written outside the image.
void TestCurveSegment::everyLineLiesWithinTheReachGiven()
{
    QFETCH(QPointF, start);
    QFETCH(QPointF, vector);
    Drawn drawn;
    drawn.surface.KeepLines = true;
    drawn.plotter.SetPen(start.x(), start.y());
    drawn.plotter.CurveSegment(vector.x(), vector.y());

    QCOMPARE(drawn.surface.Reaches.size(), 1U);
    const WorldBox reach = drawn.surface.Reaches.front();
    const auto inside = [&](float x, float y) {
        return x >= reach.MinX && x <= reach.MaxX && y >= reach.MinY && y <= reach.MaxY;
    };
    for (const RecordedLine &line : drawn.surface.Kept) {
        QVERIFY(inside(line.x1, line.y1) && inside(line.x2, line.y2));
    }
}

void TestCurveSegment::refreshesRunOnAcrossCurves()
{
    Drawn drawn;
    drawn.plotter.CurveSegment(100, 0);
    drawn.plotter.CurveSegment(100, 0);

    QCOMPARE(drawn.surface.Lines, 2L * 16384);
    QCOMPARE(drawn.surface.Refreshes, 2L * 16384 / 1001);
    for (long after : drawn.surface.RefreshedAfterLine) {
        QCOMPARE(after % 1001, 0L);
    }
}

void TestCurveSegment::refreshesAndCountAsLineByLine_data()
{
    QTest::addColumn<int>("count"); // LineCount before the curve
    QTest::newRow("0") << 0;
    QTest::newRow("1000: the next line refreshes") << 1000;
    QTest::newRow("past the range") << 4000;
    QTest::newRow("negative") << -5;
    QTest::newRow("largest: wraps to the smallest") << 32767;
}

// The curve counts its lines down to the next refresh; LineBy counts up.
void TestCurveSegment::refreshesAndCountAsLineByLine()
{
    QFETCH(int, count);
    const long lines = 16384;
    Drawn drawn;
    drawn.plotter.State().LineCount = static_cast<std::int16_t>(count);
    drawn.plotter.CurveSegment(100, 0);

    auto expected = static_cast<std::int16_t>(count);
    std::vector<long> refreshedAfter;
    for (long line = 1; line <= lines; ++line) {
        expected = static_cast<std::int16_t>(expected + 1);
        if (expected > 1000) {
            expected = 0;
        }
        if (expected == 0) {
            refreshedAfter.push_back(line);
        }
    }
    QCOMPARE(drawn.surface.Lines, lines);
    QCOMPARE(drawn.surface.RefreshedAfterLine, refreshedAfter);
    QCOMPARE(drawn.plotter.State().LineCount, expected);
}

void TestCurveSegment::directDrawingMatchesLineByLine_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("width");
    QTest::addColumn<QList<double>>("curves"); // x, y, p, q for each

    const QSize picture = PictureSize;
    QTest::newRow("the last curves") << picture << 1 << QList<double>{100, -200, 200, 0, 90.05, -197, 199, 0};
    QTest::newRow("slanted") << picture << 1 << QList<double>{0, 0, 60, -80, 10, 10, -30, 100};
    QTest::newRow("partly off the image") << picture << 1 << QList<double>{-250, 300, 200, 0, 350, -300, 0, -150};
    QTest::newRow("wholly off the image") << picture << 1 << QList<double>{-900, 900, 100, 0};
    QTest::newRow("large image, long lines") << QSize(3840, 2160) << 1 << QList<double>{100, -200, 200, 0};
    // A world unit just under a pixel, and just over; the curves along 128
    // and (0, 128) are made of lines one unit long, on the axes.
    const QList<double> unitLines{100, -200, 128, 0, -100, 50, 0, 128, 0, 0, 60, -80};
    QTest::newRow("lines just under a pixel") << QSize(805, 905) << 1 << unitLines;
    QTest::newRow("lines just over a pixel") << QSize(830, 930) << 1 << unitLines;
    QTest::newRow("tiny image") << QSize(5, 4) << 1 << QList<double>{100, -200, 200, 0};
    QTest::newRow("wide pen") << picture << 3 << QList<double>{100, -200, 120, 40};

    // Eight directions, each hugging every edge at several distances: a curve
    // whose reach is misjudged would be drawn unchecked past the image.
    QList<double> nearEdges;
    const double length = 60;
    for (int direction = 0; direction < 8; ++direction) {
        const double angle = direction * M_PI / 4;
        const double p = length * std::cos(angle);
        const double q = length * std::sin(angle);
        for (const double gap : {0.0, 20.0, 45.0, 70.0, 95.0}) {
            const WorldWindow &w = PictureWorld;
            nearEdges << w.Left + gap << 0 << p << q;     // left edge
            nearEdges << w.Right - gap << 0 << p << q;    // right edge
            nearEdges << 100 << w.Top - gap << p << q;    // top edge
            nearEdges << 100 << w.Bottom + gap << p << q; // bottom edge
        }
    }
    QTest::newRow("hugging the edges") << picture << 1 << nearEdges;
}

void TestCurveSegment::directDrawingMatchesLineByLine()
{
    QFETCH(QSize, size);
    QFETCH(int, width);
    QFETCH(QList<double>, curves);

    Canvas direct(size, RGB(0, 0, 0));
    Canvas reference(size, RGB(0, 0, 0));
    LineByLine lineByLine(reference);
    DrawCurves(direct, width, curves);
    DrawCurves(lineByLine, width, curves);
    QCOMPARE(direct.LinesDrawn(), reference.LinesDrawn());
    QVERIFY(direct.Image() == reference.Image());
    QCOMPARE(direct.TakeDirty(), reference.TakeDirty());
}

void TestCurveSegment::endlessSubdivisionDrawsTheVectorOnce_data()
{
    QTest::addColumn<double>("limit");
    QTest::addColumn<double>("p");
    QTest::addColumn<double>("q");

    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("zero limit") << 0.0 << 5.0 << 2.0;
    QTest::newRow("negative limit") << -1.0 << 5.0 << 2.0;
    QTest::newRow("limit not a number") << nan << 5.0 << 2.0;
    QTest::newRow("infinite vector") << 1.0 << inf << 0.0;
    QTest::newRow("vector not a number") << 1.0 << 3.0 << nan;
}

void TestCurveSegment::endlessSubdivisionDrawsTheVectorOnce()
{
    QFETCH(double, limit);
    QFETCH(double, p);
    QFETCH(double, q);
    Drawn drawn(limit);
    drawn.plotter.CurveSegment(p, q);
    QCOMPARE(drawn.surface.Lines, 1L);
    QCOMPARE(drawn.plotter.State().PenX, p);
    QVERIFY(drawn.plotter.State().PenY == q || (std::isnan(q) && std::isnan(drawn.plotter.State().PenY)));
}

QTEST_GUILESS_MAIN(TestCurveSegment)
#include "tst_curvesegment.moc"
