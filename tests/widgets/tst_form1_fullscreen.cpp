#include "Eventually.h"
#include "FormTest.h"
#include "PictureOnScreen.h"

#include <QtTest>

using namespace levyc;

// Full screen and back.
class TestFormFullScreen : public FormTest
{
    Q_OBJECT

private slots:
    void fullScreenThereAndBack_data();
    void fullScreenThereAndBack();
};

void TestFormFullScreen::fullScreenThereAndBack_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("back");
    QTest::addColumn<int>("zoomSteps");
    QTest::newRow("F11 there and back at the Draw's view") << "Picture1" << int(Qt::Key_F11) << 0;
    QTest::newRow("F11 from Draw, zoomed, Esc back") << "Command1" << int(Qt::Key_Escape) << 3;
}

void TestFormFullScreen::fullScreenThereAndBack()
{
    QFETCH(QString, focus);
    QFETCH(int, back);
    QFETCH(int, zoomSteps);
    auto *picture = Picture();
    QTest::mouseClick(Child("Command1"), Qt::LeftButton);
    QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(100, 100));
    // The screen is then the picture alone.
    QTest::keyClick(picture, Qt::Key_I);
    QTest::keyClick(picture, Qt::Key_O);
    for (int step = 0; step < zoomSteps; ++step) {
        QTest::keyClick(picture, Qt::Key_Plus);
    }
    TRY_VERIFY(picture->PictureReady());
    const QSize windowSize = Form().size();
    const QSize small = picture->ImageSize();
    const WorldWindow before = picture->View();
    QMap<QObject *, QRect> layout; // of the controls shown
    for (QWidget *child : Form().findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (child->isVisible()) {
            layout[child] = child->geometry();
        }
    }
    Child(focus.toLatin1().constData())->setFocus();
    TRY_COMPARE(QApplication::focusWidget(), Child(focus.toLatin1().constData()));
    QTest::keyClick(Form().windowHandle(), Qt::Key_F11);
    TRY_COMPARE(Form().size(), Form().screen()->geometry().size());
    TRY_COMPARE(picture->geometry(), Form().rect());
    for (QWidget *child : Form().findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
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
    TRY_VERIFY(picture->PictureReady());

    QTest::keyClick(Form().windowHandle(), static_cast<Qt::Key>(back));
    TRY_COMPARE(Form().size(), windowSize);
    for (auto placed = layout.cbegin(); placed != layout.cend(); ++placed) {
        auto *child = static_cast<QWidget *>(placed.key());
        QCOMPARE(child->geometry(), placed.value());
        QVERIFY(child->isVisible());
    }
    QCOMPARE(picture->View(), before);
    QCOMPARE(QApplication::focusWidget(), Child(focus.toLatin1().constData()));
    TRY_COMPARE(OnScreen(*picture), picture->Picture());
}

QTEST_MAIN(TestFormFullScreen)
#include "tst_form1_fullscreen.moc"
