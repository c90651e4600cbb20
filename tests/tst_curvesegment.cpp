#include "Plotter.h"
#include "RecordingSurface.h"

#include <QtTest>

#include <algorithm>

namespace {

struct Drawn
{
    RecordingSurface surface;
    Plotter plotter{surface};

    explicit Drawn(double limit = 1.0) { plotter.State().SegmentLimit = limit; }
};

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
    void refreshesRunOnAcrossCurves();
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
