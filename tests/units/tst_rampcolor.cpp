#include "drawing/Passes.h"
#include "drawing/RampColor.h"

#include <QtTest>

using namespace levyc;

namespace {

QList<int> Components(PackedColor color)
{
    return {RedOf(color), GreenOf(color), BlueOf(color)};
}

} // namespace

class TestRampColor : public QObject
{
    Q_OBJECT

private slots:
    void bandEdges_data();
    void bandEdges();
    void passTable_data();
    void passTable();
};

void TestRampColor::bandEdges_data()
{
    QTest::addColumn<double>("level");
    QTest::addColumn<QList<int>>("rgb");

    QTest::newRow("0 black") << 0.0 << QList<int>{0, 0, 0};
    QTest::newRow("255 red") << 255.0 << QList<int>{255, 0, 0};
    QTest::newRow("256 red, yellow band") << 256.0 << QList<int>{255, 0, 0};
    QTest::newRow("511 yellow") << 511.0 << QList<int>{255, 255, 0};
    QTest::newRow("512 yellow, green band") << 512.0 << QList<int>{255, 255, 0};
    QTest::newRow("767 green") << 767.0 << QList<int>{0, 255, 0};
    QTest::newRow("768 green, cyan band") << 768.0 << QList<int>{0, 255, 0};
    QTest::newRow("1023 cyan") << 1023.0 << QList<int>{0, 255, 255};
    QTest::newRow("1024 cyan, blue band") << 1024.0 << QList<int>{0, 255, 255};
    QTest::newRow("1279 blue") << 1279.0 << QList<int>{0, 0, 255};
    QTest::newRow("1280 solid blue") << 1280.0 << QList<int>{0, 0, 255};
    QTest::newRow("1535 solid blue") << 1535.0 << QList<int>{0, 0, 255};
    QTest::newRow("1536 black") << 1536.0 << QList<int>{0, 0, 0};
    QTest::newRow("5000 black") << 5000.0 << QList<int>{0, 0, 0};
}

void TestRampColor::bandEdges()
{
    QFETCH(double, level);
    QFETCH(QList<int>, rgb);
    QCOMPARE(Components(RampColor(level)), rgb);
}

void TestRampColor::passTable_data()
{
    QTest::addColumn<int>("pass");
    QTest::addColumn<double>("startX");
    QTest::addColumn<double>("startY");
    QTest::addColumn<QList<int>>("rgb");

    QTest::newRow("0") << 0 << 100.0 << 100.0 << QList<int>{0, 0, 0};
    QTest::newRow("1") << 1 << 90.0501 << 97.0 << QList<int>{15, 0, 0};
    QTest::newRow("17") << 17 << 62.4367 << 49.0 << QList<int>{255, 0, 0};
    QTest::newRow("18") << 18 << 61.5813 << 46.0 << QList<int>{255, 14, 0};
    QTest::newRow("35") << 35 << 52.3030 << -5.0 << QList<int>{242, 255, 0};
    QTest::newRow("50") << 50 << 50.0 << -50.0 << QList<int>{17, 255, 0};
    QTest::newRow("52") << 52 << 50.0400 << -56.0 << QList<int>{0, 255, 12};
    QTest::newRow("69") << 69 << 53.7507 << -107.0 << QList<int>{0, 244, 255};
    QTest::newRow("86") << 86 << 65.3013 << -158.0 << QList<int>{0, 0, 255};
    QTest::newRow("100") << 100 << 100.0 << -200.0 << QList<int>{0, 0, 255};
}

void TestRampColor::passTable()
{
    QFETCH(int, pass);
    QFETCH(double, startX);
    QFETCH(double, startY);
    QFETCH(QList<int>, rgb);

    const auto i = static_cast<std::int16_t>(pass);
    QCOMPARE(std::round(PassCurve(i).X * 10000) / 10000, startX);
    QCOMPARE(PassCurve(i).Y, startY);
    QCOMPARE(Components(RampColor(15.0 * pass)), rgb);
}

QTEST_GUILESS_MAIN(TestRampColor)
#include "tst_rampcolor.moc"
