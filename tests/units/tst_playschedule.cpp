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
    // When each frame reaches the screen, in ms; the film's clock starts
    // when its first frame is shown.
    QTest::addColumn<int>("fps");
    QTest::addColumn<QList<double>>("shownAt");
    QTest::addColumn<int>("late");
    // The wait for the next frame, right after the first frame and the
    // second last are shown.
    QTest::addColumn<double>("waitAfterFirst");
    QTest::addColumn<double>("waitBeforeLast");
    QTest::newRow("on time at 30 fps") << 30 << QList<double>{0, 33.4, 66.7, 100} << 0 << 33.3 << 33.3;
    QTest::newRow("a frame 20 ms after its time is late; the next a frame after it")
        << 30 << QList<double>{0, 33.4, 86.7, 120} << 1 << 33.3 << 33.3;
    QTest::newRow("within half a frame is on time") << 30 << QList<double>{0, 49, 82, 115} << 0 << 33.3 << 18.0;
    QTest::newRow("after a stall the film goes on at its pace")
        << 30 << QList<double>{0, 33.4, 200, 233.4} << 1 << 33.3 << 33.3;
    QTest::newRow("10 fps") << 10 << QList<double>{0, 100, 260, 360} << 1 << 100.0 << 100.0;
    QTest::newRow("a slow first frame moves the film's start")
        << 30 << QList<double>{2000, 2033.4, 2066.7, 2100} << 0 << 33.3 << 33.3;
}

void TestPlaySchedule::framesAreLateOnlyWhenShownWellAfterTheirTime()
{
    QFETCH(int, fps);
    QFETCH(QList<double>, shownAt);
    QFETCH(int, late);
    QFETCH(double, waitAfterFirst);
    QFETCH(double, waitBeforeLast);
    qint64 now = 0;
    PlaySchedule schedule(static_cast<int>(shownAt.size()), fps, [&now] { return now; });
    QCOMPARE(schedule.WaitNs(), qint64(0)); // the first frame at once
    for (int frame = 0; frame < shownAt.size(); ++frame) {
        QVERIFY(!schedule.Ended());
        QCOMPARE(schedule.Next(), frame);
        now = static_cast<qint64>(shownAt.at(frame) * Ms);
        schedule.Shown();
        if (frame == 0) {
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
