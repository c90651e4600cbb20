#include "RecordingSurface.h"
#include "drawing/Plotter.h"

#include <QtTest>

using namespace levyc;

class TestPlotter : public QObject
{
    Q_OBJECT

private slots:
    void zeroVectorIsOneLineAtThePen();
    void joinedLinesKeepThePenInDoublePrecision();
    void refreshesOncePerThousandAndOneLines_data();
    void refreshesOncePerThousandAndOneLines();
    void setWorldWindow_data();
    void setWorldWindow();
};

void TestPlotter::zeroVectorIsOneLineAtThePen()
{
    RecordingSurface surface;
    surface.KeepLines = true;
    Plotter<RecordingSurface> plotter(surface);
    plotter.SetPen(3.5, -2.25);
    plotter.State().PenColor = RGB(1, 2, 3);
    plotter.LineBy(0, 0);

    QCOMPARE(surface.Kept.size(), 1U);
    const RecordedLine line = surface.Kept.front();
    QCOMPARE(line.x1, 3.5F);
    QCOMPARE(line.y1, -2.25F);
    QCOMPARE(line.x2, 3.5F);
    QCOMPARE(line.y2, -2.25F);
    QCOMPARE(line.color, RGB(1, 2, 3));
    QCOMPARE(plotter.State().PenX, 3.5);
    QCOMPARE(plotter.State().PenY, -2.25);
    QCOMPARE(plotter.State().LineCount, std::int16_t{1});
}

void TestPlotter::joinedLinesKeepThePenInDoublePrecision()
{
    RecordingSurface surface;
    surface.KeepLines = true;
    Plotter<RecordingSurface> plotter(surface);
    const double x = 0.1;
    const double y = 1.0 / 3.0;
    plotter.SetPen(x, y);
    plotter.LineBy(0.2, 1e-9);
    plotter.LineBy(0.3, -1e-9);

    // Summed in doubles, in this order; a float pen would drift off these.
    QCOMPARE(plotter.State().PenX, (x + 0.2) + 0.3);
    QCOMPARE(plotter.State().PenY, (y + 1e-9) + -1e-9);
    QVERIFY(plotter.State().PenX != static_cast<double>(static_cast<float>((x + 0.2) + 0.3)));

    QCOMPARE(surface.Kept.size(), 2U);
    QCOMPARE(surface.Kept[1].x1, surface.Kept[0].x2);
    QCOMPARE(surface.Kept[1].y1, surface.Kept[0].y2);
    QCOMPARE(surface.Kept[1].x1, static_cast<float>(x + 0.2));
    QCOMPARE(surface.Kept[1].x2, static_cast<float>((x + 0.2) + 0.3));
}

void TestPlotter::refreshesOncePerThousandAndOneLines_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<QList<long>>("refreshedAfter");
    QTest::addColumn<int>("lineCount");

    QTest::newRow("1000 lines: none yet") << 1000 << QList<long>{} << 1000;
    QTest::newRow("1001st refreshes and resets") << 1001 << QList<long>{1001} << 0;
    QTest::newRow("2001 lines") << 2001 << QList<long>{1001} << 1000;
    QTest::newRow("2002nd refreshes again") << 2002 << QList<long>{1001, 2002} << 0;
    QTest::newRow("5010 lines") << 5010 << QList<long>{1001, 2002, 3003, 4004, 5005} << 5;
}

void TestPlotter::refreshesOncePerThousandAndOneLines()
{
    QFETCH(int, lines);
    QFETCH(QList<long>, refreshedAfter);
    QFETCH(int, lineCount);

    RecordingSurface surface;
    Plotter<RecordingSurface> plotter(surface);
    for (int i = 0; i < lines; ++i) {
        plotter.LineBy(1, 0);
    }
    QCOMPARE(QList<long>(surface.RefreshedAfterLine.begin(), surface.RefreshedAfterLine.end()), refreshedAfter);
    QCOMPARE(plotter.State().LineCount, static_cast<std::int16_t>(lineCount));
}

void TestPlotter::setWorldWindow_data()
{
    QTest::addColumn<QList<double>>("corners");
    QTest::addColumn<QList<float>>("scale");

    QTest::newRow("the picture's, y up") << QList<double>{-300, 410, 510, -500} << QList<float>{-300, 410, 810, -910};
    QTest::newRow("y down") << QList<double>{0, 0, 640, 480} << QList<float>{0, 0, 640, 480};
    QTest::newRow("rounded to single") << QList<double>{0.1, 0, 1.1, 1}
                                       << QList<float>{0.1F, 0, static_cast<float>(1.1 - 0.1), 1};
}

void TestPlotter::setWorldWindow()
{
    QFETCH(QList<double>, corners);
    QFETCH(QList<float>, scale);

    RecordingSurface area;
    RecordingSurface own;
    Plotter<RecordingSurface> plotter(own);
    plotter.SetPen(7, 8);
    SetWorldWindow(area, corners[0], corners[1], corners[2], corners[3]);

    QCOMPARE(area.ScaleLeft, scale[0]);
    QCOMPARE(area.ScaleTop, scale[1]);
    QCOMPARE(area.ScaleWidth, scale[2]);
    QCOMPARE(area.ScaleHeight, scale[3]);
    QCOMPARE(area.Lines + own.Lines, 0L);
    QCOMPARE(plotter.State().PenX, 7.0);
}

QTEST_GUILESS_MAIN(TestPlotter)
#include "tst_plotter.moc"
