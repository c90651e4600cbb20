#include "engine/JobRunner.h"

#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>

#include <mutex>

using levyc::JobRunner;

class TestJobRunner : public QObject
{
    Q_OBJECT

private slots:
    void jobsWhileOneRuns_data();
    void jobsWhileOneRuns();
    void postToAReceiverGoneIsDropped();
};

void TestJobRunner::jobsWhileOneRuns_data()
{
    // Jobs B and C are asked for while A runs; then `then` is done, and A is let go.
    QTest::addColumn<QString>("then");
    QTest::addColumn<QString>("ran"); // each job that ran, upper case when it saw itself cancelled
    QTest::newRow("the last waiting replaces the others") << ""
                                                          << "a c";
    QTest::newRow("a waiting job cancelled runs cancelled") << "cancel C"
                                                            << "a C";
    QTest::newRow("the job under way cancelled") << "cancel A"
                                                 << "A c";
    QTest::newRow("an older number leaves the newer alone") << "cancel B"
                                                            << "a c";
    QTest::newRow("drop cancels the one under way and forgets the rest") << "drop"
                                                                         << "A";
}

void TestJobRunner::jobsWhileOneRuns()
{
    QFETCH(QString, then);
    QFETCH(QString, ran);
    std::mutex mutex;
    QStringList seen;
    QSemaphore started;
    QSemaphore go;
    JobRunner runner;
    const auto job = [&](QChar name, bool holds) {
        return [&, name, holds](const JobRunner::Job &job) {
            if (holds) {
                started.release();
                go.acquire();
            }
            const std::lock_guard lock(mutex);
            seen << (job.cancelled ? name.toUpper() : name);
        };
    };
    const quint64 a = runner.Run(job(u'a', true));
    QVERIFY(started.tryAcquire(1, 60000));
    const quint64 b = runner.Run(job(u'b', false));
    const quint64 c = runner.Run(job(u'c', false));
    QVERIFY(a < b && b < c);
    if (then == u"drop") {
        runner.Drop();
    } else if (!then.isEmpty()) {
        const QChar which = then.back();
        runner.Cancel(which == u'A' ? a : which == u'B' ? b : c);
    }
    go.release();
    runner.Wait();
    QCOMPARE(seen.join(u' '), ran);
}

// A result sent back to a receiver destroyed meanwhile is never delivered.
void TestJobRunner::postToAReceiverGoneIsDropped()
{
    int delivered = 0;
    auto kept = std::make_unique<QObject>();
    auto gone = std::make_unique<QObject>();
    {
        JobRunner runner;
        runner.Run([&, keptReceiver = kept.get(), goneReceiver = gone.get()](const JobRunner::Job &) {
            JobRunner::Post(goneReceiver, [&delivered] { delivered += 10; });
            JobRunner::Post(keptReceiver, [&delivered] { ++delivered; });
        });
        runner.Wait();
    }
    gone.reset();
    QTRY_COMPARE(delivered, 1);
    QCoreApplication::processEvents();
    QCOMPARE(delivered, 1);
}

QTEST_GUILESS_MAIN(TestJobRunner)
#include "tst_jobrunner.moc"
