#include "drawing/Passes.h"
#include "drawing/PictureSize.h"
#include "engine/Thumbnails.h"
#include "views/ViewRender.h"
#include "world/PictureWorld.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace levyc;

// Thumbnails made off the window's thread and kept in a folder between runs.
class TestThumbnails : public QObject
{
    Q_OBJECT

private slots:
    void keptBetweenRunsAndMadeAgainWhenMissing();
};

namespace {

// A run's thumbnail of the Draw's view, once made.
QImage MadeIn(const QString &folder, SharedCurves curves)
{
    Thumbnails thumbnails(std::move(curves), folder);
    QSignalSpy made(&thumbnails, &Thumbnails::Made);
    if (!thumbnails.Get(PictureWorld, PictureSize).isNull()) {
        return {}; // never there before it is made
    }
    if (!made.wait(60000)) {
        return {};
    }
    return thumbnails.Get(PictureWorld, PictureSize);
}

QStringList Kept(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("*.png")}, QDir::Files);
}

} // namespace

// With no curves to draw, a run can show lines only from the folder.
void TestThumbnails::keptBetweenRunsAndMadeAgainWhenMissing()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("cache/thumbnails"));
    const auto curves = std::make_shared<const std::vector<CurveRecord>>(PictureCurves());
    const auto none = std::make_shared<const std::vector<CurveRecord>>();

    const QImage first = MadeIn(folder, curves);
    QCOMPARE(first.size(), Thumbnails::SizeFor(PictureSize));
    QVERIFY(ShowsAnything(first));
    QCOMPARE(Kept(folder).size(), 1);

    const QImage again = MadeIn(folder, none);
    QCOMPARE(again.convertToFormat(QImage::Format_RGB32), first.convertToFormat(QImage::Format_RGB32));

    QVERIFY(QFile::remove(folder + QLatin1Char('/') + Kept(folder).front()));
    const QImage remade = MadeIn(folder, none);
    QCOMPARE(remade.size(), first.size());
    QVERIFY(!ShowsAnything(remade));
    QCOMPARE(Kept(folder).size(), 1);

    // A memory-only run leaves no file anywhere.
    QVERIFY(!MadeIn(QString(), curves).isNull());
    QCOMPARE(Kept(folder).size(), 1);
}

QTEST_GUILESS_MAIN(TestThumbnails)
#include "tst_thumbnails.moc"
