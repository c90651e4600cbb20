#include "engine/PlaySchedule.h"

#include <QtTest>

using namespace levyc;

// The schedule of a played film on a clock the test sets.
class TestPlaySchedule : public QObject
{
    Q_OBJECT

private slots:
    void framesAreLateOnlyWhenShownWellAfterTheirTime_data();
    void framesAreLateOnlyWhenShownWellAfterTheirTime();
};

namespace {

constexpr qint64 Ms = 1'000'000;

} // namespace

void TestPlaySchedule::framesAreLateOnlyWhenShownWellAfterTheirTime_data()
{
    // When each frame reaches the screen, in ms; the film starts half a
    // second after its first frame is shown, or later when begun later.
    QTest::addColumn<int>("fps");
    QTest::addColumn<QList<double>>("shownAt");
    QTest::addColumn<int>("late");
    // The wait for the next frame, seen at the film's begin and right after
    // the second last frame is shown.
    QTest::addColumn<double>("waitAfterFirst");
    QTest::addColumn<double>("waitBeforeLast");
    // When the frames drawn ahead were enough to begin, from the first's showing on.
    QTest::addColumn<double>("beginAt");
    QTest::newRow("on time at 30 fps") << 30 << QList<double>{0, 533.4, 566.7, 600} << 0 << 233.3 << 33.3 << 300.0;
    QTest::newRow("a frame 20 ms after its time is late; the next a frame after it")
        << 30 << QList<double>{0, 533.4, 586.7, 620} << 1 << 533.3 << 33.3 << 0.0;
    QTest::newRow("within half a frame is on time")
        << 30 << QList<double>{0, 549, 582, 615} << 0 << 533.3 << 18.0 << 0.0;
    QTest::newRow("after a stall the film goes on at its pace")
        << 30 << QList<double>{0, 533.4, 700, 733.4} << 1 << 533.3 << 33.3 << 0.0;
    QTest::newRow("10 fps") << 10 << QList<double>{0, 600, 760, 860} << 1 << 600.0 << 100.0 << 0.0;
    QTest::newRow("a slow first frame moves the film's start")
        << 30 << QList<double>{2000, 2533.4, 2566.7, 2600} << 0 << 533.3 << 33.3 << 2000.0;
    QTest::newRow("frames drawn ahead late move the film's start")
        << 30 << QList<double>{0, 1233.4, 1266.7, 1300} << 0 << 33.3 << 33.3 << 1200.0;
}

void TestPlaySchedule::framesAreLateOnlyWhenShownWellAfterTheirTime()
{
    QFETCH(int, fps);
    QFETCH(QList<double>, shownAt);
    QFETCH(int, late);
    QFETCH(double, waitAfterFirst);
    QFETCH(double, waitBeforeLast);
    QFETCH(double, beginAt);
    qint64 now = 0;
    PlaySchedule schedule(static_cast<int>(shownAt.size()), fps, [&now] { return now; });
    QCOMPARE(schedule.WaitNs(), qint64(0)); // the first frame at once
    for (int frame = 0; frame < shownAt.size(); ++frame) {
        QVERIFY(!schedule.Ended());
        QCOMPARE(schedule.Next(), frame);
        now = static_cast<qint64>(shownAt.at(frame) * Ms);
        schedule.Shown();
        if (frame == 0) {
            now = static_cast<qint64>(beginAt * Ms);
            schedule.Begin();
            QVERIFY2(qAbs(schedule.WaitNs() - waitAfterFirst * Ms) < 0.1 * Ms,
                     qPrintable(QString::number(schedule.WaitNs())));
        }
        if (frame == shownAt.size() - 2) {
            QVERIFY2(qAbs(schedule.WaitNs() - waitBeforeLast * Ms) < 0.1 * Ms,
                     qPrintable(QString::number(schedule.WaitNs())));
        }
    }
    QVERIFY(schedule.Ended());
    QCOMPARE(schedule.Late(), late);
}

QTEST_GUILESS_MAIN(TestPlaySchedule)
#include "tst_playschedule.moc"
