#include "PictureOnScreen.h"
#include "WebPFrames.h"
#include "widgets/DiveDialog.h"
#include "widgets/Form1.h"
#include "widgets/PictureBox.h"

#include "widgets/Translations.h"

#include <QAccessible>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QSemaphore>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

#include <algorithm>
#include <csignal>
#include <memory>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <webp/decode.h>

using namespace levyc;

namespace {

int CountPixels(const QImage &image, QRgb rgb)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        count += static_cast<int>(std::count(line, line + image.width(), rgb));
    }
    return count;
}

// Answers the next file dialog: notes the folder it starts in, then picks the
// file, or cancels when none is given.
void AnswerNextFileDialog(QString *start, const QString &file)
{
    auto *timer = new QTimer(QCoreApplication::instance()); // deleteLater() may not come round before the end
    QObject::connect(timer, &QTimer::timeout, [timer, start, file] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            return;
        }
        timer->deleteLater();
        *start = dialog->directory().absolutePath();
        if (file.isEmpty()) {
            dialog->reject();
        } else {
            // Typed, as a user would: selectFile() would open the file's folder.
            dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(file);
            static_cast<QDialog *>(dialog)->accept(); // QFileDialog's own is protected
        }
    });
    timer->start(10);
}

// Starts a save as the window's menu does, and waits for its end: whether it saved.
bool SaveAndWait(Form1 &form, const QString &path, bool dive = false)
{
    QSignalSpy saved(&form, &Form1::Saved);
    if (dive) {
        form.SaveDiveTo(path);
    } else {
        form.SavePictureTo(path);
    }
    return (!saved.isEmpty() || saved.wait(600000)) && saved.constFirst().constFirst().toBool();
}

// Holds the worker of the next save at its third report until released: the
// window is seen while the save certainly runs, however fast it is.
class SaveHold final
{
public:
    explicit SaveHold(Form1 &form)
    {
        QObject::connect(
            &form, &Form1::SaveStarted, &context_,
            [this](SaveJob *job) {
                // Gone with the hold, so that a save outliving a failed row
                // does not count into freed memory.
                QObject::connect(
                    job, &SaveJob::Progress, &context_,
                    [this](int, int) {
                        if (++reports_ == 3) {
                            reached_.release();
                            go_.acquire();
                        }
                    },
                    Qt::DirectConnection);
            },
            Qt::DirectConnection);
    }
    ~SaveHold() { Release(); }
    SaveHold(const SaveHold &) = delete;
    SaveHold &operator=(const SaveHold &) = delete;
    SaveHold(SaveHold &&) = delete;
    SaveHold &operator=(SaveHold &&) = delete;

    bool Reached() { return reached_.tryAcquire(1, 600000); }
    void Release() { go_.release(); }

private:
    QObject context_;
    int reports_ = 0; // on the worker only
    QSemaphore reached_;
    QSemaphore go_;
};

// The action of the picture's context menu with this text, opened as the
// pointer opens it.
QAction *MenuAction(QWidget *picture, const QString &text)
{
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(100, 100), picture->mapToGlobal(QPoint(100, 100)));
    QApplication::sendEvent(picture, &event);
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    if (menu == nullptr) {
        return nullptr;
    }
    for (QAction *action : menu->actions()) {
        if (action->text() == text) {
            return action;
        }
    }
    return nullptr;
}

QStringList Entries(const QTemporaryDir &dir)
{
    return QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden);
}

// Answers the next dive dialog: `shape` sees it, then it is accepted as it
// stands, unless `shape` closed it.
void AnswerNextDiveDialog(const std::function<void(DiveDialog &)> &shape = {})
{
    auto *timer = new QTimer(QCoreApplication::instance());
    QObject::connect(timer, &QTimer::timeout, [timer, shape] {
        auto *dialog = qobject_cast<DiveDialog *>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            return;
        }
        timer->deleteLater();
        if (shape) {
            shape(*dialog);
        }
        if (dialog->isVisible()) {
            dialog->accept();
        }
    });
    timer->start(10);
}

// Chooses Save Dive… from the picture's context menu, accepts the dive's
// dialog as it stands and types `file` into the file dialog: whether a save began.
bool SaveDiveThroughMenu(Form1 &form, const QString &file)
{
    QAction *action = MenuAction(form.findChild<QWidget *>(QStringLiteral("Picture1")), QStringLiteral("Save &Dive…"));
    QApplication::activePopupWidget()->close();
    if (action == nullptr || !action->isEnabled()) {
        return false;
    }
    static QString start; // outlives the dialog's answer
    AnswerNextDiveDialog();
    AnswerNextFileDialog(&start, file);
    if (QFile::exists(file)) {
        // The file dialog asks before it lets a file be replaced: Yes.
        auto *timer = new QTimer(QCoreApplication::instance());
        QObject::connect(timer, &QTimer::timeout, [timer] {
            if (auto *question = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                timer->deleteLater();
                question->button(QMessageBox::Yes)->click();
            }
        });
        timer->start(10);
    }
    QSignalSpy started(&form, &Form1::SaveStarted);
    action->trigger();
    return started.wait(600000);
}

} // namespace

class TestForm1 : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void window();
    void controls_data();
    void controls();
    void controlsStayWhenTheWindowIsResized();
    void fieldsAreDrawnOverTheirLabels();
    void focusStartsOnThePictureAndFollowsTheTabOrder();
    void keyboardPresses_data();
    void keyboardPresses();
    void clickingDrawDrawsThePicture();
    void closingDuringADrawingEndsItFirst();
    void aDrawShowsItsOwnPictureWhereverTheViewWas();
    void copyPutsThePictureOnTheClipboard_data();
    void copyPutsThePictureOnTheClipboard();
    void exploringKeysWorkFromAnywhere_data();
    void exploringKeysWorkFromAnywhere();
    void copyAndSaveLeaveOutTheOverlayAndOverview_data();
    void copyAndSaveLeaveOutTheOverlayAndOverview();
    void playStopsAtItsEndOrAKey_data();
    void playStopsAtItsEndOrAKey();
    void helpListsTheKeys_data();
    void helpListsTheKeys();
    void fullScreenThereAndBack_data();
    void fullScreenThereAndBack();
    void saveThatCannotBeDoneShowsWhy_data();
    void saveThatCannotBeDoneShowsWhy();
    void saveLeavesSignalsAlone();
    void saveBeforeAnyDrawIsWhatTheScreenShows_data();
    void saveBeforeAnyDrawIsWhatTheScreenShows();
    void saveAsWebPWritesTheAnimation();
    void aCancelledSaveLeavesNothing();
    void saveDive_data();
    void saveDive();
    void saveDiveWaitsForADrawsEnd_data();
    void saveDiveWaitsForADrawsEnd();
    void diveEstimateGrows_data();
    void diveEstimateGrows();
    void saveDiveAtTheDrawsViewTours_data();
    void saveDiveAtTheDrawsViewTours();
    void closingDuringASaveAsks_data();
    void closingDuringASaveAsks();
    void saveAsStartsOnlyWhereSavingCanWork();
    void menuDialogsOpenOnceTheMenuIsGone_data();
    void menuDialogsOpenOnceTheMenuIsGone();
    void windowAndPictureHaveTheirRoles();
    void controlsExplainThemselves_data();
    void controlsExplainThemselves();
    void qtsOwnTextsFollowTheLocale();

private:
    QWidget *Child(const char *name) const { return form_->findChild<QWidget *>(QString::fromLatin1(name)); }
    std::unique_ptr<Form1> form_;
};

void TestForm1::init()
{
    form_ = std::make_unique<Form1>();
    form_->show();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
}

void TestForm1::cleanup()
{
    form_.reset();
}

void TestForm1::window()
{
    QCOMPARE(form_->windowTitle(), QStringLiteral("Form1"));
    QCOMPARE(form_->size(), QSize(799, 460));
    const Qt::WindowFlags flags = form_->windowFlags();
    QVERIFY(!flags.testFlag(Qt::MSWindowsFixedSizeDialogHint));
    QCOMPARE(form_->minimumSize(), QSize(0, 0));
}

void TestForm1::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");

    QTest::newRow("Picture1") << "Picture1"
                              << "levyc::PictureBox" << QRect(16, 8, 577, 417) << QString();
    QTest::newRow("Command1") << "Command1"
                              << "QPushButton" << QRect(640, 8, 73, 25) << QStringLiteral("描画");
    QTest::newRow("Text1") << "Text1"
                           << "QLineEdit" << QRect(680, 40, 41, 25) << QStringLiteral("60");
    QTest::newRow("Label1") << "Label1"
                            << "QLabel" << QRect(608, 48, 73, 17) << QStringLiteral("形式1最大値");
    QTest::newRow("Text2") << "Text2"
                           << "QLineEdit" << QRect(680, 72, 41, 25) << QStringLiteral("90");
    QTest::newRow("Label2") << "Label2"
                            << "QLabel" << QRect(608, 80, 73, 17) << QStringLiteral("表示最大値");
    QTest::newRow("Command3") << "Command3"
                              << "QPushButton" << QRect(632, 184, 81, 25) << QStringLiteral("描画中止");
}

void TestForm1::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);

    QWidget *control = Child(name.toLatin1().constData());
    QVERIFY(control != nullptr);
    QCOMPARE(QString::fromLatin1(control->metaObject()->className()), kind);
    QCOMPARE(control->geometry(), geometry);
    QVERIFY(control->isVisible());
    if (auto *button = qobject_cast<QPushButton *>(control)) {
        QCOMPARE(button->text(), text);
        QVERIFY(!button->isDefault());
    } else if (auto *field = qobject_cast<QLineEdit *>(control)) {
        QCOMPARE(field->text(), text);
        QVERIFY(!field->isReadOnly());
    } else if (auto *label = qobject_cast<QLabel *>(control)) {
        QCOMPARE(label->text(), text);
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
    }
}

void TestForm1::controlsStayWhenTheWindowIsResized()
{
    QList<QRect> before;
    const QList<QWidget *> children = form_->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget *child : children) {
        before << child->geometry();
    }
    for (const QSize size : {QSize(1200, 800), QSize(300, 200), QSize(50, 50), QSize(799, 460)}) {
        form_->resize(size);
        QCoreApplication::processEvents();
        QList<QRect> after;
        for (QWidget *child : children) {
            after << child->geometry();
        }
        QCOMPARE(after, before);
    }
}

void TestForm1::fieldsAreDrawnOverTheirLabels()
{
    // Each label's last column lies under its field.
    QWidget *atFirst = form_->childAt(680, 50);
    QVERIFY(atFirst == Child("Text1") || Child("Text1")->isAncestorOf(atFirst));
    QWidget *atSecond = form_->childAt(680, 82);
    QVERIFY(atSecond == Child("Text2") || Child("Text2")->isAncestorOf(atSecond));
    QCOMPARE(form_->childAt(679, 50), Child("Label1"));
}

void TestForm1::focusStartsOnThePictureAndFollowsTheTabOrder()
{
    QCOMPARE(QApplication::focusWidget(), Child("Picture1"));
    QStringList order;
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(order, (QStringList{"Command1", "Text1", "Text2", "Command3", "Picture1"}));
}

void TestForm1::keyboardPresses_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("draws");
    QTest::addColumn<bool>("stops");

    QTest::newRow("Space on Draw") << "Command1" << int(Qt::Key_Space) << true << false;
    QTest::newRow("Enter on Draw") << "Command1" << int(Qt::Key_Return) << true << false;
    QTest::newRow("keypad Enter on Draw") << "Command1" << int(Qt::Key_Enter) << true << false;
    QTest::newRow("Space on Stop") << "Command3" << int(Qt::Key_Space) << false << true;
    QTest::newRow("Enter on Stop") << "Command3" << int(Qt::Key_Return) << false << true;
    QTest::newRow("Enter in a field: no default button") << "Text1" << int(Qt::Key_Return) << false << false;
    QTest::newRow("Escape on Draw: no cancel button") << "Command1" << int(Qt::Key_Escape) << false << false;
}

void TestForm1::keyboardPresses()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(bool, draws);
    QFETCH(bool, stops);

    auto *picture = form_->findChild<PictureBox *>(QStringLiteral("Picture1"));
    QWidget *target = Child(focus.toLatin1().constData());
    target->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), target);
    QTest::keyClick(target, static_cast<Qt::Key>(key));
    // A complete drawing ends with the white curve.
    QCOMPARE(CountPixels(picture->Picture(), qRgb(255, 255, 255)) > 1000, draws);

    // Pressed again at a drawing's first pass: a stop leaves no white curve.
    QTimer::singleShot(0, target, [target, key] {
        target->setFocus();
        QTest::keyClick(target, static_cast<Qt::Key>(key));
    });
    QTest::mouseClick(Child("Command1"), Qt::LeftButton);
    QVERIFY(!form_->Drawing());
    QCOMPARE(CountPixels(picture->Picture(), qRgb(255, 255, 255)) == 0, stops);
}

void TestForm1::clickingDrawDrawsThePicture()
{
    auto *picture = form_->findChild<PictureBox *>(QStringLiteral("Picture1"));
    QTest::mouseClick(Child("Command1"), Qt::LeftButton);
    const QImage image = picture->Picture();
    const int pixels = image.width() * image.height();
    QVERIFY(CountPixels(image, qRgb(0, 0, 0)) > pixels / 2);
    QVERIFY(CountPixels(image, qRgb(255, 255, 255)) > 1000);
    QVERIFY(CountPixels(image, qRgb(0, 0, 255)) > 1000);
    QVERIFY(!form_->Drawing());
}

void TestForm1::aDrawShowsItsOwnPictureWhereverTheViewWas()
{
    auto *picture = form_->findChild<PictureBox *>(QStringLiteral("Picture1"));
    QTest::mouseClick(Child("Command1"), Qt::LeftButton);
    const QImage drawn = picture->Picture();
    // The screen is compared with the picture alone: no overlay over it.
    QTest::keyClick(picture, Qt::Key_I);
    QVERIFY(!picture->OverlayShown());
    QTest::keyClick(picture, Qt::Key_Plus);
    QTest::keyClick(picture, Qt::Key_Left);
    const QImage moved = picture->Picture();
    QTRY_COMPARE(OnScreen(*picture), moved);
    QVERIFY(picture->View() != PictureWorld);
    QVERIFY(moved != drawn);

    // Keys pressed while the next Draw handles events between its curves.
    int tries = 0;
    QList<WorldWindow> during;
    QTimer zoomer;
    connect(&zoomer, &QTimer::timeout, picture, [&] {
        QTest::keyClick(picture, Qt::Key_Plus);
        QTest::keyClick(picture, Qt::Key_Down);
        during << picture->View();
        ++tries;
    });
    zoomer.start(0);
    QTest::mouseClick(Child("Command1"), Qt::LeftButton);
    zoomer.stop();
    QVERIFY(tries > 0);
    for (const WorldWindow &view : during) {
        QCOMPARE(view, PictureWorld);
    }
    QCOMPARE(picture->View(), PictureWorld);
    QTRY_COMPARE(OnScreen(*picture), drawn);
    QCOMPARE(picture->Picture(), drawn);
}

void TestForm1::closingDuringADrawingEndsItFirst()
{
    auto *picture = form_->findChild<PictureBox *>(QStringLiteral("Picture1"));
    // Handled at the drawing's first pass, once the picture is cleared: the
    // picture is cleared again, to a colour no curve has, as the window closes.
    QTimer::singleShot(0, form_.get(), [this, picture] {
        picture->SetBackColor(RGB(1, 2, 3));
        form_->close();
    });
    QTest::mouseClick(Child("Command1"), Qt::LeftButton);

    QVERIFY(!form_->Drawing());
    QTRY_VERIFY(!form_->isVisible());
    // Not one curve drawn after the close, not even the first, black one.
    const QImage image = picture->Picture();
    QCOMPARE(CountPixels(image, qRgb(1, 2, 3)), image.width() * image.height());
}

void TestForm1::copyPutsThePictureOnTheClipboard_data()
{
    QTest::addColumn<bool>("zoomed");
    QTest::newRow("the Draw's picture") << false;
    // Copied before its render is shown: the view's own picture, not the preview.
    QTest::newRow("a view asked for just now") << true;
}

void TestForm1::copyPutsThePictureOnTheClipboard()
{
    QFETCH(bool, zoomed);
    auto *picture = form_->findChild<PictureBox *>(QStringLiteral("Picture1"));
    QTest::mouseClick(Child("Command1"), Qt::LeftButton);
    QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(100, 100));
    QCOMPARE(QApplication::focusWidget(), picture);
    QGuiApplication::clipboard()->clear();
    if (zoomed) {
        picture->SetView({3.75, 68.75, 206.25, -158.75});
    }
    QTest::keySequence(picture, QKeySequence::Copy);

    const QMimeData *data = nullptr;
    QTRY_VERIFY((data = QGuiApplication::clipboard()->mimeData()) != nullptr &&
                data->hasFormat(QStringLiteral("image/png")));
    QTRY_VERIFY(picture->PictureReady());
    QImage expected = picture->Picture();
    expected.setDevicePixelRatio(1.0);
    const QImage png = QImage::fromData(data->data(QStringLiteral("image/png")), "PNG");
    QCOMPARE(png.convertToFormat(QImage::Format_RGB32), expected);
    QCOMPARE(qvariant_cast<QImage>(data->imageData()).convertToFormat(QImage::Format_RGB32), expected);
}

void TestForm1::exploringKeysWorkFromAnywhere_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<double>("zoom"); // after a Draw and one step in with +
    QTest::addColumn<bool>("overlay");
    QTest::addColumn<bool>("overview");
    QTest::addColumn<QString>("focusAfter");
    const int none = Qt::NoModifier;
    const int alt = Qt::AltModifier;
    QTest::newRow("+ on Draw zooms in") << "Command1" << int(Qt::Key_Plus) << none << 1.5625 << true << true
                                        << "Command1";
    QTest::newRow("- on Stop zooms out") << "Command3" << int(Qt::Key_Minus) << none << 1.0 << true << true
                                         << "Command3";
    QTest::newRow("Home on Draw") << "Command1" << int(Qt::Key_Home) << none << 1.0 << true << true << "Command1";
    QTest::newRow("Backspace on Draw") << "Command1" << int(Qt::Key_Backspace) << none << 1.0 << true << true
                                       << "Command1";
    QTest::newRow("Alt+Left on Stop") << "Command3" << int(Qt::Key_Left) << alt << 1.0 << true << true << "Command3";
    QTest::newRow("Alt+Right at the end: nothing, focus stays")
        << "Command1" << int(Qt::Key_Right) << alt << 1.25 << true << true << "Command1";
    QTest::newRow("I on Draw hides the overlay")
        << "Command1" << int(Qt::Key_I) << none << 1.25 << false << true << "Command1";
    QTest::newRow("O on Draw hides the overview")
        << "Command1" << int(Qt::Key_O) << none << 1.25 << true << false << "Command1";
    QTest::newRow("Left on Draw still moves the focus")
        << "Command1" << int(Qt::Key_Left) << none << 1.25 << true << true << "Picture1";
    QTest::newRow("+ in a field is typed") << "Text1" << int(Qt::Key_Plus) << none << 1.25 << true << true << "Text1";
    QTest::newRow("Alt+Left in a field") << "Text2" << int(Qt::Key_Left) << alt << 1.25 << true << true << "Text2";
    QTest::newRow("I in a field is typed") << "Text2" << int(Qt::Key_I) << none << 1.25 << true << true << "Text2";
    QTest::newRow("Space on Draw still draws")
        << "Command1" << int(Qt::Key_Space) << none << 1.0 << true << true << "Command1";
}

void TestForm1::exploringKeysWorkFromAnywhere()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(double, zoom);
    QFETCH(bool, overlay);
    QFETCH(bool, overview);
    QFETCH(QString, focusAfter);
    auto *picture = form_->findChild<PictureBox *>(QStringLiteral("Picture1"));
    // Before any Draw the keys do nothing.
    QWidget *target = Child(focus.toLatin1().constData());
    target->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), target);
    QTest::keyClick(target, Qt::Key_Plus);
    QCOMPARE(picture->View(), PictureWorld);

    QTest::mouseClick(Child("Command1"), Qt::LeftButton);
    QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::keyClick(picture, Qt::Key_Plus);
    target->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), target);
    auto *field = qobject_cast<QLineEdit *>(target);
    const QString typed = field != nullptr ? field->text() : QString();
    QTest::keyClick(target, static_cast<Qt::Key>(key), static_cast<Qt::KeyboardModifiers>(modifiers));
    QTRY_VERIFY2(qAbs(PictureWorld.Width() / picture->View().Width() - zoom) < 1e-9,
                 qPrintable(QString::number(PictureWorld.Width() / picture->View().Width())));
    QCOMPARE(picture->OverlayShown(), overlay);
    QCOMPARE(picture->OverviewShown(), overview);
    QCOMPARE(QApplication::focusWidget(), Child(focusAfter.toLatin1().constData()));
    if (field != nullptr && modifiers == Qt::NoModifier) {
        QCOMPARE(field->text().size(), typed.size() + 1);
    }
}

void TestForm1::copyAndSaveLeaveOutTheOverlayAndOverview_data()
{
    QTest::addColumn<bool>("save");
    QTest::newRow("Copy") << false;
    QTest::newRow("Save As") << true;
}

void TestForm1::copyAndSaveLeaveOutTheOverlayAndOverview()
{
    QFETCH(bool, save);
    auto *picture = form_->findChild<PictureBox *>(QStringLiteral("Picture1"));
    QTest::mouseClick(Child("Command1"), Qt::LeftButton);
    QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(100, 100));
    // Past a zoom of 4: both the overlay and the overview on screen.
    for (int step = 0; step < 7; ++step) {
        QTest::keyClick(picture, Qt::Key_Plus);
    }
    QTRY_VERIFY(picture->PictureReady());
    QTemporaryDir dir;
    const auto taken = [&](const QString &name) {
        if (save) {
            const QString path = dir.filePath(name);
            return SaveAndWait(*form_, path) ? QImage(path).convertToFormat(QImage::Format_RGB32) : QImage();
        }
        QGuiApplication::clipboard()->clear();
        QTest::keySequence(picture, QKeySequence::Copy);
        const QMimeData *data = nullptr;
        if (!QTest::qWaitFor([&] {
                return (data = QGuiApplication::clipboard()->mimeData()) != nullptr &&
                       data->hasFormat(QStringLiteral("image/png"));
            })) {
            return QImage();
        }
        return QImage::fromData(data->data(QStringLiteral("image/png")), "PNG").convertToFormat(QImage::Format_RGB32);
    };
    QTRY_VERIFY(OnScreen(*picture) != picture->Picture());
    const QImage withThem = taken(QStringLiteral("shown.png"));
    QTest::keyClick(picture, Qt::Key_I);
    QTest::keyClick(picture, Qt::Key_O);
    QTRY_COMPARE(OnScreen(*picture), picture->Picture());
    const QImage without = taken(QStringLiteral("hidden.png"));
    QVERIFY(!without.isNull());
    QCOMPARE(withThem, without);
    QCOMPARE(without, OnScreen(*picture));
}

void TestForm1::playStopsAtItsEndOrAKey_data()
{
    QTest::addColumn<int>("zoomSteps"); // 0: at the Draw's own view
    QTest::addColumn<QString>("play");  // "P", or "dialog": its Play button, for 1 s at 10 frames a second
    QTest::addColumn<QString>("stop");  // a key, "Draw", or "" to its end
    QTest::newRow("Esc") << 3 << "P"
                         << "Escape";
    QTest::newRow("any other key") << 3 << "P"
                                   << "A";
    QTest::newRow("a Draw stops it first") << 3 << "P"
                                           << "Draw";
    QTest::newRow("nothing at the Draw's view") << 0 << "P"
                                                << "";
    QTest::newRow("the dialog's length and rate, to the end; P again plays them") << 3 << "dialog"
                                                                                  << "";
}

void TestForm1::playStopsAtItsEndOrAKey()
{
    QFETCH(int, zoomSteps);
    QFETCH(QString, play);
    QFETCH(QString, stop);
    auto *picture = form_->findChild<PictureBox *>(QStringLiteral("Picture1"));
    QTest::mouseClick(Child("Command1"), Qt::LeftButton);
    const QImage drawn = picture->Picture();
    QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::keyClick(picture, Qt::Key_I); // the picture alone on screen
    QTest::keyClick(picture, Qt::Key_O);
    for (int step = 0; step < zoomSteps; ++step) {
        QTest::keyClick(picture, Qt::Key_Plus);
    }
    QTRY_VERIFY(picture->PictureReady());
    const QImage view = picture->Picture();
    QTRY_COMPARE(OnScreen(*picture), view);
    // Each frame as the screen has it the moment it is shown.
    QList<QImage> frames;
    connect(picture, &PictureBox::PlayFrameShown, this, [&] { frames << OnScreen(*picture); });
    if (play == u"dialog") {
        AnswerNextDiveDialog([](DiveDialog &dialog) {
            dialog.findChild<QDoubleSpinBox *>(QStringLiteral("DiveSeconds"))->setValue(1);
            dialog.findChild<QSpinBox *>(QStringLiteral("DiveFps"))->setValue(10);
            // A size for a file: Play stays at the picture's.
            dialog.findChild<QComboBox *>(QStringLiteral("DiveSize"))->setEditText(QStringLiteral("1280x720"));
            dialog.findChild<QPushButton *>(QStringLiteral("DivePlay"))->click();
        });
        QAction *action = MenuAction(picture, QStringLiteral("Save &Dive…"));
        QApplication::activePopupWidget()->close();
        QVERIFY(action != nullptr);
        QSignalSpy stopped(picture, &PictureBox::PlayStopped);
        action->trigger();
        for (int round = 0; round < 2; ++round) {
            // Nothing pressed: the film ends by itself, on the view it came to.
            QVERIFY(stopped.wait(120000));
            QCOMPARE(frames.size(), 10);
            QCOMPARE(frames.constFirst(), drawn);
            QCOMPARE(frames.constLast(), view);
            QVERIFY(!picture->Playing());
            QTRY_COMPARE(OnScreen(*picture), view);
            frames.clear();
            if (round == 0) {
                QTest::keyClick(picture, Qt::Key_P);
            }
        }
        return;
    }
    QTest::keyClick(picture, Qt::Key_P);
    QCoreApplication::processEvents(); // the action's queued call
    if (zoomSteps == 0) {
        QVERIFY(!picture->Playing());
        QCOMPARE(OnScreen(*picture), view);
        return;
    }
    QVERIFY(picture->Playing());
    QTRY_VERIFY_WITH_TIMEOUT(frames.size() >= 2, 120000);
    QCOMPARE(frames.constFirst(), drawn);
    QVERIFY(frames.at(1) != drawn && frames.at(1) != view);
    if (stop == u"Draw") {
        QSignalSpy stopped(picture, &PictureBox::PlayStopped);
        QTest::mouseClick(Child("Command1"), Qt::LeftButton);
        QCOMPARE(stopped.size(), 1);
        QVERIFY(!picture->Playing());
        QCOMPARE(picture->View(), PictureWorld);
        QTRY_COMPARE(OnScreen(*picture), drawn);
        return;
    }
    QTest::keyClick(picture, stop == u"A" ? Qt::Key_A : Qt::Key_Escape);
    QVERIFY(!picture->Playing());
    const qsizetype shown = frames.size();
    QTRY_COMPARE(OnScreen(*picture), view);
    QCOMPARE(picture->Picture(), view);
    QCOMPARE(frames.size(), shown);
}

void TestForm1::helpListsTheKeys_data()
{
    QTest::addColumn<bool>("japanese");
    QTest::addColumn<QString>("pressDraw");
    QTest::newRow("English") << false << "Press Draw";
    QTest::newRow("Japanese") << true << "描画";
}

void TestForm1::helpListsTheKeys()
{
    QFETCH(bool, japanese);
    QFETCH(QString, pressDraw);
    std::unique_ptr<QTranslator> translator;
    if (japanese) {
        translator.reset(InstallTranslations(*QCoreApplication::instance(), QLocale(QLocale::Japanese)));
        QVERIFY(translator != nullptr);
        QCoreApplication::processEvents();
    }
    auto *picture = form_->findChild<PictureBox *>(QStringLiteral("Picture1"));
    QVERIFY2(picture->toolTip().contains(pressDraw), qPrintable(picture->toolTip()));
    QVERIFY(!picture->toolTip().contains(QStringLiteral("Alt+")));
    QTest::mouseClick(Child("Command1"), Qt::LeftButton);
    // Every exploring key, once a Draw has ended.
    const QString tip = picture->toolTip();
    for (const char *key :
         {"+", "-", "Home", "Backspace", "Alt+Left", "Alt+Right", "I:", "O:", "P:", "Ctrl+G", "F11", "F1"}) {
        QVERIFY2(tip.contains(QLatin1String(key)), key);
    }
    QVERIFY(!tip.contains(pressDraw.mid(0, 5)) || japanese);
    // F1 from the Draw button shows the same list.
    Child("Command1")->setFocus();
    QTest::keyClick(Child("Command1"), Qt::Key_F1);
    QMessageBox *keys = nullptr;
    QTRY_VERIFY((keys = form_->findChild<QMessageBox *>(QStringLiteral("KeysHelp"))) != nullptr);
    QVERIFY2(tip.endsWith(keys->text()), qPrintable(keys->text()));
    keys->close();
    // The menu shows each action's shortcut, Reset View's Home among them.
    QAction *reset =
        MenuAction(picture, japanese ? QStringLiteral("表示をリセット(&R)") : QStringLiteral("&Reset View"));
    QVERIFY(reset != nullptr);
    QCOMPARE(reset->shortcut(), QKeySequence(Qt::Key_Home));
    QVERIFY(reset->isShortcutVisibleInContextMenu());
    QAction *full = MenuAction(picture, japanese ? QStringLiteral("全画面表示(&U)") : QStringLiteral("F&ull Screen"));
    QVERIFY(full != nullptr);
    QCOMPARE(full->shortcut(), QKeySequence(Qt::Key_F11));
    QApplication::activePopupWidget()->close();
    QAction *help = MenuAction(picture, japanese ? QStringLiteral("キー一覧(&K)…") : QStringLiteral("&Keys…"));
    QVERIFY(help != nullptr);
    QApplication::activePopupWidget()->close();
    help->trigger();
    QTRY_VERIFY(form_->findChild<QMessageBox *>(QStringLiteral("KeysHelp")) != nullptr);
    // The picture's description says how deep the view is and where.
    QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::keyClick(picture, Qt::Key_Plus);
    const QString description = picture->accessibleDescription();
    QVERIFY2(description.contains(QStringLiteral("×1.25")) && description.contains(QStringLiteral("105, -45")),
             qPrintable(description));
}

void TestForm1::fullScreenThereAndBack_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("back");
    QTest::addColumn<int>("zoomSteps");
    QTest::newRow("F11 there and back at the Draw's view") << "Picture1" << int(Qt::Key_F11) << 0;
    QTest::newRow("F11 from Draw, zoomed, Esc back") << "Command1" << int(Qt::Key_Escape) << 3;
}

void TestForm1::fullScreenThereAndBack()
{
    QFETCH(QString, focus);
    QFETCH(int, back);
    QFETCH(int, zoomSteps);
    auto *picture = form_->findChild<PictureBox *>(QStringLiteral("Picture1"));
    QTest::mouseClick(Child("Command1"), Qt::LeftButton);
    QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(100, 100));
    // The screen is then the picture alone.
    QTest::keyClick(picture, Qt::Key_I);
    QTest::keyClick(picture, Qt::Key_O);
    for (int step = 0; step < zoomSteps; ++step) {
        QTest::keyClick(picture, Qt::Key_Plus);
    }
    QTRY_VERIFY(picture->PictureReady());
    const QSize windowSize = form_->size();
    const QSize small = picture->ImageSize();
    const WorldWindow before = picture->View();
    QMap<QObject *, QRect> layout;
    for (QWidget *child : form_->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        layout[child] = child->geometry();
    }
    Child(focus.toLatin1().constData())->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), Child(focus.toLatin1().constData()));
    QTest::keyClick(form_->windowHandle(), Qt::Key_F11);
    QTRY_COMPARE(form_->size(), form_->screen()->geometry().size());
    QTRY_COMPARE(picture->geometry(), form_->rect());
    for (QWidget *child : form_->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        QCOMPARE(child->isVisible(), child == picture);
    }
    // More of the curves around the same centre, at the same world size of a pixel.
    const QSize large = picture->ImageSize();
    QVERIFY(large.width() > small.width() && large.height() > small.height());
    const WorldWindow seen = picture->View();
    const double pixel = before.Width() / small.width();
    QVERIFY(qAbs(seen.Width() / large.width() - pixel) < 1e-12 * pixel);
    QVERIFY(qAbs(seen.Height() / large.height() - before.Height() / small.height()) < 1e-12 * pixel * 2);
    QVERIFY(qAbs((seen.Left + seen.Right) - (before.Left + before.Right)) / 2 < 1e-6 * pixel);
    QVERIFY(qAbs((seen.Top + seen.Bottom) - (before.Top + before.Bottom)) / 2 < 1e-6 * pixel);
    QTRY_VERIFY(picture->PictureReady());

    QTest::keyClick(form_->windowHandle(), static_cast<Qt::Key>(back));
    QTRY_COMPARE(form_->size(), windowSize);
    for (auto placed = layout.cbegin(); placed != layout.cend(); ++placed) {
        auto *child = static_cast<QWidget *>(placed.key());
        QCOMPARE(child->geometry(), placed.value());
        QVERIFY(child->isVisible());
    }
    QCOMPARE(picture->View(), before);
    QCOMPARE(QApplication::focusWidget(), Child(focus.toLatin1().constData()));
    QTRY_COMPARE(OnScreen(*picture), picture->Picture());
}

void TestForm1::saveThatCannotBeDoneShowsWhy_data()
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

void TestForm1::saveThatCannotBeDoneShowsWhy()
{
    QFETCH(QString, name);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("fifo"))).constData(), 0600), 0);
    const QString path = QDir(dir.path()).filePath(name);
    QVERIFY(!SaveAndWait(*form_, path));
    auto *box = form_->findChild<QMessageBox *>(QStringLiteral("SaveError"));
    QVERIFY(box != nullptr);
    QTRY_VERIFY(box->isVisible());
    QVERIFY2(box->text().startsWith(QStringLiteral("cannot write '%1': %2").arg(path, reason)),
             qPrintable(box->text()));
    QCOMPARE(QDir(QFileInfo(path).path()).entryList(QDir::Hidden | QDir::Files | QDir::System).filter(u".levyc"),
             QStringList());
    box->close();
}

void TestForm1::saveLeavesSignalsAlone()
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
    QTemporaryDir dir;
    SaveHold hold(*form_);
    form_->SaveDiveTo(dir.filePath(QStringLiteral("dive.webp")));
    QVERIFY(hold.Reached());
    QVERIFY(handlers() != before); // a signal takes the temporary file with it
    hold.Release();
    QSignalSpy saved(form_.get(), &Form1::Saved);
    QVERIFY(saved.wait(600000));
    QCOMPARE(handlers(), before);
}

void TestForm1::saveBeforeAnyDrawIsWhatTheScreenShows_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("PNG") << "picture.png";
    QTest::newRow("WebP") << "picture.webp";
}

void TestForm1::saveBeforeAnyDrawIsWhatTheScreenShows()
{
    QFETCH(QString, name);
    auto *picture = form_->findChild<PictureBox *>(QStringLiteral("Picture1"));
    const QImage shown = picture->grab(picture->contentsRect()).toImage().convertToFormat(QImage::Format_RGB32);
    QVERIFY(shown.pixel(0, 0) != qRgb(0, 0, 0)); // the background, not yet a Draw's black
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QVERIFY(SaveAndWait(*form_, path));
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

void TestForm1::saveAsWebPWritesTheAnimation()
{
    QTest::mouseClick(Child("Command1"), Qt::LeftButton);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("grow.webp"));
    QString start;
    AnswerNextFileDialog(&start, path);
    auto *picture = form_->findChild<PictureBox *>(QStringLiteral("Picture1"));
    picture->setFocus();
    QTest::keyClick(picture, Qt::Key_S, Qt::ControlModifier);
    QTRY_VERIFY(QFile::exists(path));
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

void TestForm1::aCancelledSaveLeavesNothing()
{
    QTest::mouseClick(Child("Command1"), Qt::LeftButton);
    QTemporaryDir dir;
    SaveHold hold(*form_);
    QSignalSpy saved(form_.get(), &Form1::Saved);
    form_->SavePictureTo(dir.filePath(QStringLiteral("grow.webp")));
    QVERIFY(hold.Reached());
    auto *progress = form_->findChild<QProgressDialog *>(QStringLiteral("SaveProgress"));
    QVERIFY(progress != nullptr && progress->isVisible());
    QTest::mouseClick(progress->findChild<QPushButton *>(), Qt::LeftButton);
    hold.Release();
    QVERIFY(saved.wait(600000));
    QCOMPARE(saved.constFirst().constFirst().toBool(), false);
    QCOMPARE(Entries(dir), QStringList());
    // No message: the user asked for it.
    QVERIFY(form_->findChild<QMessageBox *>(QStringLiteral("SaveError")) == nullptr);
}

void TestForm1::saveDive_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("end"); // completed, cancelled, failed
    QTest::newRow("completed WebP, decoded") << "dive.webp"
                                             << "completed";
    QTest::newRow("completed MP4, at an odd size") << "dive.mp4"
                                                   << "completed";
    QTest::newRow("cancelled from its dialog, shown at once") << "dive.mp4"
                                                              << "cancelled";
    // A full disk, as a file-size limit: only a whole movie replaces the file.
    QTest::newRow("failed, the old file kept") << "dive.mp4"
                                               << "failed";
}

// From the window's Save Dive to a file, or to nothing when cancelled.
void TestForm1::saveDive()
{
    QFETCH(QString, name);
    QFETCH(QString, end);
    auto *picture = form_->findChild<PictureBox *>(QStringLiteral("Picture1"));
    const QSize size(65, 37);
    picture->resize(size + QSize(2 * PictureBorderWidth, 2 * PictureBorderWidth));
    QTest::mouseClick(Child("Command1"), Qt::LeftButton);
    const QImage drawn = picture->Picture();
    // A quarter of the Draw's view, about its centre: the dive ends there exactly.
    picture->SetView({3.75, 68.75, 206.25, -158.75});
    const QImage shown = picture->Picture();
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    const QByteArray old = "the old file";
    QFile file(path);
    if (end == u"failed") {
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(old) == old.size());
        file.close();
    }
    SaveHold hold(*form_);
    QSignalSpy saved(form_.get(), &Form1::Saved);
    struct rlimit limit = {};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    const struct rlimit before = limit;
    if (end == u"failed") {
        std::signal(SIGXFSZ, SIG_IGN);
        // Past the room an MP4 keeps for its index at the start, so that
        // the disk fills while the frames come, as the hold needs.
        limit.rlim_cur = rlim_t{64} * 1024;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    // What the progress dialog says at each report, once it has taken it.
    QStringList said;
    QObject listener;
    QObject::connect(form_.get(), &Form1::SaveStarted, &listener, [&](SaveJob *job) {
        QObject::connect(job, &SaveJob::Progress, &listener, [&] {
            if (const auto *dialog = form_->findChild<QProgressDialog *>(QStringLiteral("DiveProgress"))) {
                said.append(dialog->labelText());
            }
        });
    });
    QVERIFY(SaveDiveThroughMenu(*form_, path));
    QVERIFY(hold.Reached());
    auto *progress = form_->findChild<QProgressDialog *>(QStringLiteral("DiveProgress"));
    // At once, not after a while: the window waits for the dive.
    QVERIFY(progress != nullptr && progress->isVisible());
    QVERIFY(!Child("Command1")->isEnabled());
    if (end == u"cancelled") {
        QTest::mouseClick(progress->findChild<QPushButton *>(), Qt::LeftButton);
    }
    hold.Release();
    QVERIFY(saved.wait(600000));
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, SIG_DFL);
    QCOMPARE(saved.constFirst().constFirst().toBool(), end == u"completed");
    QVERIFY(Child("Command1")->isEnabled());
    auto *box = form_->findChild<QMessageBox *>(QStringLiteral("SaveError"));
    QCOMPARE(box != nullptr, end == u"failed");
    if (end != u"completed") {
        QCOMPARE(Entries(dir), end == u"failed" ? QStringList{name} : QStringList());
        if (end == u"failed") {
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), old);
            QVERIFY2(!box->text().isEmpty(), "no reason given");
        }
        return;
    }
    QCOMPARE(Entries(dir), QStringList{name});
    // The frame, the total and the time left, as the frames came.
    const QRegularExpression frameOfTotal(QStringLiteral("frame \\d+ of 300, about \\d+ s left$"));
    QVERIFY2(std::any_of(said.cbegin(), said.cend(),
                         [&](const QString &text) { return frameOfTotal.match(text).hasMatch(); }),
             qPrintable(said.join(u'|')));
    QVERIFY(file.open(QIODevice::ReadOnly));
    if (name.endsWith(u".mp4")) {
        // An MP4 opens with its file type box.
        QCOMPARE(file.read(8).mid(4), QByteArray("ftyp"));
        QVERIFY(file.size() > 1000);
        return;
    }
    // Ten seconds at 30 frames a second, from the Draw's picture to the view's.
    QList<QImage> frames;
    for (const WebPFrame &frame : DecodeWebPAnimation(file.readAll()).frames) {
        frames.append(frame.image);
    }
    QCOMPARE(frames.size(), 300);
    QCOMPARE(frames.constFirst().size(), size);
    QCOMPARE(frames.constFirst(), drawn.convertToFormat(QImage::Format_RGB32));
    QCOMPARE(frames.constLast(), shown.convertToFormat(QImage::Format_RGB32));
}

void TestForm1::saveDiveWaitsForADrawsEnd_data()
{
    QTest::addColumn<QString>("when");
    QTest::newRow("before any Draw") << "before";
    QTest::newRow("while a drawing runs") << "during";
    QTest::newRow("once a Draw has ended, at another view") << "after";
}

// As the menu shows it: there is no Draw's view to dive from until one ends.
void TestForm1::saveDiveWaitsForADrawsEnd()
{
    QFETCH(QString, when);
    auto *picture = Child("Picture1");
    std::optional<bool> enabled;
    const auto look = [&] {
        QAction *action = MenuAction(picture, QStringLiteral("Save &Dive…"));
        enabled = action != nullptr && action->isEnabled();
        QApplication::activePopupWidget()->close();
    };
    if (when == u"during") {
        // Inside the drawing's first pass.
        QTimer::singleShot(0, form_.get(), [&] {
            QVERIFY(form_->Drawing());
            look();
        });
    }
    if (when != u"before") {
        QTest::mouseClick(Child("Command1"), Qt::LeftButton);
    }
    if (when == u"after") {
        // At the Draw's own view there is a dive only through views visited.
        qobject_cast<PictureBox *>(picture)->SetView({3.75, 68.75, 206.25, -158.75});
    }
    if (when != u"during") {
        look();
    }
    QVERIFY(enabled.has_value());
    QCOMPARE(*enabled, when == u"after");
}

void TestForm1::diveEstimateGrows_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::newRow("longer") << "DiveSeconds"
                            << "20";
    QTest::newRow("more frames a second") << "DiveFps"
                                          << "60";
    QTest::newRow("a larger size from the list") << "DiveSize"
                                                 << "1920x1080";
    QTest::newRow("a larger size typed") << "DiveSize"
                                         << "1000 x 800";
}

// The dialog Save Dive… opens, as the menu opens it: a dive of more frames or
// more pixels costs more time and more bytes before it starts.
void TestForm1::diveEstimateGrows()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QTest::mouseClick(Child("Command1"), Qt::LeftButton);
    auto *picture = form_->findChild<PictureBox *>(QStringLiteral("Picture1"));
    picture->SetView({3.75, 68.75, 206.25, -158.75});
    std::optional<DiveEstimate> before;
    std::optional<DiveEstimate> after;
    AnswerNextDiveDialog([&](DiveDialog &dialog) {
        before = dialog.Estimate();
        auto *input = dialog.findChild<QWidget *>(field);
        if (auto *seconds = qobject_cast<QDoubleSpinBox *>(input)) {
            seconds->setValue(value.toDouble());
        } else if (auto *number = qobject_cast<QSpinBox *>(input)) {
            number->setValue(value.toInt());
        } else if (auto *size = qobject_cast<QComboBox *>(input)) {
            size->setEditText(value);
        }
        after = dialog.Estimate();
        dialog.reject(); // no file: the estimate is all
    });
    QAction *action = MenuAction(picture, QStringLiteral("Save &Dive…"));
    QApplication::activePopupWidget()->close();
    QVERIFY(action != nullptr);
    action->trigger();
    QTRY_VERIFY(after.has_value());
    QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
    QVERIFY(before.has_value() && after.has_value());
    QVERIFY2(after->seconds > before->seconds, "no more time");
    QVERIFY2(after->bytes > before->bytes, "no more bytes");
}

void TestForm1::saveDiveAtTheDrawsViewTours_data()
{
    QTest::addColumn<int>("visited");  // views settled after the Draw's
    QTest::addColumn<QString>("then"); // "stay", "home" or "back" at the end
    QTest::addColumn<bool>("offered");
    QTest::addColumn<bool>("free"); // whether the tour can be left out
    QTest::newRow("nothing visited: no dive from the Draw's view to itself") << 0 << "stay" << false << false;
    QTest::newRow("a view visited, then Home: only the tour") << 1 << "home" << true << false;
    QTest::newRow("a view visited, then Back: past views do not count") << 1 << "back" << false << false;
    QTest::newRow("two views visited, on the second: the tour is a choice") << 2 << "stay" << true << true;
}

// As the menu shows it, and as the dive's dialog then offers the tour.
void TestForm1::saveDiveAtTheDrawsViewTours()
{
    QFETCH(int, visited);
    QFETCH(QString, then);
    QFETCH(bool, offered);
    QFETCH(bool, free);
    QTest::mouseClick(Child("Command1"), Qt::LeftButton);
    auto *picture = form_->findChild<PictureBox *>(QStringLiteral("Picture1"));
    for (int i = 0; i < visited; ++i) {
        picture->SetView({3.75 + i, 68.75, 206.25 + i, -158.75});
    }
    if (then == u"home") {
        picture->ResetView();
    } else if (then == u"back") {
        picture->Back();
    }
    QTRY_VERIFY(then != u"back" || picture->AtDrawsView());
    QAction *action = MenuAction(picture, QStringLiteral("Save &Dive…"));
    QApplication::activePopupWidget()->close();
    QVERIFY(action != nullptr);
    QCOMPARE(action->isEnabled(), offered);
    if (!offered) {
        return;
    }
    std::optional<bool> checked;
    std::optional<bool> enabled;
    AnswerNextDiveDialog([&](DiveDialog &dialog) {
        const auto *tour = dialog.findChild<QCheckBox *>(QStringLiteral("DiveTour"));
        checked = tour->isChecked();
        enabled = tour->isEnabled();
        dialog.reject();
    });
    action->trigger();
    QTRY_VERIFY(enabled.has_value());
    QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
    QCOMPARE(*enabled, free);
    QVERIFY(*checked || free); // at the Draw's view it is on
}

void TestForm1::closingDuringASaveAsks_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("Yes: the save is cancelled and the window closes") << true;
    QTest::newRow("No: both go on") << false;
}

void TestForm1::closingDuringASaveAsks()
{
    QFETCH(bool, yes);
    QTest::mouseClick(Child("Command1"), Qt::LeftButton);
    QTemporaryDir dir;
    SaveHold hold(*form_);
    QSignalSpy saved(form_.get(), &Form1::Saved);
    form_->SaveDiveTo(dir.filePath(QStringLiteral("dive.webp")));
    QVERIFY(hold.Reached());
    QVERIFY(!form_->close());
    auto *question = form_->findChild<QMessageBox *>(QStringLiteral("CancelSaveQuestion"));
    QVERIFY(question != nullptr);
    QTRY_VERIFY(question->isVisible());
    question->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
    hold.Release();
    QVERIFY(saved.wait(600000));
    QCOMPARE(saved.constFirst().constFirst().toBool(), !yes);
    QCOMPARE(Entries(dir), yes ? QStringList() : QStringList{"dive.webp"});
    QTRY_COMPARE(form_->isVisible(), !yes);
}

void TestForm1::menuDialogsOpenOnceTheMenuIsGone_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("Save As") << "&Save As…";
    QTest::newRow("Save Dive") << "Save &Dive…";
    QTest::newRow("Go to View") << "&Go to View…";
}

// A dialog run from inside the menu's own handler would outlive the menu,
// which deletes itself on closing while that handler is still running.
void TestForm1::menuDialogsOpenOnceTheMenuIsGone()
{
    QFETCH(QString, text);
    auto *picture = Child("Picture1");
    QTest::mouseClick(Child("Command1"), Qt::LeftButton);
    QTest::keyClick(picture, Qt::Key_Plus); // somewhere to dive to
    QAction *action = MenuAction(picture, text);
    QVERIFY(action != nullptr && action->isEnabled());
    QPointer<QMenu> menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    std::optional<bool> menuGone;
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&] {
        if (QWidget *dialog = QApplication::activeModalWidget()) {
            poll.stop();
            menuGone = menu.isNull();
            dialog->close();
        }
    });
    poll.start(10);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    QTRY_VERIFY(menuGone.has_value());
    QVERIFY(*menuGone);
}

void TestForm1::saveAsStartsOnlyWhereSavingCanWork()
{
    auto *picture = form_->findChild<PictureBox *>(QStringLiteral("Picture1"));
    const QString home = QDir::currentPath();
    // The dialog looks into each file where it starts; in /proc that can
    // block for ever.
    QVERIFY(QDir::setCurrent(QStringLiteral("/proc")));
    QString start;
    AnswerNextFileDialog(&start, QStringLiteral("/proc/levyc-picture.png"));
    QTest::keySequence(picture, QKeySequence::Save);
    QTRY_VERIFY(!start.isEmpty());
    QVERIFY(QDir::setCurrent(home));
    QVERIFY2(!start.startsWith(u"/proc"), qPrintable(start));
    QMessageBox *box = nullptr;
    QTRY_VERIFY((box = form_->findChild<QMessageBox *>(QStringLiteral("SaveError"))) != nullptr);
    box->close();
    // What a window manager does once a dialog closes.
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));

    // The save failed: the next dialog does not start where it went.
    start.clear();
    AnswerNextFileDialog(&start, {});
    QTest::keySequence(picture, QKeySequence::Save);
    QTRY_VERIFY(!start.isEmpty());
    QVERIFY2(!start.startsWith(u"/proc"), qPrintable(start));
}

void TestForm1::windowAndPictureHaveTheirRoles()
{
    QCOMPARE(QAccessible::queryAccessibleInterface(form_.get())->role(), QAccessible::Window);
    QAccessibleInterface *picture = QAccessible::queryAccessibleInterface(Child("Picture1"));
    QCOMPARE(picture->role(), QAccessible::Graphic);
    QCOMPARE(picture->parent()->role(), QAccessible::Window);
    QVERIFY(!picture->text(QAccessible::Name).isEmpty());
}

void TestForm1::controlsExplainThemselves_data()
{
    QTest::addColumn<bool>("japanese");
    QTest::addColumn<QStringList>("names"); // Picture1, Command1, Text1, Text2, Command3
    QTest::newRow("English") << false
                             << QStringList{"Picture", "Draw", "Type-1 maximum", "Display maximum", "Stop drawing"};
    QTest::newRow("Japanese") << true << QStringList{"画像", "描画", "形式1最大値", "表示最大値", "描画中止"};
}

void TestForm1::controlsExplainThemselves()
{
    QFETCH(bool, japanese);
    QFETCH(QStringList, names);
    std::unique_ptr<QTranslator> translator;
    if (japanese) {
        translator.reset(InstallTranslations(*QCoreApplication::instance(), QLocale(QLocale::Japanese)));
        QVERIFY(translator != nullptr);
        QCoreApplication::processEvents(); // the language change reaches the widgets
    }
    const QStringList controls{"Picture1", "Command1", "Text1", "Text2", "Command3"};
    for (qsizetype i = 0; i < controls.size(); ++i) {
        QWidget *control = Child(controls[i].toLatin1().constData());
        QCOMPARE(control->accessibleName(), names[i]);
        QVERIFY(!control->accessibleDescription().isEmpty());
    }
    for (const char *name : {"Picture1", "Command1", "Command3"}) {
        QVERIFY(!Child(name)->toolTip().isEmpty());
    }
    // Each field's tip names its caption's meaning and says the drawing does not read it.
    const QString unread = japanese ? QStringLiteral("描画はこの入力欄を読みません") : QStringLiteral("does not read");
    for (const qsizetype field : {2, 3}) {
        const QString tip = Child(controls[field].toLatin1().constData())->toolTip();
        QVERIFY2(tip.startsWith(names[field]) && tip.contains(unread), qPrintable(tip));
    }
    // The captions stay as they are.
    QCOMPARE(qobject_cast<QPushButton *>(Child("Command1"))->text(), QStringLiteral("描画"));
    QCOMPARE(qobject_cast<QPushButton *>(Child("Command3"))->text(), QStringLiteral("描画中止"));
}

void TestForm1::qtsOwnTextsFollowTheLocale()
{
    // The file dialog's own buttons, among Qt's texts.
    const std::unique_ptr<QTranslator> translator(
        InstallQtTranslations(*QCoreApplication::instance(), QLocale(QLocale::Japanese)));
    if (translator == nullptr) {
        QSKIP("Qt's own translations are not installed (scripts/install-deps.sh installs qt6-translations-l10n)");
    }
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("キャンセル"));
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
