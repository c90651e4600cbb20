#include "Eventually.h"
#include "FormTest.h"
#include "PictureOnScreen.h"
#include "program/Translations.h"
#include "video/DiveText.h"

#include <QAccessible>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QTranslator>
#include <QtTest>

#include <memory>
#include <optional>

using namespace levyc;

// The window: its controls, the Draw, the keys, Copy, help and languages.
class TestForm1 : public FormTest
{
    Q_OBJECT

private slots:
    void window();
    void controls_data();
    void controls();
    void controlsStayWhenTheWindowIsResized();
    void fieldsAreDrawnOverTheirLabels();
    void focusStartsOnThePictureAndFollowsTheTabOrder();
    void keyboardPresses_data();
    void keyboardPresses();
    void clickingDrawDrawsThePicture();
    void aDrawShowsItsOwnPictureWhereverTheViewWas();
    void closingDuringADrawingEndsItFirst();
    void copyPutsThePictureOnTheClipboard_data();
    void copyPutsThePictureOnTheClipboard();
    void exploringKeysWorkFromAnywhere_data();
    void exploringKeysWorkFromAnywhere();
    void helpListsTheKeys_data();
    void helpListsTheKeys();
    void menuDialogsOpenOnceTheMenuIsGone_data();
    void menuDialogsOpenOnceTheMenuIsGone();
    void windowAndPictureHaveTheirRoles();
    void controlsExplainThemselves_data();
    void controlsExplainThemselves();
    void qtsOwnTextsFollowTheLocale();
};

void TestForm1::window()
{
    QCOMPARE(Form().windowTitle(), QStringLiteral("Form1"));
    QCOMPARE(Form().size(), QSize(799, 460));
    const Qt::WindowFlags flags = Form().windowFlags();
    QVERIFY(!flags.testFlag(Qt::MSWindowsFixedSizeDialogHint));
    QCOMPARE(Form().minimumSize(), QSize(0, 0));
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
    const QList<QWidget *> children = Form().findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget *child : children) {
        before << child->geometry();
    }
    for (const QSize size : {QSize(1200, 800), QSize(300, 200), QSize(50, 50), QSize(799, 460)}) {
        Form().resize(size);
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
    QWidget *atFirst = Form().childAt(680, 50);
    QVERIFY(atFirst == Child("Text1") || Child("Text1")->isAncestorOf(atFirst));
    QWidget *atSecond = Form().childAt(680, 82);
    QVERIFY(atSecond == Child("Text2") || Child("Text2")->isAncestorOf(atSecond));
    QCOMPARE(Form().childAt(679, 50), Child("Label1"));
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

    auto *picture = Picture();
    QWidget *target = Child(focus.toLatin1().constData());
    target->setFocus();
    TRY_COMPARE(QApplication::focusWidget(), target);
    QTest::keyClick(target, static_cast<Qt::Key>(key));
    // A complete drawing ends with the white curve.
    QCOMPARE(CountPixels(picture->Picture(), qRgb(255, 255, 255)) > 1000, draws);

    // Pressed again at a drawing's first pass: a stop leaves no white curve.
    QTimer::singleShot(0, target, [target, key] {
        target->setFocus();
        QTest::keyClick(target, static_cast<Qt::Key>(key));
    });
    QTest::mouseClick(Child("Command1"), Qt::LeftButton);
    QVERIFY(!Form().Drawing());
    QCOMPARE(CountPixels(picture->Picture(), qRgb(255, 255, 255)) == 0, stops);
}

void TestForm1::clickingDrawDrawsThePicture()
{
    auto *picture = Picture();
    QTest::mouseClick(Child("Command1"), Qt::LeftButton);
    const QImage image = picture->Picture();
    const int pixels = image.width() * image.height();
    QVERIFY(CountPixels(image, qRgb(0, 0, 0)) > pixels / 2);
    QVERIFY(CountPixels(image, qRgb(255, 255, 255)) > 1000);
    QVERIFY(CountPixels(image, qRgb(0, 0, 255)) > 1000);
    QVERIFY(!Form().Drawing());
}

void TestForm1::aDrawShowsItsOwnPictureWhereverTheViewWas()
{
    auto *picture = Picture();
    QTest::mouseClick(Child("Command1"), Qt::LeftButton);
    const QImage drawn = picture->Picture();
    // The screen is compared with the picture alone: no overlay over it.
    QTest::keyClick(picture, Qt::Key_I);
    QVERIFY(!picture->OverlayShown());
    QTest::keyClick(picture, Qt::Key_Plus);
    QTest::keyClick(picture, Qt::Key_Left);
    const QImage moved = picture->Picture();
    TRY_COMPARE(OnScreen(*picture), moved);
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
    TRY_COMPARE(OnScreen(*picture), drawn);
    QCOMPARE(picture->Picture(), drawn);
}

void TestForm1::closingDuringADrawingEndsItFirst()
{
    auto *picture = Picture();
    // Handled at the drawing's first pass, once the picture is cleared: the
    // picture is cleared again, to a colour no curve has, as the window closes.
    QTimer::singleShot(0, &Form(), [this, picture] {
        picture->SetBackColor(RGB(1, 2, 3));
        Form().close();
    });
    QTest::mouseClick(Child("Command1"), Qt::LeftButton);

    QVERIFY(!Form().Drawing());
    TRY_VERIFY(!Form().isVisible());
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
    auto *picture = Picture();
    QTest::mouseClick(Child("Command1"), Qt::LeftButton);
    QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(100, 100));
    QCOMPARE(QApplication::focusWidget(), picture);
    QGuiApplication::clipboard()->clear();
    if (zoomed) {
        picture->SetView({3.75, 68.75, 206.25, -158.75});
    }
    QTest::keySequence(picture, QKeySequence::Copy);

    const QMimeData *data = nullptr;
    TRY_VERIFY((data = QGuiApplication::clipboard()->mimeData()) != nullptr &&
               data->hasFormat(QStringLiteral("image/png")));
    TRY_VERIFY(picture->PictureReady());
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
    auto *picture = Picture();
    // Before any Draw the keys do nothing.
    QWidget *target = Child(focus.toLatin1().constData());
    target->setFocus();
    TRY_COMPARE(QApplication::focusWidget(), target);
    QTest::keyClick(target, Qt::Key_Plus);
    QCOMPARE(picture->View(), PictureWorld);

    QTest::mouseClick(Child("Command1"), Qt::LeftButton);
    QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::keyClick(picture, Qt::Key_Plus);
    target->setFocus();
    TRY_COMPARE(QApplication::focusWidget(), target);
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
    auto *picture = Picture();
    QVERIFY2(picture->toolTip().contains(pressDraw), qPrintable(picture->toolTip()));
    QVERIFY(!picture->toolTip().contains(QStringLiteral("Alt+")));
    QTest::mouseClick(Child("Command1"), Qt::LeftButton);
    // Once a Draw has ended, a tip of one line that shows whenever the
    // pointer rests, pointing to F1.
    const QString tip = picture->toolTip();
    QVERIFY2(!tip.contains(u'\n') && tip.contains(QStringLiteral("F1")), qPrintable(tip));
    QVERIFY(!tip.contains(pressDraw.mid(0, 5)) || japanese);
    // F1 from the Draw button lists every exploring key.
    Child("Command1")->setFocus();
    QTest::keyClick(Child("Command1"), Qt::Key_F1);
    QMessageBox *keys = nullptr;
    TRY_VERIFY((keys = Form().findChild<QMessageBox *>(QStringLiteral("KeysHelp"))) != nullptr);
    for (const char *key :
         {"+", "-", "Home", "Backspace", "Alt+Left", "Alt+Right", "I:", "O:", "P:", "Ctrl+G", "F11", "F1"}) {
        QVERIFY2(keys->text().contains(QLatin1String(key)), key);
    }
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
    TRY_VERIFY(Form().findChild<QMessageBox *>(QStringLiteral("KeysHelp")) != nullptr);
    // The picture's description says how deep the view is and where.
    QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::keyClick(picture, Qt::Key_Plus);
    const QString description = picture->accessibleDescription();
    QVERIFY2(description.contains(QStringLiteral("×1.25")) && description.contains(QStringLiteral("105, -45")),
             qPrintable(description));
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
    TRY_VERIFY(menuGone.has_value());
    QVERIFY(*menuGone);
}

void TestForm1::windowAndPictureHaveTheirRoles()
{
    QCOMPARE(QAccessible::queryAccessibleInterface(&Form())->role(), QAccessible::Window);
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
    // Texts made below the window follow the language too.
    QCOMPARE(DiveText::Duration(200), japanese ? QStringLiteral("3 分 20 秒") : QStringLiteral("3 min 20 s"));
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
