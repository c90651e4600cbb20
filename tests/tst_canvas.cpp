#include <QtTest>
class T : public QObject
{
    Q_OBJECT private slots : void none() { QVERIFY(true); }
};
QTEST_MAIN(T)
#include "tst_canvas.moc"
