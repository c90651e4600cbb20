#include "Eventually.h"
#include "PictureOnScreen.h"
#include "widgets/Form1.h"
#include "widgets/PictureBox.h"

#include "encoding/PngEncoder.h"
#include "program/Translations.h"
#include "views/ViewText.h"

#include <QClipboard>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextLayout>
#include <QTranslator>
#include <QtTest>

#include <cmath>
#include <memory>

using namespace levyc;

Q_DECLARE_METATYPE(levyc::WorldWindow)

namespace {

// The Draw's view, as the window shows it before any zoom.
constexpr WorldWindow DrawView{-300, 410, 510, -500};

// The menu opened on the picture as the pointer opens it, and its item of
// this name clicked; false when it is not there or cannot be chosen.
bool ChooseFromMenu(QWidget *picture, const QString &name)
{
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(50, 50), picture->mapToGlobal(QPoint(50, 50)));
    QApplication::sendEvent(picture, &event);
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    if (menu == nullptr) {
        return false;
    }
    const QList<QAction *> actions = menu->actions();
    const auto found =
        std::find_if(actions.begin(), actions.end(), [&name](QAction *action) { return action->objectName() == name; });
    const bool enabled = found != actions.end() && (*found)->isEnabled();
    if (enabled) {
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(*found).center());
    } else {
        menu->close();
    }
    // The offscreen platform leaves no window active once a popup has gone,
    // where a window manager gives the keys back to the window.
    picture->activateWindow();
    return enabled && QTest::qWaitForWindowActive(picture->window());
}

// The numbers of "NAME a,b,c": the values after each name, split at commas.
QList<double> Numbers(const QString &line, const QString &name)
{
    const QRegularExpressionMatch match =
        QRegularExpression(QRegularExpression::escape(name) + QStringLiteral(" ([^ ]+)")).match(line);
    QList<double> numbers;
    for (const QString &part : match.captured(1).split(u',', Qt::SkipEmptyParts)) {
        numbers << part.toDouble();
    }
    return numbers;
}

} // namespace

class TestShareView : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void copyViewGivesBothLines_data();
    void copyViewGivesBothLines();
    void goToViewShowsTheCopiedView_data();
    void goToViewShowsTheCopiedView();
    void copyViewKeepsWhatWasGiven_data();
    void copyViewKeepsWhatWasGiven();
    void goToViewRefusesWhatIsNoView_data();
    void goToViewRefusesWhatIsNoView();
    void aViewOfAnotherShapeIsWidenedToHoldIt_data();
    void aViewOfAnotherShapeIsWidenedToHoldIt();
    void viewsAsTextWaitForTheDraw();
    void aViewsPngNamesItsView_data();
    void aViewsPngNamesItsView();
    void pngTextsSurviveEitherEncoding_data();
    void pngTextsSurviveEitherEncoding();
    void newTextsAreInJapanese_data();
    void newTextsAreInJapanese();

private:
    [[nodiscard]] PictureBox *Picture() const { return form_->findChild<PictureBox *>(QStringLiteral("Picture1")); }
    void Draw() const;
    // Ctrl+G on the picture: the dialog's field, or null when none opens.
    [[nodiscard]] QLineEdit *GoToView() const;
    std::unique_ptr<Form1> form_;
};

void TestShareView::init()
{
    form_ = std::make_unique<Form1>();
    // The screen is compared with the picture alone.
    ShowOverlays(*Picture(), false, false);
    form_->show();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
}

void TestShareView::cleanup()
{
    form_.reset();
}

void TestShareView::Draw() const
{
    QTest::mouseClick(form_->findChild<QWidget *>(QStringLiteral("Command1")), Qt::LeftButton);
    QTest::mouseClick(Picture(), Qt::LeftButton, {}, QPoint(50, 50));
}

QLineEdit *TestShareView::GoToView() const
{
    QTest::keyClick(Picture(), Qt::Key_G, Qt::ControlModifier);
    QLineEdit *field = nullptr;
    // The action is queued: the dialog opens once events are handled.
    const bool opened = QTest::qWaitFor(
        [&] {
            field = form_->findChild<QLineEdit *>(QStringLiteral("ViewText"));
            return field != nullptr && field->isVisible();
        },
        60000);
    return opened ? field : nullptr;
}

void TestShareView::copyViewGivesBothLines_data()
{
    QTest::addColumn<int>("zoomIns");
    QTest::addColumn<int>("rightPans");
    QTest::addColumn<double>("zoom");
    QTest::addColumn<double>("centreX");

    // A pan to the right moves the picture a tenth of the view leftward.
    QTest::newRow("the Draw's view") << 0 << 0 << 1.0 << 105.0;
    QTest::newRow("zoomed in twice") << 2 << 0 << 1.5625 << 105.0;
    QTest::newRow("moved to the right") << 0 << 1 << 1.0 << 186.0;
    QTest::newRow("a hundred thousand times") << 52 << 0 << std::pow(1.25, 52) << 105.0;
}

void TestShareView::copyViewGivesBothLines()
{
    QFETCH(int, zoomIns);
    QFETCH(int, rightPans);
    QFETCH(double, zoom);
    QFETCH(double, centreX);
    PictureBox *picture = Picture();
    Draw();
    for (int i = 0; i < zoomIns; ++i) {
        QTest::keyClick(picture, Qt::Key_Plus);
    }
    for (int i = 0; i < rightPans; ++i) {
        QTest::keyClick(picture, Qt::Key_Right);
    }
    QGuiApplication::clipboard()->clear();
    QVERIFY(ChooseFromMenu(picture, QStringLiteral("CopyView")));
    QString text;
    TRY_VERIFY(!(text = QGuiApplication::clipboard()->text()).isEmpty());

    const QStringList lines = text.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QCOMPARE(picture->ImageSize(), QSize(573, 413));
    QVERIFY(lines[0].startsWith(QStringLiteral("--window ")));
    QVERIFY(lines[0].endsWith(QStringLiteral(" --size 573x413")));
    QVERIFY(lines[1].startsWith(QStringLiteral("--centre ")));
    QVERIFY(lines[1].endsWith(QStringLiteral(" --size 573x413")));
    // The corners as they are, to the last bit.
    const QList<double> corners = Numbers(lines[0], QStringLiteral("--window"));
    const WorldWindow view = picture->View();
    QCOMPARE(corners, QList<double>({view.Left, view.Top, view.Right, view.Bottom}));
    const QList<double> centre = Numbers(lines[1], QStringLiteral("--centre"));
    const QList<double> zoomGiven = Numbers(lines[1], QStringLiteral("--zoom"));
    QCOMPARE(centre.size(), 2);
    QCOMPARE(zoomGiven.size(), 1);
    // Zooming keeps the centre to a small part of a pixel.
    const double pixel = 810 / 573.0 / zoom;
    QVERIFY2(std::abs(centre[0] - centreX) < 1e-6 * pixel, qPrintable(lines[1]));
    QVERIFY2(std::abs(centre[1] - -45.0) < 1e-6 * pixel, qPrintable(lines[1]));
    QVERIFY2(std::abs(zoomGiven[0] / zoom - 1) < 1e-12, qPrintable(lines[1]));
}

void TestShareView::goToViewShowsTheCopiedView_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<bool>("pasted");

    QTest::newRow("the --window line, typed") << 0 << false;
    QTest::newRow("the --centre line, typed") << 1 << false;
    QTest::newRow("both lines, pasted") << -1 << true;
}

void TestShareView::goToViewShowsTheCopiedView()
{
    QFETCH(int, line);
    QFETCH(bool, pasted);
    PictureBox *picture = Picture();
    Draw();
    for (int i = 0; i < 7; ++i) {
        QTest::keyClick(picture, Qt::Key_Plus);
    }
    QTest::keyClick(picture, Qt::Key_Up);
    const WorldWindow copied = picture->View();
    QGuiApplication::clipboard()->clear();
    QVERIFY(ChooseFromMenu(picture, QStringLiteral("CopyView")));
    QString text;
    TRY_VERIFY(!(text = QGuiApplication::clipboard()->text()).isEmpty());
    QTest::keyClick(picture, Qt::Key_Home);
    TRY_COMPARE(picture->View(), DrawView); // Reset View runs queued

    QLineEdit *field = GoToView();
    QVERIFY(field != nullptr);
    if (pasted) {
        field->selectAll();
        QTest::keySequence(field, QKeySequence::Paste);
    } else {
        field->clear();
        QTest::keyClicks(field, text.split(u'\n').at(line));
    }
    QTest::keyClick(field, Qt::Key_Return);
    TRY_VERIFY(form_->findChild<QLineEdit *>(QStringLiteral("ViewText")) == nullptr);

    // The --window line to the last bit; the centre line to far less than a pixel.
    if (line == 1) {
        const WorldWindow shown = picture->View();
        // A millionth of a pixel: a 573rd of the width, a 413th of the height.
        const double across = std::abs(copied.Width()) / 573e6;
        const double down = std::abs(copied.Height()) / 413e6;
        QVERIFY(std::abs(shown.Left - copied.Left) < across && std::abs(shown.Right - copied.Right) < across);
        QVERIFY(std::abs(shown.Top - copied.Top) < down && std::abs(shown.Bottom - copied.Bottom) < down);
    } else {
        QCOMPARE(picture->View(), copied);
    }
    TRY_COMPARE(OnScreen(*picture), picture->Picture());
    // On the history, after Home's view.
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    QTest::keyClick(picture, Qt::Key_Left, Qt::AltModifier);
    TRY_COMPARE(picture->View(), DrawView);
}

void TestShareView::copyViewKeepsWhatWasGiven_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("copied");
    QTest::newRow("a centre and zoom, as given")
        << "--centre 300,-400 --zoom 1e9"
        << "--window 299.999999595,-399.999999545,300.000000405,-400.000000455 --size 573x413\n"
           "--centre 300,-400 --zoom 1e9 --size 573x413\n";
    QTest::newRow("corners reversed both ways: turned in both lines") << "--window 510,-500,-300,410"
                                                                      << "--window 510,-500,-300,410 --size 573x413\n"
                                                                         "--centre 105,-45 --zoom -1 --size 573x413\n";
    QTest::newRow("a zoom below 0: turned in both lines") << "--centre 105,-45 --zoom -2"
                                                          << "--window 307.5,-272.5,-97.5,182.5 --size 573x413\n"
                                                             "--centre 105,-45 --zoom -2 --size 573x413\n";
}

// Go to View, then Copy View from the menu: what was typed comes back.
void TestShareView::copyViewKeepsWhatWasGiven()
{
    QFETCH(QString, typed);
    QFETCH(QString, copied);
    PictureBox *picture = Picture();
    Draw();
    QLineEdit *field = GoToView();
    QVERIFY(field != nullptr);
    field->clear();
    QTest::keyClicks(field, typed);
    QTest::keyClick(field, Qt::Key_Return);
    TRY_VERIFY(form_->findChild<QLineEdit *>(QStringLiteral("ViewText")) == nullptr);
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    QGuiApplication::clipboard()->clear();
    QVERIFY(ChooseFromMenu(picture, QStringLiteral("CopyView")));
    TRY_COMPARE(QGuiApplication::clipboard()->text(), copied);
}

namespace {

// Whether a label, laid out at its width, ends a line inside a word at a hyphen.
bool BreaksAtAHyphen(const QLabel &label)
{
    const QString text = label.text();
    QTextLayout layout(text, label.font());
    layout.beginLayout();
    bool broken = false;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(label.contentsRect().width());
        const qsizetype end = line.textStart() + line.textLength();
        broken = broken || (end < text.size() && text.at(end - 1) == u'-');
    }
    layout.endLayout();
    return broken;
}

} // namespace

void TestShareView::goToViewRefusesWhatIsNoView_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("reason");

    QTest::newRow("nothing") << QString() << QStringLiteral("expected --window");
    QTest::newRow("words") << QStringLiteral("over there") << QStringLiteral("'over'");
    QTest::newRow("three corners") << QStringLiteral("--window 1,2,3") << QStringLiteral("'1,2,3'");
    QTest::newRow("a centre without a zoom") << QStringLiteral("--centre 1,2") << QStringLiteral("needs --zoom");
    QTest::newRow("a zoom of 0") << QStringLiteral("--centre 1,2 --zoom 0") << QStringLiteral("'0'");
    QTest::newRow("narrower than can be drawn")
        << QStringLiteral("--window 0,1e-12,1e-12,0") << QStringLiteral("can be drawn");
    QTest::newRow("too wide once given the picture's shape")
        << QStringLiteral("--window 0,1,9e6,0") << QStringLiteral("too wide");
}

void TestShareView::goToViewRefusesWhatIsNoView()
{
    QFETCH(QString, text);
    QFETCH(QString, reason);
    PictureBox *picture = Picture();
    Draw();
    QTest::keyClick(picture, Qt::Key_Plus);
    const WorldWindow before = picture->View();

    QLineEdit *field = GoToView();
    QVERIFY(field != nullptr);
    field->clear();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
    auto *error = form_->findChild<QLabel *>(QStringLiteral("ViewError"));
    QVERIFY(field->isVisible());
    QVERIFY(error != nullptr && error->isVisible());
    QVERIFY2(error->text().remove(QChar(0x2060)).contains(reason), qPrintable(error->text()));
    QCOMPARE(picture->View(), before);
    // The prompt and the reason whole, every line shown, no word broken at its hyphens.
    for (const auto *label : {form_->findChild<QLabel *>(QStringLiteral("ViewPrompt")), std::as_const(error)}) {
        TRY_VERIFY(label->height() >= label->heightForWidth(label->width()));
        QVERIFY2(!BreaksAtAHyphen(*label), qPrintable(label->text()));
    }

    QTest::keyClick(field, Qt::Key_Escape);
    TRY_VERIFY(form_->findChild<QLineEdit *>(QStringLiteral("ViewText")) == nullptr);
    QCOMPARE(picture->View(), before);
}

void TestShareView::aViewOfAnotherShapeIsWidenedToHoldIt_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<WorldWindow>("held");

    QTest::newRow("a square") << QStringLiteral("--window 0,100,100,0") << WorldWindow{0, 100, 100, 0};
    QTest::newRow("upside down") << QStringLiteral("--window 0,0,100,100") << WorldWindow{0, 100, 100, 0};
    QTest::newRow("a wide strip") << QStringLiteral("--window -50,10,150,0") << WorldWindow{-50, 10, 150, 0};
    QTest::newRow("a wide strip, spaces after its commas")
        << QStringLiteral("--window -50, 10, 150, 0") << WorldWindow{-50, 10, 150, 0};
    QTest::newRow("a tall strip") << QStringLiteral("--window 0,300,10,-100") << WorldWindow{0, 300, 10, -100};
    QTest::newRow("the Draw's view at another size")
        << QStringLiteral("--centre 105,-45 --zoom 1 --size 1146x413") << WorldWindow{-705, 410, 915, -500};
}

void TestShareView::aViewOfAnotherShapeIsWidenedToHoldIt()
{
    QFETCH(QString, text);
    QFETCH(WorldWindow, held);
    PictureBox *picture = Picture();
    Draw();
    QLineEdit *field = GoToView();
    QVERIFY(field != nullptr);
    field->clear();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
    TRY_VERIFY(form_->findChild<QLineEdit *>(QStringLiteral("ViewText")) == nullptr);

    const WorldWindow view = picture->View();
    const double slack = 1e-9 * std::max(std::abs(view.Width()), std::abs(view.Height()));
    // The Draw's shape, its directions, and the same centre.
    QVERIFY(std::abs(view.Width() / view.Height() - DrawView.Width() / DrawView.Height()) < 1e-9);
    QVERIFY(view.Width() > 0 && view.Height() < 0);
    QVERIFY(std::abs((view.Left + view.Right) - (held.Left + held.Right)) < slack);
    QVERIFY(std::abs((view.Top + view.Bottom) - (held.Top + held.Bottom)) < slack);
    // All of it, and no more: one pair of sides touches.
    QVERIFY(view.Left <= held.Left + slack && view.Right >= held.Right - slack);
    QVERIFY(view.Top >= held.Top - slack && view.Bottom <= held.Bottom + slack);
    QVERIFY(std::abs(view.Width() - held.Width()) < slack || std::abs(view.Height() - held.Height()) < slack);
}

void TestShareView::viewsAsTextWaitForTheDraw()
{
    PictureBox *picture = Picture();
    const auto neither = [picture] {
        return !ChooseFromMenu(picture, QStringLiteral("CopyView")) &&
               !ChooseFromMenu(picture, QStringLiteral("GoToView"));
    };
    QVERIFY(neither()); // before any Draw
    bool during = false;
    bool dialogDuring = true;
    QTimer::singleShot(0, picture, [&] {
        during = neither();
        picture->setFocus();
        QTest::keyClick(picture, Qt::Key_G, Qt::ControlModifier);
        QCoreApplication::processEvents();
        dialogDuring = form_->findChild<QLineEdit *>(QStringLiteral("ViewText")) != nullptr;
    });
    QTest::mouseClick(form_->findChild<QWidget *>(QStringLiteral("Command1")), Qt::LeftButton);
    QVERIFY(during);
    QVERIFY(!dialogDuring);
    picture->setFocus();
    QTest::keyClick(picture, Qt::Key_G, Qt::ControlModifier);
    TRY_VERIFY(form_->findChild<QLineEdit *>(QStringLiteral("ViewText")) != nullptr);
}

void TestShareView::aViewsPngNamesItsView_data()
{
    QTest::addColumn<bool>("drawn");
    QTest::addColumn<bool>("saved");

    QTest::newRow("copied") << true << false;
    QTest::newRow("saved") << true << true;
    QTest::newRow("copied before any Draw") << false << false;
}

void TestShareView::aViewsPngNamesItsView()
{
    QFETCH(bool, drawn);
    QFETCH(bool, saved);
    PictureBox *picture = Picture();
    if (drawn) {
        Draw();
        QTest::keyClick(picture, Qt::Key_Plus);
        QTest::keyClick(picture, Qt::Key_Down);
    } else {
        QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(50, 50));
    }
    QByteArray png;
    if (saved) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("view.png"));
        QSignalSpy done(form_.get(), &Form1::Saved);
        form_->SavePictureTo(path);
        QVERIFY(done.wait(600000));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        png = file.readAll();
    } else {
        QGuiApplication::clipboard()->clear();
        QTest::keySequence(picture, QKeySequence::Copy);
        const QMimeData *data = nullptr;
        TRY_VERIFY((data = QGuiApplication::clipboard()->mimeData()) != nullptr &&
                   data->hasFormat(QStringLiteral("image/png")));
        png = data->data(QStringLiteral("image/png"));
    }
    const QString text = QImage::fromData(png, "PNG").text(QString::fromLatin1(ViewTextKey));
    if (!drawn) {
        QCOMPARE(text, QString()); // not a view yet: a picture in the making
        return;
    }
    const WorldWindow view = picture->View();
    QCOMPARE(Numbers(text, QStringLiteral("--window")), QList<double>({view.Left, view.Top, view.Right, view.Bottom}));
    QVERIFY(text.endsWith(QStringLiteral(" --size 573x413")));
}

void TestShareView::pngTextsSurviveEitherEncoding_data()
{
    QTest::addColumn<int>("colours");

    QTest::newRow("with a palette") << 100;
    QTest::newRow("in full colour") << 4096;
}

void TestShareView::pngTextsSurviveEitherEncoding()
{
    QFETCH(int, colours);
    QImage image(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const int colour = (y * 64 + x) % colours;
            image.setPixel(x, y, qRgb(colour % 256, colour / 256 * 16, 7));
        }
    }
    const QString line = QStringLiteral("--window -0.1,0.25,3e-5,-1.0000000000000002 --size 64x64");
    image.setText(QString::fromLatin1(ViewTextKey), line);
    QByteArray png;
    QString error;
    QVERIFY2(EncodePng(image, &png, &error), qPrintable(error));
    const QImage read = QImage::fromData(png, "PNG");
    QCOMPARE(read.convertToFormat(QImage::Format_RGB32), image);
    QCOMPARE(read.text(QString::fromLatin1(ViewTextKey)), line);
}

void TestShareView::newTextsAreInJapanese_data()
{
    QTest::addColumn<QString>("english");

    QTest::newRow("Copy View") << QStringLiteral("CopyView");
    QTest::newRow("Go to View…") << QStringLiteral("GoToView");
    QTest::newRow("the dialog's title") << QStringLiteral("Go to View");
    QTest::newRow("why a text is no view") << QStringLiteral("--window 1,2,3");
    QTest::newRow("why a view is too wide") << QStringLiteral("--window 0,1,9e6,0");
}

void TestShareView::newTextsAreInJapanese()
{
    QFETCH(QString, english); // or the menu item's name
    const std::unique_ptr<QTranslator> translator(
        InstallTranslations(*QCoreApplication::instance(), QLocale(QLocale::Japanese)));
    QVERIFY(translator != nullptr);
    PictureBox *picture = Picture();
    Draw();
    QString shown;
    if (english.startsWith(u"--")) {
        QLineEdit *field = GoToView();
        QVERIFY(field != nullptr);
        field->clear();
        QTest::keyClicks(field, english);
        QTest::keyClick(field, Qt::Key_Return);
        shown = form_->findChild<QLabel *>(QStringLiteral("ViewError"))->text();
    } else if (english == u"Go to View") {
        QVERIFY(GoToView() != nullptr);
        shown = form_->findChild<QDialog *>(QStringLiteral("GoToView"))->windowTitle();
    } else {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(50, 50), picture->mapToGlobal(QPoint(50, 50)));
        QApplication::sendEvent(picture, &event);
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu != nullptr);
        for (QAction *action : menu->actions()) {
            if (action->objectName() == english) {
                shown = action->text();
            }
        }
        menu->close();
    }
    QVERIFY2(std::any_of(shown.begin(), shown.end(), [](QChar c) { return c.unicode() >= 0x3000; }), qPrintable(shown));
}

QTEST_MAIN(TestShareView)
#include "tst_shareview.moc"
