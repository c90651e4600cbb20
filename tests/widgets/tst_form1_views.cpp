#include "Eventually.h"
#include "FormTest.h"
#include "WebPFrames.h"
#include "bookmarks/BookmarkStore.h"
#include "views/ViewRender.h"
#include "views/ViewText.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace levyc;

// Views kept and opened as a user does: bookmarks by Ctrl+D and Ctrl+B's
// list, in a data folder of the test's own, and the view a PNG holds by
// Ctrl+O or a drop.
class TestFormViews : public FormTest
{
    Q_OBJECT

private slots:
    void initTestCase();
    void keptFoundRenamedAndDeleted();
    void exportedBookmarksMakeAFilm();
    void opensTheViewAPngHolds_data();
    void opensTheViewAPngHolds();

private:
    // The bookmarks' file as a new run reads it.
    [[nodiscard]] static std::vector<ListedView> Kept();
    QTemporaryDir data_;
};

void TestFormViews::initTestCase()
{
    QVERIFY(data_.isValid());
    qputenv("XDG_DATA_HOME", data_.path().toUtf8());
    qputenv("XDG_CACHE_HOME", data_.filePath(QStringLiteral("cache")).toUtf8());
}

std::vector<ListedView> TestFormViews::Kept()
{
    BookmarkStore store(BookmarkStore::DefaultPath());
    return store.Load().isEmpty() ? store.Views() : std::vector<ListedView>{};
}

void TestFormViews::keptFoundRenamedAndDeleted()
{
    QVERIFY(BookmarkStore::DefaultPath().startsWith(data_.path()));
    Draw();
    QVERIFY(Picture()->Exploring());
    QTest::keyClick(Picture(), Qt::Key_Plus);
    QTest::keyClick(Picture(), Qt::Key_Right);
    const WorldWindow kept = Picture()->View();
    QVERIFY(kept != PictureWorld);
    // Ctrl+D from a field of the window too, as the exploring keys are.
    QTest::keyClick(Child("Command1"), Qt::Key_D, Qt::ControlModifier);
    QVERIFY(QTest::qWaitFor([] { return Kept().size() == 1; }, 60000));
    QCOMPARE(Kept().front().window, kept);
    QCOMPARE(Kept().front().size, Picture()->ImageSize());
    QVERIFY(qobject_cast<QLabel *>(Child("SaveNotice"))->text().contains(Kept().front().name));

    QTest::keyClick(Picture(), Qt::Key_Home);
    QVERIFY(QTest::qWaitFor([&] { return Picture()->View() == PictureWorld; }, 60000));
    QTest::keyClick(Picture(), Qt::Key_B, Qt::ControlModifier);
    QListWidget *list = nullptr;
    QVERIFY(QTest::qWaitFor(
        [&] {
            list = Form().findChild<QListWidget *>(QStringLiteral("BookmarkList"));
            return list != nullptr && list->isVisible();
        },
        60000));
    QCOMPARE(list->count(), 1);
    // Its thumbnail, made off the window's thread, is kept in the cache folder and shown.
    const QDir cache(data_.filePath(QStringLiteral("cache/levyc/thumbnails")));
    const auto thumbnails = [&] { return cache.entryList({QStringLiteral("*.png")}, QDir::Files); };
    QVERIFY(QTest::qWaitFor([&] { return thumbnails().size() == 1; }, 60000));
    const QImage thumbnail = QImage(cache.filePath(thumbnails().front())).convertToFormat(QImage::Format_RGB32);
    QVERIFY(ShowsAnything(thumbnail));
    TRY_COMPARE(list->item(0)->icon().pixmap(list->iconSize()).toImage().convertToFormat(QImage::Format_RGB32),
                thumbnail);
    QTest::mouseClick(Form().findChild<QPushButton *>(QStringLiteral("BookmarkGoTo")), Qt::LeftButton);
    QCOMPARE(Picture()->View(), kept);

    // Renamed in place, as typed.
    QTest::mouseClick(Form().findChild<QPushButton *>(QStringLiteral("BookmarkRename")), Qt::LeftButton);
    QWidget *editor = QApplication::focusWidget();
    QVERIFY(editor != nullptr && editor != list);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, QStringLiteral("The fan's edge"));
    QTest::keyClick(editor, Qt::Key_Return);
    QVERIFY(QTest::qWaitFor([] { return !Kept().empty() && Kept().front().name == u"The fan's edge"; }, 60000));
    QCOMPARE(Kept().front().window, kept);

    QTest::mouseClick(Form().findChild<QPushButton *>(QStringLiteral("BookmarkDelete")), Qt::LeftButton);
    QCOMPARE(list->count(), 0);
    QVERIFY(Kept().empty());
}

// Two views kept, the list exported from its dialog, and the file given to
// levyc-render --path: the film starts on the first view's picture, as the
// window showed it, and ends on the second's.
void TestFormViews::exportedBookmarksMakeAFilm()
{
    Draw();
    QList<QImage> pictures;
    for (int view = 0; view < 2; ++view) {
        QTest::keyClick(Picture(), Qt::Key_Plus);
        QTest::keyClick(Picture(), Qt::Key_Left);
        TRY_VERIFY(Picture()->PictureReady());
        pictures << Picture()->Picture().convertToFormat(QImage::Format_RGB32);
        QTest::keyClick(Picture(), Qt::Key_D, Qt::ControlModifier);
        QVERIFY(QTest::qWaitFor([&] { return Kept().size() == std::size_t(pictures.size()); }, 60000));
    }
    QTest::keyClick(Picture(), Qt::Key_B, Qt::ControlModifier);
    QPushButton *exportButton = nullptr;
    QVERIFY(QTest::qWaitFor(
        [&] {
            exportButton = Form().findChild<QPushButton *>(QStringLiteral("BookmarkExport"));
            return exportButton != nullptr && exportButton->isVisible();
        },
        60000));
    const QString list = data_.filePath(QStringLiteral("film.txt"));
    QString start;
    AnswerNextFileDialog(&start, list);
    QTest::mouseClick(exportButton, Qt::LeftButton);
    QVERIFY(QTest::qWaitFor([&] { return QFileInfo::exists(list); }, 60000));
    const QString film = data_.filePath(QStringLiteral("film.webp"));
    const QSize size = Picture()->ImageSize();
    QProcess render;
    render.start(QStringLiteral(LEVYC_RENDER_PATH),
                 {"--quiet", "--size", QStringLiteral("%1x%2").arg(size.width()).arg(size.height()), "--seconds", "1",
                  "--fps", "10", "--path", list, "--dive", film});
    QVERIFY(render.waitForFinished(120000));
    QVERIFY2(render.exitCode() == 0, render.readAllStandardError().constData());
    const QList<QImage> frames = WebPFramesAt(film, 10);
    QCOMPARE(frames.size(), 10);
    QCOMPARE(frames.constFirst().convertToFormat(QImage::Format_RGB32), pictures.at(0));
    QCOMPARE(frames.constLast().convertToFormat(QImage::Format_RGB32), pictures.at(1));
}

void TestFormViews::opensTheViewAPngHolds_data()
{
    QTest::addColumn<bool>("drop");
    QTest::addColumn<bool>("drawFirst");
    QTest::newRow("Ctrl+O before any Draw: the Draw runs first") << false << false;
    QTest::newRow("dropped on the window") << true << true;
}

// A view saved as PNG opens again as that view; a PNG with no view in it
// changes nothing and says so.
void TestFormViews::opensTheViewAPngHolds()
{
    QFETCH(bool, drop);
    QFETCH(bool, drawFirst);
    QTemporaryDir dir;
    const QString viewed = dir.filePath(QStringLiteral("viewed.png"));
    const QString plain = dir.filePath(QStringLiteral("plain.png"));
    QImage(4, 4, QImage::Format_RGB32).save(plain);
    WorldWindow saved;
    {
        // Saved from another run's window, as Save As writes it.
        Form1 other;
        other.show();
        QTest::mouseClick(other.findChild<QWidget *>(QStringLiteral("Command1")), Qt::LeftButton);
        auto *picture = other.findChild<PictureBox *>(QStringLiteral("Picture1"));
        QTest::keyClick(picture, Qt::Key_Plus);
        QTest::keyClick(picture, Qt::Key_Down);
        saved = picture->View();
        QVERIFY(SaveAndWait(other, viewed));
        QVERIFY(QTest::qWaitFor([&] { return QFileInfo(viewed).size() > 0; }, 600000));
    }
    Form().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&Form()));
    if (drawFirst) {
        Draw();
    }
    QString start; // where the file dialog opened; it outlives each answer
    const auto open = [&](const QString &path) {
        if (drop) {
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(path)});
            QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&Form(), &enter);
            QVERIFY(enter.isAccepted());
            QDropEvent dropped(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&Form(), &dropped);
        } else {
            // The window has the keys again, as a window manager sees to once a dialog closes.
            Form().activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&Form()));
            AnswerNextFileDialog(&start, path);
            QTest::keyClick(Child("Command1"), Qt::Key_O, Qt::ControlModifier);
        }
    };
    open(plain);
    auto *notice = qobject_cast<QLabel *>(Child("SaveNotice"));
    QVERIFY(QTest::qWaitFor([&] { return notice->text().contains(QStringLiteral("holds no view")); }, 60000));
    QCOMPARE(Picture()->Exploring(), drawFirst);
    open(viewed);
    QVERIFY(QTest::qWaitFor([&] { return Picture()->Exploring() && Picture()->View() == saved; }, 600000));
}

QTEST_MAIN(TestFormViews)
#include "tst_form1_views.moc"
