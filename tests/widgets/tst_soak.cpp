#include "widgets/Form1.h"
#include "widgets/PictureBox.h"

#include <QFile>
#include <QPushButton>
#include <QtTest>

#include <unistd.h>

using namespace levyc;

namespace {

constexpr int Runs = 20;
constexpr qint64 AllowedGrowth = qint64{1024} * 1024;

qint64 ResidentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * sysconf(_SC_PAGESIZE) : -1;
}

} // namespace

class TestSoak : public QObject
{
    Q_OBJECT

private slots:
    void manyDrawsDoNotGrowMemory();
};

void TestSoak::manyDrawsDoNotGrowMemory()
{
    Form1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto *draw = form.findChild<QPushButton *>(QStringLiteral("Command1"));
    QList<qint64> resident;
    for (int run = 0; run < Runs; ++run) {
        QTest::mouseClick(draw, Qt::LeftButton);
        QCoreApplication::processEvents();
        // The run completed: the last curve is white.
        const QImage picture = form.findChild<PictureBox *>(QStringLiteral("Picture1"))->Picture();
        int white = 0;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                white += picture.pixel(x, y) == qRgb(255, 255, 255) ? 1 : 0;
            }
        }
        QVERIFY(white > 1000);
        resident << ResidentBytes();
    }
    QVERIFY(resident.front() > 0);
    const qint64 growth = resident.back() - resident[1];
    const auto mebibytes = [](qint64 bytes) { return static_cast<double>(bytes) / 1048576.0; };
    qInfo("resident after run 2: %.2f MiB, after run %d: %.2f MiB, growth %lld bytes", mebibytes(resident[1]), Runs,
          mebibytes(resident.back()), growth);
    QVERIFY2(growth <= AllowedGrowth, qPrintable(QStringLiteral("grew by %1 bytes").arg(growth)));
}

QTEST_MAIN(TestSoak)
#include "tst_soak.moc"
