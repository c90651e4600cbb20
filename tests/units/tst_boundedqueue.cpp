#include "parallel/BoundedQueue.h"

#include <QTest>

#include <thread>

using levyc::BoundedQueue;

class TestBoundedQueue : public QObject
{
    Q_OBJECT

private slots:
    void triedWhenEmptyOrEnded_data();
    void triedWhenEmptyOrEnded();
    void makerWaitsForRoomAndItemsComeInOrder();
    void stopRefusesAndWakesTheMaker();
};

void TestBoundedQueue::triedWhenEmptyOrEnded_data()
{
    QTest::addColumn<int>("pushed");
    QTest::addColumn<bool>("ended");
    QTest::newRow("empty") << 0 << false;
    QTest::newRow("one of three") << 1 << false;
    QTest::newRow("ended early") << 1 << true;
    QTest::newRow("ended empty") << 0 << true;
}

// What a film's clock sees when a frame is due: the frame, or that none is drawn yet, or that none will come.
void TestBoundedQueue::triedWhenEmptyOrEnded()
{
    QFETCH(int, pushed);
    QFETCH(bool, ended);
    BoundedQueue<int> queue(3);
    for (int i = 0; i < pushed; ++i) {
        QVERIFY(queue.Push(i));
    }
    if (ended) {
        queue.End();
    }
    bool over = false;
    QCOMPARE(queue.TryPop(&over).has_value(), pushed > 0);
    QCOMPARE(over, ended);
}

void TestBoundedQueue::makerWaitsForRoomAndItemsComeInOrder()
{
    BoundedQueue<int> queue(2);
    std::vector<int> taken;
    std::thread taker([&] {
        while (const std::optional<int> item = queue.Pop()) {
            taken.push_back(*item);
        }
    });
    for (int i = 0; i < 100; ++i) {
        QVERIFY(queue.Push(i));
    }
    queue.End();
    taker.join();
    QCOMPARE(taken.size(), std::size_t(100));
    for (int i = 0; i < 100; ++i) {
        QCOMPARE(taken[std::size_t(i)], i);
    }
}

void TestBoundedQueue::stopRefusesAndWakesTheMaker()
{
    BoundedQueue<int> queue(1);
    QVERIFY(queue.Push(1));
    bool refused = false;
    std::thread maker([&] { refused = !queue.Push(2); }); // waits: the queue is full
    queue.Stop();
    maker.join();
    QVERIFY(refused);
    bool over = false;
    QVERIFY(!queue.TryPop(&over)); // what waited is dropped
    queue.Reset(1);
    QVERIFY(queue.Push(3));
    QCOMPARE(queue.TryPop(&over), std::optional<int>(3));
}

QTEST_APPLESS_MAIN(TestBoundedQueue)
#include "tst_boundedqueue.moc"
