#include "PictureBox.h"
#include "Plotter.h"

#include <QtTest>

namespace {

// Records the paint events a widget receives.
class PaintSpy : public QObject
{
public:
    explicit PaintSpy(QWidget *widget) { widget->installEventFilter(this); }
    QList<QRect> rects;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            rects << static_cast<QPaintEvent *>(event)->rect();
        }
        return QObject::eventFilter(watched, event);
    }
};

// The widget's inner area as it would reach the screen.
QImage OnScreen(PictureBox &box)
{
    const QPixmap shot = box.grab(box.contentsRect());
    return shot.toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

class TestPictureBox : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void imageCoversTheInnerAreaInDevicePixels();
    void startsInTheButtonFaceColour();
    void refreshPaintsTheChangedBoxBeforeReturning();
    void handledEventsShowWhatWasDrawn();
    void clsAndBackColorRepaintAtOnce_data();
    void clsAndBackColorRepaintAtOnce();
    void screenShowsTheImageAfterHideAndShow();

private:
    std::unique_ptr<PictureBox> box_;
};

void TestPictureBox::init()
{
    box_ = std::make_unique<PictureBox>();
    box_->resize(577, 417);
    box_->show();
    QVERIFY(QTest::qWaitForWindowExposed(box_.get()));
    box_->Refresh();
}

void TestPictureBox::cleanup()
{
    box_.reset();
}

void TestPictureBox::imageCoversTheInnerAreaInDevicePixels()
{
    // Run a second time with QT_SCALE_FACTOR=2 for a device pixel ratio of 2.
    const qreal ratio = box_->devicePixelRatioF();
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) {
        QCOMPARE(ratio, qEnvironmentVariable("QT_SCALE_FACTOR").toDouble());
    }
    QCOMPARE(box_->contentsRect(), QRect(2, 2, 573, 413));
    QCOMPARE(box_->canvas().Image().size(), QSize(qRound(573 * ratio), qRound(413 * ratio)));
    QCOMPARE(OnScreen(*box_).size(), box_->canvas().Image().size());
}

void TestPictureBox::startsInTheButtonFaceColour()
{
    const QRgb face = box_->palette().color(QPalette::Button).rgb();
    const QImage image = OnScreen(*box_);
    QCOMPARE(image.pixel(0, 0), face);
    QCOMPARE(image.pixel(image.width() - 1, image.height() - 1), face);
    QCOMPARE(box_->canvas().Image().pixel(10, 10), face);
}

void TestPictureBox::refreshPaintsTheChangedBoxBeforeReturning()
{
    Plotter::SetWorldWindow(*box_, 0, 0, 573, 413);
    PaintSpy spy(box_.get());
    box_->Line(100.5F, 50.5F, 120.5F, 60.5F, RGB(255, 0, 0));
    box_->Line(110.5F, 40.5F, 110.5F, 40.5F, RGB(255, 0, 0));
    QVERIFY(spy.rects.isEmpty());

    box_->Refresh();
    const qreal ratio = box_->devicePixelRatioF();
    const QRect drawn = QRect(QPoint(100, 40), QPoint(120, 60)).translated(2, 2);
    QCOMPARE(spy.rects.size(), 1);
    QVERIFY(spy.rects.front().contains(drawn));
    // Only the changed box, give or take a pixel of rounding.
    QVERIFY(spy.rects.front().width() <= drawn.width() + qCeil(ratio));

    box_->Refresh();
    QCOMPARE(spy.rects.size(), 1);
}

void TestPictureBox::handledEventsShowWhatWasDrawn()
{
    Plotter::SetWorldWindow(*box_, 0, 0, 573, 413);
    PaintSpy spy(box_.get());
    box_->Line(300.5F, 200.5F, 310.5F, 200.5F, RGB(0, 0, 255));
    DoEvents();
    QTRY_VERIFY(!spy.rects.isEmpty());
    QVERIFY(spy.rects.back().contains(QRect(QPoint(302, 202), QPoint(312, 202))));
    const qreal ratio = box_->devicePixelRatioF();
    QCOMPARE(OnScreen(*box_).pixel(qFloor(305.5 * ratio), qFloor(200.5 * ratio)), qRgb(0, 0, 255));
}

void TestPictureBox::clsAndBackColorRepaintAtOnce_data()
{
    QTest::addColumn<bool>("setBackColor");
    QTest::newRow("Cls") << false;
    QTest::newRow("BackColor") << true;
}

void TestPictureBox::clsAndBackColorRepaintAtOnce()
{
    QFETCH(bool, setBackColor);
    PaintSpy spy(box_.get());
    if (setBackColor) {
        box_->SetBackColor(RGB(0, 128, 0));
    } else {
        box_->Cls();
    }
    QCOMPARE(spy.rects.size(), 1);
    QCOMPARE(spy.rects.front(), box_->contentsRect());
    const QRgb expected = setBackColor ? qRgb(0, 128, 0) : box_->palette().color(QPalette::Button).rgb();
    const QImage image = OnScreen(*box_);
    QCOMPARE(image.pixel(image.width() / 2, image.height() / 2), expected);
}

void TestPictureBox::screenShowsTheImageAfterHideAndShow()
{
    Plotter::SetWorldWindow(*box_, -300, 410, 510, -500);
    box_->SetBackColor(RGB(0, 0, 0));
    Plotter plotter(*box_);
    plotter.State().SegmentLimit = 1;
    plotter.State().PenColor = RGB(255, 255, 0);
    plotter.SetPen(100, -200);
    plotter.CurveSegment(200, 0);
    box_->Refresh();
    const QImage before = box_->canvas().Image().copy();

    box_->hide();
    box_->showMinimized();
    box_->showNormal();
    QVERIFY(QTest::qWaitForWindowExposed(box_.get()));
    QCoreApplication::processEvents();
    QCOMPARE(box_->canvas().Image(), before);
    QImage shown = OnScreen(*box_);
    shown.setDevicePixelRatio(before.devicePixelRatio());
    QCOMPARE(shown, before);
}

QTEST_MAIN(TestPictureBox)
#include "tst_picturebox.moc"
