#include "DoEvents.h"
#include "Passes.h"
#include "PictureBox.h"
#include "PictureSize.h"
#include "Plotter.h"
#include "ViewNavigation.h"
#include "ViewPoints.h"
#include "ViewRender.h"

#include <QBackingStore>
#include <QtTest>

using namespace levyc;

namespace {

// Timers fire on whole milliseconds.
constexpr qint64 AllowedEarlyNs = 1'000'000;

// Records the paint events a widget receives, and the time between them.
class PaintSpy : public QObject
{
public:
    explicit PaintSpy(QWidget *widget) { widget->installEventFilter(this); }
    QList<QRect> rects;
    QList<qint64> gapsNs;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            rects << static_cast<QPaintEvent *>(event)->rect();
            if (clock_.isValid()) {
                gapsNs << clock_.nsecsElapsed();
            }
            clock_.start();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QElapsedTimer clock_;
};

// The widget's inner area as the window system has it, in device pixels: the
// top-level window's backing store, a plain image on the offscreen platform.
QImage OnScreen(PictureBox &box)
{
    QPaintDevice *device = box.backingStore()->paintDevice();
    if (device->devType() != QInternal::Image) {
        return {};
    }
    const qreal ratio = box.devicePixelRatioF();
    const QPoint inner = box.mapTo(box.window(), box.contentsRect().topLeft());
    const QRect shown(qRound(inner.x() * ratio), qRound(inner.y() * ratio), box.Picture().width(),
                      box.Picture().height());
    QImage image = static_cast<QImage *>(device)->copy(shown).convertToFormat(QImage::Format_RGB32);
    image.setDevicePixelRatio(1.0);
    return image;
}

QImage ImageAsShown(const PictureBox &box)
{
    QImage image = box.Picture();
    image.setDevicePixelRatio(1.0);
    return image;
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
    void refreshPaintsTheChangedBoxWhenAFrameIsDue();
    void handledEventsShowWhatWasDrawn();
    void changesWithinAFrameShowAtTheNext_data();
    void changesWithinAFrameShowAtTheNext();
    void aDrawingAsksForNoMoreFramesThanTheDisplayShows();
    void screenShowsTheImageAfterHideAndShow();
    void exploringMovesTheView_data();
    void exploringMovesTheView();
    void nothingMovesUntilExploring();

private:
    void WaitOneFrame() const { QTest::qWait(static_cast<int>(box_->FrameIntervalNs() / 1'000'000) + 2); }
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
    // Run again with QT_SCALE_FACTOR set for other device pixel ratios.
    const qreal ratio = box_->devicePixelRatioF();
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) {
        QVERIFY(qAbs(ratio - qEnvironmentVariable("QT_SCALE_FACTOR").toDouble()) < 1e-3);
    }
    QCOMPARE(box_->contentsRect(), QRect(QPoint(2, 2), PictureSize));
    // Edges rounded to device pixels, as the window system clips the widget.
    const QSize device(qRound(575 * ratio) - qRound(2 * ratio), qRound(415 * ratio) - qRound(2 * ratio));
    QCOMPARE(box_->Picture().size(), device);
    QCOMPARE(OnScreen(*box_).size(), box_->Picture().size());
}

void TestPictureBox::startsInTheButtonFaceColour()
{
    const QRgb face = box_->palette().color(QPalette::Button).rgb();
    const QImage image = OnScreen(*box_);
    QCOMPARE(image.pixel(0, 0), face);
    QCOMPARE(image.pixel(image.width() - 1, image.height() - 1), face);
    QCOMPARE(box_->Picture().pixel(10, 10), face);
}

void TestPictureBox::refreshPaintsTheChangedBoxWhenAFrameIsDue()
{
    SetWorldWindow(*box_, 0, 0, PictureSize.width(), PictureSize.height());
    PaintSpy spy(box_.get());
    box_->Line(100.5F, 50.5F, 120.5F, 60.5F, RGB(255, 0, 0));
    box_->Line(110.5F, 40.5F, 110.5F, 40.5F, RGB(255, 0, 0));
    QVERIFY(spy.rects.isEmpty());

    WaitOneFrame();
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
    SetWorldWindow(*box_, 0, 0, PictureSize.width(), PictureSize.height());
    PaintSpy spy(box_.get());
    box_->Line(300.5F, 200.5F, 310.5F, 200.5F, RGB(0, 0, 255));
    DoEvents();
    QTRY_VERIFY(!spy.rects.isEmpty());
    QVERIFY(spy.rects.back().contains(QRect(QPoint(302, 202), QPoint(312, 202))));
    const qreal ratio = box_->devicePixelRatioF();
    QCOMPARE(OnScreen(*box_).pixel(qFloor(305.5 * ratio), qFloor(200.5 * ratio)), qRgb(0, 0, 255));
}

void TestPictureBox::changesWithinAFrameShowAtTheNext_data()
{
    QTest::addColumn<int>("second");
    QTest::newRow("Refresh") << 0;
    QTest::newRow("Cls") << 1;
    QTest::newRow("BackColor") << 2;
}

void TestPictureBox::changesWithinAFrameShowAtTheNext()
{
    QFETCH(int, second);
    SetWorldWindow(*box_, 0, 0, PictureSize.width(), PictureSize.height());
    PaintSpy spy(box_.get());
    WaitOneFrame();
    box_->Line(10.5F, 10.5F, 20.5F, 10.5F, RGB(0, 0, 255));
    box_->Refresh();
    QCOMPARE(spy.rects.size(), 1);

    // Too soon for another frame: nothing painted until the next one is due,
    // and then without any further call.
    QRgb expected = qRgb(255, 255, 0);
    if (second == 0) {
        box_->Line(15.5F, 10.5F, 15.5F, 10.5F, RGB(255, 255, 0));
        box_->Refresh();
    } else if (second == 1) {
        expected = box_->palette().color(QPalette::Button).rgb();
        box_->Cls();
    } else {
        box_->SetBackColor(RGB(255, 255, 0));
    }
    QCOMPARE(spy.rects.size(), 1);
    const qreal ratio = box_->devicePixelRatioF();
    const QPoint at(qFloor(15.5 * ratio), qFloor(10.5 * ratio));
    QTRY_COMPARE(OnScreen(*box_).pixel(at), expected);
    QCOMPARE(spy.rects.size(), 2);
    QVERIFY(spy.gapsNs.back() >= box_->FrameIntervalNs() - AllowedEarlyNs);
}

void TestPictureBox::aDrawingAsksForNoMoreFramesThanTheDisplayShows()
{
    SetWorldWindow(*box_, PictureWorld);
    box_->SetBackColor(RGB(0, 0, 0));
    Plotter<PictureBox> plotter(*box_);
    plotter.State().SegmentLimit = 1;
    PaintSpy spy(box_.get());
    QElapsedTimer elapsed;
    elapsed.start();
    // Curves as a drawing has them: 65 refreshes a curve, events between curves.
    for (int i = 0; i < 30; ++i) {
        DoEvents();
        plotter.State().PenColor = RGB(255, 8 * i, 0);
        plotter.SetPen(100, -200 + i);
        plotter.CurveSegment(200, 0);
    }
    const qint64 drawingNs = elapsed.nsecsElapsed();
    QTRY_COMPARE(OnScreen(*box_), ImageAsShown(*box_));

    QVERIFY(!spy.rects.isEmpty());
    const qint64 interval = box_->FrameIntervalNs();
    QVERIFY2(spy.rects.size() <= drawingNs / interval + 2,
             qPrintable(QStringLiteral("%1 frames in %2 ms").arg(spy.rects.size()).arg(drawingNs / 1e6)));
    for (const qint64 gap : spy.gapsNs) {
        QVERIFY2(gap >= interval - AllowedEarlyNs, qPrintable(QStringLiteral("frames %1 ns apart").arg(gap)));
    }
}

void TestPictureBox::screenShowsTheImageAfterHideAndShow()
{
    SetWorldWindow(*box_, PictureWorld);
    box_->SetBackColor(RGB(0, 0, 0));
    Plotter<PictureBox> plotter(*box_);
    plotter.State().SegmentLimit = 1;
    plotter.State().PenColor = RGB(255, 255, 0);
    plotter.SetPen(100, -200);
    plotter.CurveSegment(200, 0);
    box_->Refresh();
    const QImage before = box_->Picture();

    box_->hide();
    box_->showMinimized();
    box_->showNormal();
    QVERIFY(QTest::qWaitForWindowExposed(box_.get()));
    QCoreApplication::processEvents();
    QCOMPARE(box_->Picture(), before);
    QCOMPARE(OnScreen(*box_), ImageAsShown(*box_));
}

void TestPictureBox::exploringMovesTheView_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QPointF>("at");
    QTest::addColumn<QPointF>("by"); // wheel angle, or drag distance
    QTest::addColumn<double>("zoom");
    QTest::addColumn<QPointF>("shift"); // of the view, in view widths and heights

    const QPointF centre(QRectF(QPoint(2, 2), PictureSize).center());
    QTest::newRow("wheel notch in") << "wheel" << QPointF(100, 80) << QPointF(0, 120) << 1.25 << QPointF();
    QTest::newRow("two notches out") << "wheel" << QPointF(400, 300) << QPointF(0, -240) << 1 / 1.5625 << QPointF();
    QTest::newRow("touchpad part notch") << "wheel" << QPointF(300, 20) << QPointF(0, 30) << std::pow(1.25, 0.25)
                                         << QPointF();
    QTest::newRow("pinch") << "pinch" << QPointF(150, 300) << QPointF() << 1.25 << QPointF();
    QTest::newRow("drag") << "drag" << QPointF(200, 200) << QPointF(57.3, -41.3) << 1.0 << QPointF(-0.1, 0.1);
    QTest::newRow("key +") << "+" << centre << QPointF() << 1.25 << QPointF();
    QTest::newRow("key -") << "-" << centre << QPointF() << 0.8 << QPointF();
    QTest::newRow("key right") << "right" << QPointF() << QPointF() << 1.0 << QPointF(0.1, 0);
    QTest::newRow("key up") << "up" << QPointF() << QPointF() << 1.0 << QPointF(0, -0.1);
    QTest::newRow("home") << "home" << QPointF() << QPointF() << 1.0 << QPointF();
    QTest::newRow("reset view") << "reset" << QPointF() << QPointF() << 1.0 << QPointF();
}

void TestPictureBox::exploringMovesTheView()
{
    QFETCH(QString, action);
    QFETCH(QPointF, at);
    QFETCH(QPointF, by);
    QFETCH(double, zoom);
    QFETCH(QPointF, shift);
    const std::vector<CurveRecord> curves = PictureCurves();
    box_->Explore(curves);
    PictureBox &box = *box_;
    const bool reset = action == u"home" || action == u"reset";
    if (reset) {
        box.SetView(ZoomedAt({100, -100}, 3));
        QTRY_VERIFY(box.ViewShown());
    }
    const WorldWindow before = box.View();
    const QSizeF size(box.Picture().size());
    // Where a widget position falls on the image, to within a device pixel.
    const auto worldAt = [&](const WorldWindow &window, QPointF position) {
        return WorldAt(window, size, (position - QPointF(2, 2)) * box.devicePixelRatioF());
    };
    if (action == u"wheel") {
        QWheelEvent wheel(at, box.mapToGlobal(at), {}, by.toPoint(), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                          false);
        QApplication::sendEvent(&box, &wheel);
    } else if (action == u"pinch") {
        QNativeGestureEvent pinch(Qt::ZoomNativeGesture, QPointingDevice::primaryPointingDevice(), 2, at, at,
                                  box.mapToGlobal(at), 0.25, {});
        QApplication::sendEvent(&box, &pinch);
    } else if (action == u"drag") {
        QTest::mousePress(&box, Qt::LeftButton, {}, at.toPoint());
        QMouseEvent move(QEvent::MouseMove, at + by, box.mapToGlobal(at + by), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(&box, &move);
        QTest::mouseRelease(&box, Qt::LeftButton, {}, (at + by).toPoint());
    } else if (action == u"reset") {
        box.ResetView();
    } else {
        const QHash<QString, Qt::Key> keys{{"+", Qt::Key_Plus},
                                           {"-", Qt::Key_Minus},
                                           {"right", Qt::Key_Right},
                                           {"up", Qt::Key_Up},
                                           {"home", Qt::Key_Home}};
        QTest::keyClick(&box, keys.value(action));
    }
    const WorldWindow after = box.View();
    const double width = before.Right - before.Left;
    const double height = before.Bottom - before.Top;
    if (reset) {
        QCOMPARE(after, PictureWorld);
    } else {
        QVERIFY(qAbs(width / (after.Right - after.Left) - zoom) < 1e-9);
        QVERIFY(qAbs(height / (after.Bottom - after.Top) - zoom) < 1e-9);
        // A pixel's worth each way, for the pointer's place on the image.
        const double tolerance = 1.5 / size.width();
        if (zoom != 1.0) {
            // The point under the pointer stays there.
            const WorldPoint fixed = worldAt(before, at);
            const WorldPoint now = worldAt(after, at);
            QVERIFY(qAbs(fixed.X - now.X) < tolerance * qAbs(width));
            QVERIFY(qAbs(fixed.Y - now.Y) < tolerance * qAbs(height));
        } else {
            QVERIFY(qAbs((after.Left - before.Left) / width - shift.x()) < tolerance);
            QVERIFY(qAbs((after.Top - before.Top) / height - shift.y()) < tolerance);
        }
    }
    // Until the exact picture comes, the last one moved and scaled; then the exact one.
    QTRY_VERIFY(box.ViewShown());
    QCOMPARE(OnScreen(box), RenderView(curves, after, box.Picture().size()).image);
}

void TestPictureBox::nothingMovesUntilExploring()
{
    QTest::keyClick(box_.get(), Qt::Key_Plus);
    QWheelEvent wheel(QPointF(50, 50), box_->mapToGlobal(QPointF(50, 50)), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(box_.get(), &wheel);
    QCOMPARE(box_->View(), PictureWorld);
    box_->Explore(PictureCurves());
    QTest::keyClick(box_.get(), Qt::Key_Plus);
    QVERIFY(box_->View() != PictureWorld);
    // A Draw begins: back to its own view, and the keys do nothing again.
    box_->StopExploring();
    QCOMPARE(box_->View(), PictureWorld);
    QTest::keyClick(box_.get(), Qt::Key_Plus);
    QCOMPARE(box_->View(), PictureWorld);
}

QTEST_MAIN(TestPictureBox)
#include "tst_picturebox.moc"
