#include "Eventually.h"
#include "FormTest.h"
#include "PictureOnScreen.h"
#include "WebPFrames.h"
#include "widgets/WindowLayout.h"
#include "world/PictureWorld.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <optional>
#include <sys/resource.h>

using namespace levyc;

// The dive from the window: Save Dive…, its dialog, and Play.
class TestFormDive : public FormTest
{
    Q_OBJECT

private slots:
    void playStopsAtItsEndOrAKey_data();
    void playStopsAtItsEndOrAKey();
    void saveDive_data();
    void saveDive();
    void saveDiveWaitsForADrawsEnd_data();
    void saveDiveWaitsForADrawsEnd();
    void diveEstimateGrows_data();
    void diveEstimateGrows();
    void theDialogKeepsATypedSize();
    void aDiveBeyondReach_data();
    void aDiveBeyondReach();
    void anOpenMenuTakesTheKeys_data();
    void anOpenMenuTakesTheKeys();
    void theDialogsNumbers_data();
    void theDialogsNumbers();
    void saveDiveAtTheDrawsViewTours_data();
    void saveDiveAtTheDrawsViewTours();
    void keyframesShapeTheFilm_data();
    void keyframesShapeTheFilm();
};

namespace {

// An item of the Add menu beside the dialog's list of views.
QAction *AddMenuAction(DiveDialog &dialog, const QString &text)
{
    auto *add = dialog.findChild<QPushButton *>(QStringLiteral("KeyframeAdd"));
    const QList<QAction *> actions = add->menu()->actions();
    const auto found = std::find_if(actions.begin(), actions.end(), [&](QAction *a) { return a->text() == text; });
    return found == actions.end() ? nullptr : *found;
}

} // namespace

void TestFormDive::playStopsAtItsEndOrAKey_data()
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

void TestFormDive::playStopsAtItsEndOrAKey()
{
    QFETCH(int, zoomSteps);
    QFETCH(QString, play);
    QFETCH(QString, stop);
    auto *picture = Picture();
    QTest::mouseClick(Child("Command1"), Qt::LeftButton);
    const QImage drawn = picture->Picture();
    QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::keyClick(picture, Qt::Key_I); // the picture alone on screen
    QTest::keyClick(picture, Qt::Key_O);
    for (int step = 0; step < zoomSteps; ++step) {
        QTest::keyClick(picture, Qt::Key_Plus);
    }
    TRY_VERIFY(picture->PictureReady());
    const QImage view = picture->Picture();
    TRY_COMPARE(OnScreen(*picture), view);
    // Each frame as the screen has it the moment it is shown, and the films ended.
    QList<QImage> frames;
    int ended = 0;
    const PlayLogWatch log([&](const QString &line) {
        if (line.startsWith(u"frame")) {
            frames << OnScreen(*picture);
        } else if (line.startsWith(u"ended")) {
            ++ended;
        }
    });
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
        action->trigger();
        for (int round = 0; round < 2; ++round) {
            std::optional<double> backWith; // the dialog's length, when it came back
            if (round == 0) {
                AnswerNextDiveDialog([&](DiveDialog &dialog) {
                    backWith = dialog.findChild<QDoubleSpinBox *>(QStringLiteral("DiveSeconds"))->value();
                    dialog.reject();
                });
            }
            // Nothing pressed: the film ends by itself, on the view it came to.
            QVERIFY(QTest::qWaitFor([&] { return ended > round; }, 120000));
            // Played from the dialog, the film gives it back as it was left.
            QVERIFY(QTest::qWaitFor([&] { return round > 0 || backWith.has_value(); }, 120000));
            QCOMPARE(backWith, round == 0 ? std::optional(1.0) : std::nullopt);
            QCOMPARE(frames.size(), 10);
            QCOMPARE(frames.constFirst(), drawn);
            QCOMPARE(frames.constLast(), view);
            QVERIFY(!picture->Playing());
            TRY_COMPARE(OnScreen(*picture), view);
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
    // Until a frame is drawn, the picture says the film is coming.
    if (frames.isEmpty()) {
        QVERIFY(picture->Film().Preparing());
        picture->repaint(); // as the next paint would, now
        QVERIFY(OnScreen(*picture) != view);
    }
    TRY_VERIFY(frames.size() >= 2);
    QCOMPARE(frames.constFirst(), drawn);
    QVERIFY(frames.at(1) != drawn && frames.at(1) != view);
    if (stop == u"Draw") {
        QTest::mouseClick(Child("Command1"), Qt::LeftButton);
        QCOMPARE(ended, 1);
        QVERIFY(!picture->Playing());
        QCOMPARE(picture->View(), PictureWorld);
        TRY_COMPARE(OnScreen(*picture), drawn);
        return;
    }
    QTest::keyClick(picture, stop == u"A" ? Qt::Key_A : Qt::Key_Escape);
    QVERIFY(!picture->Playing());
    const qsizetype shown = frames.size();
    TRY_COMPARE(OnScreen(*picture), view);
    QCOMPARE(picture->Picture(), view);
    QCOMPARE(frames.size(), shown);
}

void TestFormDive::saveDive_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("end"); // completed, cancelled, failed
    QTest::addColumn<double>("seconds");
    QTest::addColumn<int>("fps");
    // The one whole film as the dialog first offers it: its every frame, the last exact.
    QTest::newRow("completed WebP, decoded") << "dive.webp"
                                             << "completed" << (Sanitized ? 3.0 : 10.0) << (Sanitized ? 10 : 30);
    QTest::newRow("completed MP4, at an odd size") << "dive.mp4"
                                                   << "completed" << 1.0 << 10;
    QTest::newRow("cancelled from its dialog, shown at once") << "dive.mp4"
                                                              << "cancelled" << 1.0 << 10;
    // A full disk, as a file-size limit: only a whole movie replaces the file.
    QTest::newRow("failed, the old file kept") << "dive.mp4"
                                               << "failed" << 1.0 << 30;
}

// From the window's Save Dive to a file, or to nothing when cancelled.
void TestFormDive::saveDive()
{
    QFETCH(QString, name);
    QFETCH(QString, end);
    QFETCH(double, seconds);
    QFETCH(int, fps);
    auto *picture = Picture();
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
    SaveHold hold(Form());
    QSignalSpy saved(&Form(), &Form1::Saved);
    struct rlimit limit = {};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    const struct rlimit before = limit;
    if (end == u"failed") {
        std::signal(SIGXFSZ, SIG_IGN);
        // Past the room an MP4 of 30 frames keeps for its index at the start
        // (5.5 KiB), half its 16 KiB: the disk fills while the frames come,
        // as the hold needs.
        limit.rlim_cur = rlim_t{8} * 1024;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    // What the progress dialog says at each report, once it has taken it.
    QStringList said;
    QObject listener;
    const SaveWatch watch(Form(), [&](SaveJob &job) {
        QObject::connect(&job, &SaveJob::Progress, &listener, [&] {
            if (const auto *dialog = Form().findChild<QProgressDialog *>(QStringLiteral("DiveProgress"))) {
                said.append(dialog->labelText());
            }
        });
    });
    QVERIFY(SaveDiveThroughMenu(Form(), path, [&](DiveDialog &dialog) { ShapeDive(dialog, seconds, fps); }));
    QVERIFY(hold.Reached());
    auto *progress = Form().findChild<QProgressDialog *>(QStringLiteral("DiveProgress"));
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
    auto *box = Form().findChild<QMessageBox *>(QStringLiteral("SaveError"));
    QCOMPARE(box != nullptr, end == u"failed");
    if (end != u"completed") {
        QCOMPARE(Entries(dir), end == u"failed" ? QStringList{name} : QStringList());
        if (end == u"failed") {
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), old);
            QVERIFY2(!box->text().isEmpty(), "no reason given");
            QCOMPARE(box->windowTitle(), QStringLiteral("Cannot Save the Dive"));
        }
        return;
    }
    QCOMPARE(Entries(dir), QStringList{name});
    // The frame, the total and the time left, as the frames came.
    const int total = static_cast<int>(std::lround(seconds * fps));
    const QRegularExpression frameOfTotal(QStringLiteral("frame \\d+ of %1, about \\d+ s left$").arg(total));
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
    // Every frame, from the Draw's picture to the view's.
    QList<QImage> frames;
    for (const WebPFrame &frame : DecodeWebPAnimation(file.readAll()).frames) {
        frames.append(frame.image);
    }
    QCOMPARE(frames.size(), total);
    QCOMPARE(frames.constFirst().size(), size);
    QCOMPARE(frames.constFirst(), drawn.convertToFormat(QImage::Format_RGB32));
    QCOMPARE(frames.constLast(), shown.convertToFormat(QImage::Format_RGB32));
}

void TestFormDive::saveDiveWaitsForADrawsEnd_data()
{
    QTest::addColumn<QString>("when");
    QTest::newRow("before any Draw") << "before";
    QTest::newRow("while a drawing runs") << "during";
    QTest::newRow("once a Draw has ended, at another view") << "after";
}

// As the menu shows it: there is no Draw's view to dive from until one ends.
void TestFormDive::saveDiveWaitsForADrawsEnd()
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
        QTimer::singleShot(0, &Form(), [&] {
            QVERIFY(Form().Drawing());
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

void TestFormDive::diveEstimateGrows_data()
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
void TestFormDive::diveEstimateGrows()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QTest::mouseClick(Child("Command1"), Qt::LeftButton);
    auto *picture = Picture();
    picture->SetView({3.75, 68.75, 206.25, -158.75});
    std::optional<DiveEstimate> before;
    std::optional<DiveEstimate> after;
    AnswerNextDiveDialog([&](DiveDialog &dialog) {
        // Measured off the window's thread, on a few of the dive's own frames.
        std::ignore = QTest::qWaitFor([&] { return dialog.Estimate().has_value(); }, HangMs);
        before = dialog.Estimate();
        auto *input = dialog.findChild<QWidget *>(field);
        if (auto *seconds = qobject_cast<QDoubleSpinBox *>(input)) {
            seconds->setValue(value.toDouble());
        } else if (auto *number = qobject_cast<QSpinBox *>(input)) {
            number->setValue(value.toInt());
        } else if (auto *size = qobject_cast<QComboBox *>(input)) {
            size->setEditText(value);
        }
        std::ignore = QTest::qWaitFor([&] { return dialog.Estimate().has_value(); }, HangMs);
        after = dialog.Estimate();
        dialog.reject(); // no file: the estimate is all
    });
    QAction *action = MenuAction(picture, QStringLiteral("Save &Dive…"));
    QApplication::activePopupWidget()->close();
    QVERIFY(action != nullptr);
    action->trigger();
    TRY_VERIFY(after.has_value());
    TRY_VERIFY(QApplication::activeModalWidget() == nullptr);
    QVERIFY(before.has_value() && after.has_value());
    QVERIFY2(after->seconds > before->seconds, "no more time");
    QVERIFY2(after->bytes > before->bytes, "no more bytes");
}

// A size typed for one dive is the next dive's too, as the field shows it.
void TestFormDive::theDialogKeepsATypedSize()
{
    QTest::mouseClick(Child("Command1"), Qt::LeftButton);
    Picture()->SetView({3.75, 68.75, 206.25, -158.75});
    QTemporaryDir dir;
    QSignalSpy saved(&Form(), &Form1::Saved);
    QVERIFY(SaveDiveThroughMenu(Form(), dir.filePath(QStringLiteral("typed.webp")), [](DiveDialog &dialog) {
        ShortDive(dialog);
        auto *size = dialog.findChild<QComboBox *>(QStringLiteral("DiveSize"));
        size->lineEdit()->selectAll();
        QTest::keyClicks(size->lineEdit(), QStringLiteral("160x90"));
    }));
    QVERIFY(saved.wait(600000));
    QString shown;
    AnswerNextDiveDialog([&shown](DiveDialog &dialog) {
        shown = dialog.findChild<QComboBox *>(QStringLiteral("DiveSize"))->currentText();
        dialog.reject();
    });
    QAction *action = MenuAction(Picture(), QStringLiteral("Save &Dive…"));
    QApplication::activePopupWidget()->close();
    QVERIFY(action != nullptr);
    action->trigger();
    TRY_VERIFY(!shown.isEmpty());
    QCOMPARE(shown, QStringLiteral("160x90"));
}

void TestFormDive::aDiveBeyondReach_data()
{
    QTest::addColumn<QList<double>>("visits"); // the centres across of views the Draw's size, in order
    QTest::addColumn<bool>("offered");         // Save Dive… and P
    QTest::addColumn<bool>("tourRefused");     // the dialog's tour through them
    QTest::newRow("a view far out: no dive, and the menu says why") << QList<double>{1e8} << false << false;
    QTest::newRow("a view far out visited, then one near: only the tour is refused")
        << QList<double>{3e7, 200} << true << true;
}

// A dive whose way would zoom out past the widest view that can be drawn is
// refused before any work: in the menu when no choice can make it, or in
// the dialog, which says why, for the choice that cannot.
void TestFormDive::aDiveBeyondReach()
{
    QFETCH(QList<double>, visits);
    QFETCH(bool, offered);
    QFETCH(bool, tourRefused);
    auto *picture = Picture();
    QTest::mouseClick(Child("Command1"), Qt::LeftButton);
    for (const double x : visits) {
        picture->SetView({x - 410, 140, x + 410, -452});
    }
    QAction *save = MenuAction(picture, QStringLiteral("Save &Dive…"));
    QApplication::activePopupWidget()->close();
    QVERIFY(save != nullptr);
    QCOMPARE(save->isEnabled(), offered);
    QCOMPARE(save->toolTip().contains(QStringLiteral("choose views nearer each other")), !offered);
    QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::keyClick(picture, Qt::Key_P);
    QCoreApplication::processEvents(); // the action's queued call
    QCOMPARE(picture->Playing(), offered);
    QTest::keyClick(picture, Qt::Key_Escape);
    if (!offered) {
        return;
    }
    std::optional<bool> saveWithout;
    std::optional<bool> saveWith;
    QString said;
    AnswerNextDiveDialog([&](DiveDialog &dialog) {
        auto *ok = dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
        saveWithout = ok->isEnabled();
        AddMenuAction(dialog, QStringLiteral("&All the views I visited, in order"))->trigger();
        saveWith = ok->isEnabled();
        said = dialog.findChild<QLabel *>(QStringLiteral("DiveEstimate"))->text();
        dialog.reject();
    });
    save->trigger();
    TRY_VERIFY(saveWith.has_value());
    TRY_VERIFY(QApplication::activeModalWidget() == nullptr);
    QVERIFY(*saveWithout);
    QCOMPARE(!*saveWith, tourRefused);
    QVERIFY2(said.contains(QStringLiteral("zoom out")) == tourRefused, qPrintable(said));
}

void TestFormDive::anOpenMenuTakesTheKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("closes"); // the menu
    QTest::addColumn<bool>("plays");
    QTest::addColumn<bool>("overview");
    QTest::newRow("P: the menu's Play Dive, once it has closed") << int(Qt::Key_P) << true << true << true;
    QTest::newRow("O: the menu's Show Overview, once") << int(Qt::Key_O) << true << false << false;
    QTest::newRow("I: no letter of the menu's, nothing under it") << int(Qt::Key_I) << false << false << true;
}

// A key pressed while the picture's menu is open is the menu's: the
// picture's own keys do not run their actions under it.
void TestFormDive::anOpenMenuTakesTheKeys()
{
    QFETCH(int, key);
    QFETCH(bool, closes);
    QFETCH(bool, plays);
    QFETCH(bool, overview);
    auto *picture = Picture();
    QTest::mouseClick(Child("Command1"), Qt::LeftButton);
    QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::keyClick(picture, Qt::Key_Plus);
    TRY_VERIFY(picture->PictureReady());
    const bool overlay = picture->OverlayShown();
    QVERIFY(MenuAction(picture, QStringLiteral("&Play Dive")) != nullptr);
    QWidget *menu = QApplication::activePopupWidget();
    QTest::keyClick(menu, static_cast<Qt::Key>(key));
    QCoreApplication::processEvents(); // the actions' queued calls
    QCOMPARE(QApplication::activePopupWidget() == nullptr, closes);
    QCOMPARE(picture->Playing(), plays);
    QCOMPARE(picture->OverviewShown(), overview);
    QCOMPARE(picture->OverlayShown(), overlay);
    if (!closes) {
        QApplication::activePopupWidget()->close();
    }
}

void TestFormDive::theDialogsNumbers_data()
{
    QTest::addColumn<QString>("format"); // as the format box names it
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("bounds"); // what the estimate's line says; empty when the dive can be made
    QTest::newRow("MP4: its quality asked") << "MP4"
                                            << ""
                                            << ""
                                            << "";
    QTest::newRow("WebP: lossless, no quality") << "Animated WebP"
                                                << ""
                                                << ""
                                                << "";
    QTest::newRow("a length of 0") << "MP4"
                                   << "DiveSeconds"
                                   << "0"
                                   << "Type a length from 0.1 to 3600 s.";
    QTest::newRow("a length of 99999") << "MP4"
                                       << "DiveSeconds"
                                       << "99999"
                                       << "Type a length from 0.1 to 3600 s.";
    QTest::newRow("500 frames a second") << "MP4"
                                         << "DiveFps"
                                         << "500"
                                         << "Type from 1 to 120 frames a second.";
    QTest::newRow("a quality of 101") << "MP4"
                                      << "DiveQuality"
                                      << "101"
                                      << "Type a quality from 0 to 100.";
}

// Typed into the dialog Save Dive… opens: a number out of bounds stays as
// typed, and the dialog says what the bounds are instead of offering Save
// and Play.
void TestFormDive::theDialogsNumbers()
{
    QFETCH(QString, format);
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, bounds);
    QTest::mouseClick(Child("Command1"), Qt::LeftButton);
    Picture()->SetView({3.75, 68.75, 206.25, -158.75});
    // What the dialog shows once the format is chosen and the number typed.
    std::optional<bool> quality;
    QString shown;
    bool save = false;
    bool play = false;
    QString said;
    AnswerNextDiveDialog([&](DiveDialog &dialog) {
        auto *formats = dialog.findChild<QComboBox *>(QStringLiteral("DiveFormat"));
        formats->setCurrentIndex(formats->findText(format, Qt::MatchStartsWith));
        quality = dialog.findChild<QWidget *>(QStringLiteral("DiveQuality"))->isEnabled();
        if (!field.isEmpty()) {
            auto *line = dialog.findChild<QAbstractSpinBox *>(field)->findChild<QLineEdit *>();
            line->selectAll();
            QTest::keyClicks(line, typed);
            shown = line->text().remove(QStringLiteral(" s"));
        }
        save = dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->isEnabled();
        play = dialog.findChild<QPushButton *>(QStringLiteral("DivePlay"))->isEnabled();
        said = dialog.findChild<QLabel *>(QStringLiteral("DiveEstimate"))->text();
        dialog.reject();
    });
    QAction *action = MenuAction(Picture(), QStringLiteral("Save &Dive…"));
    QApplication::activePopupWidget()->close();
    QVERIFY(action != nullptr);
    action->trigger();
    TRY_VERIFY(quality.has_value());
    TRY_VERIFY(QApplication::activeModalWidget() == nullptr);
    QCOMPARE(*quality, !format.endsWith(u"WebP"));
    QCOMPARE(shown, typed);
    QCOMPARE(save, bounds.isEmpty());
    QCOMPARE(play, bounds.isEmpty());
    if (!bounds.isEmpty()) {
        QCOMPARE(said, bounds);
    }
}

void TestFormDive::saveDiveAtTheDrawsViewTours_data()
{
    QTest::addColumn<int>("visited");  // views settled after the Draw's
    QTest::addColumn<QString>("then"); // "stay", "home" or "back" at the end
    QTest::addColumn<bool>("offered");
    QTest::addColumn<int>("views"); // in the dialog's list as it opens
    QTest::newRow("nothing visited: no dive from the Draw's view to itself") << 0 << "stay" << false << 0;
    QTest::newRow("a view visited, then Home: the tour and back") << 1 << "home" << true << 3;
    QTest::newRow("a view visited, then Back: past views do not count") << 1 << "back" << false << 0;
    QTest::newRow("two views visited, on the second: straight there, the tour a choice") << 2 << "stay" << true << 2;
}

// As the menu shows it, and as the dive's dialog then lists the film's views.
void TestFormDive::saveDiveAtTheDrawsViewTours()
{
    QFETCH(int, visited);
    QFETCH(QString, then);
    QFETCH(bool, offered);
    QFETCH(int, views);
    QTest::mouseClick(Child("Command1"), Qt::LeftButton);
    auto *picture = Picture();
    for (int i = 0; i < visited; ++i) {
        picture->SetView({3.75 + i, 68.75, 206.25 + i, -158.75});
    }
    if (then == u"home") {
        picture->ResetView();
    } else if (then == u"back") {
        QTest::keyClick(picture, Qt::Key_Backspace);
    }
    TRY_VERIFY(then != u"back" || picture->View() == PictureWorld);
    QAction *action = MenuAction(picture, QStringLiteral("Save &Dive…"));
    QApplication::activePopupWidget()->close();
    QVERIFY(action != nullptr);
    QCOMPARE(action->isEnabled(), offered);
    // Play plays what Save Dive… would save: it is there exactly when that is.
    QAction *play = MenuAction(picture, QStringLiteral("&Play Dive"));
    QApplication::activePopupWidget()->close();
    QVERIFY(play != nullptr);
    QCOMPARE(play->isEnabled(), offered);
    if (!offered) {
        return;
    }
    // The film's views as the dialog lists them, and once filled with the views visited.
    std::optional<int> listed;
    std::optional<int> filled;
    AnswerNextDiveDialog([&](DiveDialog &dialog) {
        auto *list = dialog.findChild<QListWidget *>(QStringLiteral("KeyframeList"));
        listed = list->count();
        QAction *fill = AddMenuAction(dialog, QStringLiteral("&All the views I visited, in order"));
        fill->trigger();
        filled = fill->isEnabled() ? list->count() : 0;
        dialog.reject();
    });
    action->trigger();
    TRY_VERIFY(filled.has_value());
    TRY_VERIFY(QApplication::activeModalWidget() == nullptr);
    QCOMPARE(*listed, views);
    QCOMPARE(*filled, 3); // the Draw's view, the one visited before, and the last
}

void TestFormDive::keyframesShapeTheFilm_data()
{
    QTest::addColumn<QString>("change"); // to the second of three views: the Draw's, one visited, the one on screen
    QTest::addColumn<bool>("startsThere");
    QTest::addColumn<bool>("passesThere");
    QTest::newRow("filled with the views visited") << "" << false << true;
    QTest::newRow("the view visited moved up: the film starts there") << "up" << true << true;
    QTest::newRow("the view visited removed: the film never shows it") << "remove" << false << false;
}

// The film played from the dialog follows its list: the first frame is the
// first view, and a view in the list is on screen exactly, in one frame.
void TestFormDive::keyframesShapeTheFilm()
{
    QFETCH(QString, change);
    QFETCH(bool, startsThere);
    QFETCH(bool, passesThere);
    auto *picture = Picture();
    QTest::mouseClick(Child("Command1"), Qt::LeftButton);
    const QImage drawn = picture->Picture();
    QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::keyClick(picture, Qt::Key_I); // the picture alone on screen
    QTest::keyClick(picture, Qt::Key_O);
    picture->SetView({3.75, 68.75, 206.25, -158.75});
    TRY_VERIFY(picture->PictureReady());
    const QImage visited = picture->Picture();
    QTest::keyClick(picture, Qt::Key_Plus);
    TRY_VERIFY(picture->PictureReady());
    QList<QImage> frames;
    int ended = 0;
    const PlayLogWatch log([&](const QString &line) {
        if (line.startsWith(u"frame")) {
            frames << OnScreen(*picture);
        } else if (line.startsWith(u"ended")) {
            ++ended;
        }
    });
    std::optional<int> backWith; // the views listed when the dialog came back
    AnswerNextDiveDialog([&](DiveDialog &dialog) {
        dialog.findChild<QDoubleSpinBox *>(QStringLiteral("DiveSeconds"))->setValue(1);
        dialog.findChild<QSpinBox *>(QStringLiteral("DiveFps"))->setValue(10);
        AddMenuAction(dialog, QStringLiteral("&All the views I visited, in order"))->trigger();
        dialog.findChild<QListWidget *>(QStringLiteral("KeyframeList"))->setCurrentRow(1);
        // Held, the view is on screen exactly for its hold.
        dialog.findChild<QDoubleSpinBox *>(QStringLiteral("KeyframeHold"))->setValue(0.2);
        if (!change.isEmpty()) {
            QTest::mouseClick(dialog.findChild<QPushButton *>(change == u"up" ? QStringLiteral("KeyframeUp")
                                                                              : QStringLiteral("KeyframeRemove")),
                              Qt::LeftButton);
        }
        // Where it starts and where it ends stay: two views cannot be fewer.
        auto *remove = dialog.findChild<QPushButton *>(QStringLiteral("KeyframeRemove"));
        QCOMPARE(remove->isEnabled(), change != u"remove");
        // Back after the film, with its list as it was left.
        AnswerNextDiveDialog([&](DiveDialog &again) {
            backWith = again.findChild<QListWidget *>(QStringLiteral("KeyframeList"))->count();
            again.reject();
        });
        dialog.findChild<QPushButton *>(QStringLiteral("DivePlay"))->click();
    });
    QAction *action = MenuAction(picture, QStringLiteral("Save &Dive…"));
    QApplication::activePopupWidget()->close();
    action->trigger();
    QVERIFY(QTest::qWaitFor([&] { return backWith.has_value(); }, 120000));
    QCOMPARE(ended, 1);
    QCOMPARE(*backWith, change == u"remove" ? 2 : 3);
    QVERIFY(frames.size() >= 10);
    QCOMPARE(frames.constFirst() == visited, startsThere);
    QCOMPARE(frames.constFirst() == drawn, !startsThere);
    QCOMPARE(frames.contains(visited), passesThere);
}

QTEST_MAIN(TestFormDive)
#include "tst_form1_dive.moc"
