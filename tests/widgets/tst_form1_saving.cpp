#include "Eventually.h"
#include "FormTest.h"
#include "PictureOnScreen.h"

#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/stat.h>
#include <webp/decode.h>

using namespace levyc;

// Saving from the window: Save As…, its failures, cancelling and closing during a save.
class TestFormSaving : public FormTest
{
    Q_OBJECT

private slots:
    void copyAndSaveLeaveOutTheOverlayAndOverview_data();
    void copyAndSaveLeaveOutTheOverlayAndOverview();
    void saveThatCannotBeDoneShowsWhy_data();
    void saveThatCannotBeDoneShowsWhy();
    void saveLeavesSignalsAlone();
    void saveBeforeAnyDrawIsWhatTheScreenShows_data();
    void saveBeforeAnyDrawIsWhatTheScreenShows();
    void saveAsWebPWritesTheAnimation();
    void aCancelledSaveLeavesNothing_data();
    void aCancelledSaveLeavesNothing();
    void closingDuringASaveAsks_data();
    void closingDuringASaveAsks();
    void aFinishedSaveSaysWhereItWent_data();
    void aFinishedSaveSaysWhereItWent();
    void aNameSaysWhatIsSaved_data();
    void aNameSaysWhatIsSaved();
    void saveAsStartsOnlyWhereSavingCanWork_data();
    void saveAsStartsOnlyWhereSavingCanWork();
};

void TestFormSaving::copyAndSaveLeaveOutTheOverlayAndOverview_data()
{
    QTest::addColumn<bool>("save");
    QTest::newRow("Copy") << false;
    QTest::newRow("Save As") << true;
}

void TestFormSaving::copyAndSaveLeaveOutTheOverlayAndOverview()
{
    QFETCH(bool, save);
    auto *picture = Picture();
    QTest::mouseClick(Child("Command1"), Qt::LeftButton);
    QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(100, 100));
    // Past a zoom of 4: both the overlay and the overview on screen.
    for (int step = 0; step < 7; ++step) {
        QTest::keyClick(picture, Qt::Key_Plus);
    }
    TRY_VERIFY(picture->PictureReady());
    QTemporaryDir dir;
    const auto taken = [&](const QString &name) {
        if (save) {
            const QString path = dir.filePath(name);
            return SaveAndWait(Form(), path) ? QImage(path).convertToFormat(QImage::Format_RGB32) : QImage();
        }
        QGuiApplication::clipboard()->clear();
        QTest::keySequence(picture, QKeySequence::Copy);
        const QMimeData *data = nullptr;
        if (!QTest::qWaitFor(
                [&] {
                    return (data = QGuiApplication::clipboard()->mimeData()) != nullptr &&
                           data->hasFormat(QStringLiteral("image/png"));
                },
                HangMs)) {
            return QImage();
        }
        return QImage::fromData(data->data(QStringLiteral("image/png")), "PNG").convertToFormat(QImage::Format_RGB32);
    };
    TRY_VERIFY(OnScreen(*picture) != picture->Picture());
    const QImage withThem = taken(QStringLiteral("shown.png"));
    QTest::keyClick(picture, Qt::Key_I);
    QTest::keyClick(picture, Qt::Key_O);
    TRY_COMPARE(OnScreen(*picture), picture->Picture());
    const QImage without = taken(QStringLiteral("hidden.png"));
    QVERIFY(!without.isNull());
    QCOMPARE(withThem, without);
    QCOMPARE(without, OnScreen(*picture));
}

void TestFormSaving::saveThatCannotBeDoneShowsWhy_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");
    // Nothing can be made in /proc, not even by root.
    QTest::newRow("unwritable directory") << "/proc/levyc-picture.png"
                                          << "";
    // The window must never wait for a reader.
    QTest::newRow("FIFO nothing reads") << "fifo"
                                        << "nothing reads it";
}

void TestFormSaving::saveThatCannotBeDoneShowsWhy()
{
    QFETCH(QString, name);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("fifo"))).constData(), 0600), 0);
    const QString path = QDir(dir.path()).filePath(name);
    QVERIFY(!SaveAndWait(Form(), path));
    auto *box = Form().findChild<QMessageBox *>(QStringLiteral("SaveError"));
    QVERIFY(box != nullptr);
    TRY_VERIFY(box->isVisible());
    QVERIFY2(box->text().startsWith(QStringLiteral("cannot write '%1': %2").arg(path, reason)),
             qPrintable(box->text()));
    QCOMPARE(QDir(QFileInfo(path).path()).entryList(QDir::Hidden | QDir::Files | QDir::System).filter(u".levyc"),
             QStringList());
    box->close();
}

void TestFormSaving::saveLeavesSignalsAlone()
{
    const QList<int> watched = {SIGHUP, SIGINT, SIGTERM, SIGQUIT};
    const auto handlers = [&watched] {
        QList<quintptr> found;
        for (const int signal : watched) {
            struct sigaction action = {};
            ::sigaction(signal, nullptr, &action);
            found.append(reinterpret_cast<quintptr>(action.sa_handler));
        }
        return found;
    };
    const QList<quintptr> before = handlers();
    Draw();
    QTest::keyClick(Picture(), Qt::Key_Plus); // somewhere to dive to
    QTemporaryDir dir;
    SaveHold hold(Form());
    QSignalSpy saved(&Form(), &Form1::Saved);
    QVERIFY(SaveDiveThroughMenu(Form(), dir.filePath(QStringLiteral("dive.webp")), ShortDive));
    QVERIFY(hold.Reached());
    QVERIFY(handlers() != before); // a signal takes the temporary file with it
    hold.Release();
    QVERIFY(saved.wait(600000));
    QCOMPARE(handlers(), before);
}

void TestFormSaving::saveBeforeAnyDrawIsWhatTheScreenShows_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("PNG") << "picture.png";
    QTest::newRow("WebP") << "picture.webp";
}

void TestFormSaving::saveBeforeAnyDrawIsWhatTheScreenShows()
{
    QFETCH(QString, name);
    auto *picture = Picture();
    const QImage shown = picture->grab(picture->contentsRect()).toImage().convertToFormat(QImage::Format_RGB32);
    QVERIFY(shown.pixel(0, 0) != qRgb(0, 0, 0)); // the background, not yet a Draw's black
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QVERIFY(SaveAndWait(Form(), path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QImage saved;
    if (name.endsWith(u".webp")) {
        int width = 0;
        int height = 0;
        uint8_t *pixels = WebPDecodeBGRA(reinterpret_cast<const uint8_t *>(bytes.constData()),
                                         static_cast<size_t>(bytes.size()), &width, &height);
        QVERIFY2(pixels != nullptr, "not a still WebP image");
        saved = QImage(pixels, width, height, QImage::Format_ARGB32).convertToFormat(QImage::Format_RGB32);
        WebPFree(pixels);
    } else {
        saved = QImage::fromData(bytes, "PNG").convertToFormat(QImage::Format_RGB32);
    }
    QCOMPARE(saved, shown);
}

void TestFormSaving::saveAsWebPWritesTheAnimation()
{
    QTest::mouseClick(Child("Command1"), Qt::LeftButton);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("grow.webp"));
    QString start;
    AnswerNextFileDialog(&start, path);
    auto *picture = Picture();
    picture->setFocus();
    QTest::keyClick(picture, Qt::Key_S, Qt::ControlModifier);
    TRY_VERIFY(QFile::exists(path));
    if (QStandardPaths::findExecutable(QStringLiteral("webpmux")).isEmpty()) {
        QSKIP("webpmux is not installed (scripts/install-deps.sh installs it)");
    }
    QProcess info;
    info.start(QStringLiteral("webpmux"), {QStringLiteral("-info"), path});
    QVERIFY(info.waitForFinished(30000));
    QCOMPARE(info.exitCode(), 0);
    const QByteArray out = info.readAllStandardOutput();
    // The cleared picture and a frame after each of the 102 curves, at the
    // picture's size; the first curve is black on black, and the encoder
    // keeps the two frames alike as one.
    QVERIFY2(out.contains("Number of frames: 102"), out.constData());
    const QSize size = picture->Picture().size();
    QVERIFY2(out.contains(QStringLiteral("Canvas size: %1 x %2").arg(size.width()).arg(size.height()).toUtf8()),
             out.constData());
}

void TestFormSaving::aCancelledSaveLeavesNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("at"); // the report the save is held at when cancelled
    QTest::newRow("animation, between frames") << "grow.webp" << 3;
    QTest::newRow("picture, drawn but not yet encoded") << "grow.png" << 2;
    // Ten frames, each a report, then the film made whole, then its last before the file is kept.
    QTest::newRow("dive, whole but not yet kept") << "dive.webp" << 11;
}

void TestFormSaving::aCancelledSaveLeavesNothing()
{
    QFETCH(QString, name);
    QFETCH(int, at);
    QTest::mouseClick(Child("Command1"), Qt::LeftButton);
    QTemporaryDir dir;
    SaveHold hold(Form(), at);
    QSignalSpy saved(&Form(), &Form1::Saved);
    const bool dive = name.startsWith(u"dive");
    if (dive) {
        Picture()->SetView({3.75, 68.75, 206.25, -158.75});
        QVERIFY(SaveDiveThroughMenu(Form(), dir.filePath(name), ShortDive));
    } else {
        Form().SavePictureTo(dir.filePath(name));
    }
    QVERIFY(hold.Reached());
    auto *progress =
        Form().findChild<QProgressDialog *>(dive ? QStringLiteral("DiveProgress") : QStringLiteral("SaveProgress"));
    QVERIFY(progress != nullptr && progress->isVisible());
    QTest::mouseClick(progress->findChild<QPushButton *>(), Qt::LeftButton);
    hold.Release();
    QVERIFY(saved.wait(600000));
    QCOMPARE(saved.constFirst().constFirst().toBool(), false);
    QCOMPARE(Entries(dir), QStringList());
    // No message: the user asked for it.
    QVERIFY(Form().findChild<QMessageBox *>(QStringLiteral("SaveError")) == nullptr);
}

void TestFormSaving::closingDuringASaveAsks_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("Yes: the save is cancelled and the window closes") << true;
    QTest::newRow("No: both go on") << false;
}

void TestFormSaving::closingDuringASaveAsks()
{
    QFETCH(bool, yes);
    Draw();
    QTest::keyClick(Picture(), Qt::Key_Plus); // somewhere to dive to
    QTemporaryDir dir;
    SaveHold hold(Form());
    QSignalSpy saved(&Form(), &Form1::Saved);
    QVERIFY(SaveDiveThroughMenu(Form(), dir.filePath(QStringLiteral("dive.webp")), ShortDive));
    QVERIFY(hold.Reached());
    QVERIFY(!Form().close());
    auto *question = Form().findChild<QMessageBox *>(QStringLiteral("CancelSaveQuestion"));
    QVERIFY(question != nullptr);
    TRY_VERIFY(question->isVisible());
    question->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
    hold.Release();
    QVERIFY(saved.wait(600000));
    QCOMPARE(saved.constFirst().constFirst().toBool(), !yes);
    QCOMPARE(Entries(dir), yes ? QStringList() : QStringList{"dive.webp"});
    TRY_COMPARE(Form().isVisible(), !yes);
}

void TestFormSaving::aFinishedSaveSaysWhereItWent_data()
{
    QTest::addColumn<bool>("works");
    QTest::newRow("saved: where it went") << true;
    QTest::newRow("failed: its box alone") << false;
}

void TestFormSaving::aFinishedSaveSaysWhereItWent()
{
    QFETCH(bool, works);
    Draw();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("said.png"));
    if (!works) {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0); // nothing reads it
        AnswerNextReplaceQuestion();
    }
    QString start;
    AnswerNextFileDialog(&start, path);
    QSignalSpy saved(&Form(), &Form1::Saved);
    // The notice as the save ends, before its few seconds can pass.
    const auto *notice = Form().findChild<QLabel *>(QStringLiteral("SaveNotice"));
    QVERIFY(notice != nullptr);
    bool shown = false;
    QString said;
    connect(&Form(), &Form1::Saved, this, [&] {
        shown = notice->isVisible();
        said = notice->text();
    });
    QTest::mouseClick(Picture(), Qt::LeftButton, {}, QPoint(100, 100)); // the keys' focus
    QTest::keySequence(Picture(), QKeySequence::Save);
    QVERIFY(!saved.isEmpty() || saved.wait(600000));
    QCOMPARE(saved.constFirst().constFirst().toBool(), works);
    QCOMPARE(shown, works);
    if (works) {
        QVERIFY2(said.contains(QStringLiteral("said.png")) && said.contains(dir.path()), qPrintable(said));
    } else {
        auto *box = Form().findChild<QMessageBox *>(QStringLiteral("SaveError"));
        QVERIFY(box != nullptr);
        box->close();
    }
}

void TestFormSaving::aNameSaysWhatIsSaved_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("format"); // chosen in the dive's dialog
    QTest::addColumn<QString>("size");   // typed there
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");
    QTest::newRow("Save As…: a film's ending") << "&Save As…"
                                               << ""
                                               << ""
                                               << "pic.mp4"
                                               << "'pic.mp4' would hold a PNG picture, not MP4";
    QTest::newRow("Save Dive…: a picture's ending") << "Save &Dive…"
                                                    << "MP4"
                                                    << ""
                                                    << "named.png"
                                                    << "not PNG: 'named.png'";
    // The format the name says is written, so its limits are the ones checked.
    QTest::newRow("Save Dive…: MP4 chosen, a WebP named, too wide for WebP") << "Save &Dive…"
                                                                             << "MP4"
                                                                             << "16384x16"
                                                                             << "big.webp"
                                                                             << "Too large for this format";
    QTest::newRow("Save Dive…: WebP chosen, an MP4 named, too large for MP4") << "Save &Dive…"
                                                                              << "Animated WebP"
                                                                              << "16383x16383"
                                                                              << "big2.mp4"
                                                                              << "Too large for this format";
}

// A name whose ending the save cannot honour is refused in the file dialog,
// with the reason, and the dialog stays open with the name to mend.
void TestFormSaving::aNameSaysWhatIsSaved()
{
    QFETCH(QString, menu);
    QFETCH(QString, format);
    QFETCH(QString, size);
    QFETCH(QString, name);
    QFETCH(QString, reason);
    Draw();
    Picture()->SetView({3.75, 68.75, 206.25, -158.75});
    QTemporaryDir dir;
    if (!format.isEmpty()) {
        AnswerNextDiveDialog([&](DiveDialog &dialog) {
            ShortDive(dialog);
            auto *formats = dialog.findChild<QComboBox *>(QStringLiteral("DiveFormat"));
            formats->setCurrentIndex(formats->findText(format, Qt::MatchStartsWith));
            if (!size.isEmpty()) {
                dialog.findChild<QComboBox *>(QStringLiteral("DiveSize"))->setEditText(size);
            }
        });
    }
    QString said;
    QString kept;
    QTimer answer;
    connect(&answer, &QTimer::timeout, this, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *box = qobject_cast<QMessageBox *>(modal); box != nullptr && box->objectName() == u"RefusedName") {
            said = box->text();
            box->done(QMessageBox::Ok);
        } else if (auto *files = qobject_cast<QFileDialog *>(modal)) {
            auto *edit = files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            if (said.isEmpty()) {
                edit->setText(dir.filePath(name));
                // From the event loop: the refusal's box waits there, and this timer with it.
                QTimer::singleShot(0, files, [files] { static_cast<QDialog *>(files)->accept(); });
            } else {
                kept = edit->text();
                files->reject();
                answer.stop();
            }
        }
    });
    answer.start(10);
    QSignalSpy saved(&Form(), &Form1::Saved);
    QAction *action = MenuAction(Picture(), menu);
    QApplication::activePopupWidget()->close();
    QVERIFY(action != nullptr);
    action->trigger();
    TRY_VERIFY(!kept.isEmpty() || !saved.isEmpty());
    QVERIFY2(saved.isEmpty(), "a save began");
    QVERIFY2(said.contains(reason), qPrintable(said));
    QCOMPARE(kept, dir.filePath(name));
    TRY_VERIFY(QApplication::activeModalWidget() == nullptr);
    QCOMPARE(Entries(dir), QStringList());
}

void TestFormSaving::saveAsStartsOnlyWhereSavingCanWork_data()
{
    QTest::addColumn<bool>("inProc");
    // The dialog looks into each file where it starts; in /proc that can
    // block for ever.
    QTest::newRow("not in /proc, even from there") << true;
    QTest::newRow("not where the last save failed") << false;
}

void TestFormSaving::saveAsStartsOnlyWhereSavingCanWork()
{
    QFETCH(bool, inProc);
    auto *picture = Picture();
    const QString home = QDir::currentPath();
    // A FIFO that nothing reads is refused at once.
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("fifo.png"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString failing = inProc ? QStringLiteral("/proc/levyc-picture.png") : fifo;
    const QString folder = QFileInfo(failing).path();
    if (inProc) {
        QVERIFY(QDir::setCurrent(folder));
    }
    QString start;
    AnswerNextFileDialog(&start, failing);
    if (!inProc) {
        AnswerNextReplaceQuestion(); // the FIFO is there already
    }
    QTest::keySequence(picture, QKeySequence::Save);
    TRY_VERIFY(!start.isEmpty());
    QVERIFY(QDir::setCurrent(home));
    QVERIFY2(!start.startsWith(folder), qPrintable(start));
    QMessageBox *box = nullptr;
    TRY_VERIFY((box = Form().findChild<QMessageBox *>(QStringLiteral("SaveError"))) != nullptr);
    box->close();
    // What a window manager does once a dialog closes.
    Form().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&Form()));

    // The save failed: the next dialog does not start where it went.
    start.clear();
    AnswerNextFileDialog(&start, {});
    QTest::keySequence(picture, QKeySequence::Save);
    TRY_VERIFY(!start.isEmpty());
    QVERIFY2(!start.startsWith(folder), qPrintable(start));
}

QTEST_MAIN(TestFormSaving)
#include "tst_form1_saving.moc"
