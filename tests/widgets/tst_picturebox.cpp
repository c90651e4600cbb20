#include "Eventually.h"
#include "PictureOnScreen.h"
#include "drawing/DoEvents.h"
#include "drawing/Passes.h"
#include "drawing/PictureSize.h"
#include "drawing/Plotter.h"
#include "engine/FramePacer.h"
#include "views/ViewRender.h"
#include "widgets/PictureBox.h"
#include "world/PixelToWorld.h"

#include <QPushButton>
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

QImage ImageAsShown(const PictureBox &box)
{
    QImage image = box.Picture();
    image.setDevicePixelRatio(1.0);
    return image;
}

// The curves drawn in the Draw's view, as the window has them when exploring begins.
void DrawPicture(PictureBox &box, const std::vector<CurveRecord> &curves)
{
    SetWorldWindow(box, PictureWorld);
    box.SetBackColor(RGB(0, 0, 0));
    box.Cls();
    Plotter<PictureBox> plotter(box);
    plotter.State().SegmentLimit = 1;
    for (const CurveRecord &curve : curves) {
        plotter.DrawCurve(curve);
    }
    box.Refresh();
}

// The pixels in which the screen differs from the picture: what is painted over it.
QRect PaintedOver(PictureBox &box)
{
    const QImage screen = OnScreen(box);
    const QImage picture = box.Picture();
    QRect over;
    for (int y = 0; y < screen.height(); ++y) {
        for (int x = 0; x < screen.width(); ++x) {
            if (screen.pixel(x, y) != picture.pixel(x, y)) {
                over |= QRect(x, y, 1, 1);
            }
        }
    }
    return over;
}

// The world point at a position in an image of `size` pixels showing `window`.
QPointF WorldPointAt(const WorldWindow &window, QSizeF size, QPointF pixel)
{
    const WorldPoint point = PixelToWorld{window, size.width(), size.height()}.At(pixel.x(), pixel.y());
    return {point.X, point.Y};
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
    void plusAndMinusKeepTheCentre_data();
    void plusAndMinusKeepTheCentre();
    void backAndForwardShowTheViewsSeenBefore_data();
    void backAndForwardShowTheViewsSeenBefore();
    void boxAndDoubleClickZoom_data();
    void boxAndDoubleClickZoom();
    void aClickOrAWheelTurnGivesTheFocus_data();
    void aClickOrAWheelTurnGivesTheFocus();
    void overlaySaysWhereTheViewIs_data();
    void overlaySaysWhereTheViewIs();
    void overviewShowsPastFourAndTakesAClick_data();
    void overviewShowsPastFourAndTakesAClick();

private:
    [[nodiscard]] qint64 FrameNs() const { return FrameIntervalNs(box_->screen()); }
    void WaitOneFrame() const { QTest::qWait(static_cast<int>(FrameNs() / 1'000'000) + 2); }
    std::unique_ptr<PictureBox> box_;
};

void TestPictureBox::init()
{
    box_ = std::make_unique<PictureBox>();
    box_->resize(577, 417);
    // The screen is compared with the picture alone; the tests of the overlay
    // and the overview show them.
    ShowOverlays(*box_, false, false);
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
    TRY_VERIFY(!spy.rects.isEmpty());
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
    TRY_COMPARE(OnScreen(*box_).pixel(at), expected);
    QCOMPARE(spy.rects.size(), 2);
    QVERIFY(spy.gapsNs.back() >= FrameNs() - AllowedEarlyNs);
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
    TRY_COMPARE(OnScreen(*box_), ImageAsShown(*box_));

    QVERIFY(!spy.rects.isEmpty());
    const qint64 interval = FrameNs();
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
    PictureBox &box = *box_;
    const bool reset = action == u"home" || action == u"reset";
    if (reset) {
        DrawPicture(box, curves);
    }
    box.Explore(curves);
    const QSizeF size(box.ImageSize());
    if (reset) {
        // A view a third of the Draw's wide and high, about (100, -100).
        const WorldWindow third{100 - 810.0 / 6, -100 + 910.0 / 6, 100 + 810.0 / 6, -100 - 910.0 / 6};
        box.SetView(third);
        const QImage zoomed = RenderView(curves, third, size.toSize()).image;
        TRY_COMPARE(OnScreen(box), zoomed);
    }
    const WorldWindow before = box.View();
    // Where a widget position falls on the image, to within a device pixel.
    const auto worldAt = [&](const WorldWindow &window, QPointF position) {
        return WorldPointAt(window, size, (position - QPointF(2, 2)) * box.devicePixelRatioF());
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
    if (reset) {
        // Home is Reset View's shortcut, run as the menu runs it, once events are handled.
        TRY_COMPARE(box.View(), PictureWorld);
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
            const QPointF fixed = worldAt(before, at);
            const QPointF now = worldAt(after, at);
            QVERIFY(qAbs(fixed.x() - now.x()) < tolerance * qAbs(width));
            QVERIFY(qAbs(fixed.y() - now.y()) < tolerance * qAbs(height));
        } else {
            QVERIFY(qAbs((after.Left - before.Left) / width - shift.x()) < tolerance);
            QVERIFY(qAbs((after.Top - before.Top) / height - shift.y()) < tolerance);
        }
    }
    // Until the exact picture comes, the last one moved and scaled; then the exact one.
    const QImage exact = RenderView(curves, after, size.toSize()).image;
    TRY_COMPARE(OnScreen(box), exact);
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

void TestPictureBox::plusAndMinusKeepTheCentre_data()
{
    QTest::addColumn<QSize>("inner");
    QTest::addColumn<int>("key");
    QTest::newRow("odd size, +") << QSize(573, 413) << int(Qt::Key_Plus);
    QTest::newRow("odd size, -") << QSize(573, 413) << int(Qt::Key_Minus);
    QTest::newRow("even size, +") << QSize(574, 414) << int(Qt::Key_Plus);
    QTest::newRow("even size, -") << QSize(574, 414) << int(Qt::Key_Minus);
}

void TestPictureBox::plusAndMinusKeepTheCentre()
{
    QFETCH(QSize, inner);
    QFETCH(int, key);
    box_->resize(inner + QSize(4, 4));
    box_->Explore(PictureCurves());
    const auto centre = [this] {
        const WorldWindow &view = box_->View();
        return QPointF((view.Left + view.Right) / 2, (view.Top + view.Bottom) / 2);
    };
    const QPointF before = centre();
    // Ten presses: a drift of half a pixel each would add up to five.
    for (int press = 0; press < 10; ++press) {
        QTest::keyClick(box_.get(), static_cast<Qt::Key>(key));
    }
    const WorldWindow &view = box_->View();
    const double pixel = (view.Right - view.Left) / box_->ImageSize().width();
    QVERIFY(box_->View() != PictureWorld);
    QVERIFY2(qAbs(centre().x() - before.x()) < 1e-6 * qAbs(pixel) &&
                 qAbs(centre().y() - before.y()) < 1e-6 * qAbs(pixel),
             qPrintable(QStringLiteral("centre moved from (%1, %2) to (%3, %4)")
                            .arg(before.x(), 0, 'g', 17)
                            .arg(before.y(), 0, 'g', 17)
                            .arg(centre().x(), 0, 'g', 17)
                            .arg(centre().y(), 0, 'g', 17)));
}

void TestPictureBox::backAndForwardShowTheViewsSeenBefore_data()
{
    QTest::addColumn<QString>("input");
    QTest::newRow("Backspace, Alt+Right") << "keys";
    QTest::newRow("Alt+Left, Alt+Right") << "alt";
    QTest::newRow("mouse buttons") << "mouse";
    QTest::newRow("context menu") << "menu";
}

void TestPictureBox::backAndForwardShowTheViewsSeenBefore()
{
    QFETCH(QString, input);
    const std::vector<CurveRecord> curves = PictureCurves();
    PictureBox &box = *box_;
    box.Explore(curves);
    const auto action = [&box](const char *text) {
        for (QAction *each : box.actions()) {
            if (each->text() == QLatin1String(text)) {
                return each;
            }
        }
        return static_cast<QAction *>(nullptr);
    };
    QAction *back = action("&Back");
    QAction *forward = action("&Forward");
    QVERIFY(back != nullptr && forward != nullptr);
    QVERIFY(!back->isEnabled());
    const auto exactScreen = [&] {
        const QImage exact =
            box.View() == PictureWorld ? box.Picture() : RenderView(curves, box.View(), box.ImageSize()).image;
        TRY_COMPARE(OnScreen(box), exact);
    };
    QList<QImage> screens{OnScreen(box)};

    // Five steps, each of a kind that settles: a wheel that rests, a key, a drag.
    const QPointF at(200, 150);
    QWheelEvent wheel(at, box.mapToGlobal(at), {}, {0, 120}, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&box, &wheel);
    TRY_VERIFY(back->isEnabled());
    exactScreen();
    screens << OnScreen(box);
    for (const Qt::Key key : {Qt::Key_Plus, Qt::Key_Right}) {
        QTest::keyClick(&box, key);
        exactScreen();
        screens << OnScreen(box);
    }
    QTest::mousePress(&box, Qt::LeftButton, {}, at.toPoint());
    QMouseEvent move(QEvent::MouseMove, at + QPointF(40, 30), box.mapToGlobal(at + QPointF(40, 30)), Qt::NoButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(&box, &move);
    QTest::mouseRelease(&box, Qt::LeftButton, {}, (at + QPointF(40, 30)).toPoint());
    exactScreen();
    screens << OnScreen(box);
    QTest::keyClick(&box, Qt::Key_Minus);
    exactScreen();
    screens << OnScreen(box);
    QVERIFY(!forward->isEnabled());

    const auto go = [&](bool backward) {
        if (input == u"keys" && backward) {
            QTest::keyClick(&box, Qt::Key_Backspace);
        } else if (input == u"keys" || input == u"alt") {
            QTest::keyClick(&box, backward ? Qt::Key_Left : Qt::Key_Right, Qt::AltModifier);
        } else if (input == u"mouse") {
            QTest::mouseClick(&box, backward ? Qt::BackButton : Qt::ForwardButton, {}, at.toPoint());
        } else {
            (backward ? back : forward)->trigger();
        }
    };
    for (qsizetype step = screens.size() - 2; step >= 0; --step) {
        go(true);
        TRY_COMPARE(OnScreen(box), screens[step]);
    }
    QVERIFY(!back->isEnabled());
    // Nowhere to go: Alt+Left does nothing, and is no plain Left that pans.
    QTest::keyClick(&box, Qt::Key_Left, Qt::AltModifier);
    QCOMPARE(box.View(), PictureWorld);
    QVERIFY(forward->isEnabled());
    for (qsizetype step = 1; step < screens.size(); ++step) {
        go(false);
        TRY_COMPARE(OnScreen(box), screens[step]);
    }
    QVERIFY(!forward->isEnabled());
    const WorldWindow last = box.View();
    QTest::keyClick(&box, Qt::Key_Right, Qt::AltModifier);
    QCOMPARE(box.View(), last);
    QVERIFY(back->isEnabled());
    // Back, back, forward: a new step then drops what lay ahead.
    go(true);
    TRY_COMPARE(OnScreen(box), screens[4]);
    go(true);
    TRY_COMPARE(OnScreen(box), screens[3]);
    go(false);
    TRY_COMPARE(OnScreen(box), screens[4]);
    QTest::keyClick(&box, Qt::Key_Up);
    QVERIFY(!forward->isEnabled());

    // A Draw starts a new list.
    box.StopExploring();
    box.Explore(curves);
    QVERIFY(!back->isEnabled());
    QVERIFY(!forward->isEnabled());
}

void TestPictureBox::boxAndDoubleClickZoom_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QPointF>("from");
    QTest::addColumn<QPointF>("to");
    QTest::addColumn<double>("zoom");
    QTest::newRow("double-click") << "double" << QPointF(150, 300) << QPointF() << 2.0;
    // The box's wider side, against the picture's, sets the zoom.
    QTest::newRow("wide box") << "box" << QPointF(102, 102) << QPointF(302, 152) << 573.0 / 200;
    QTest::newRow("tall box") << "box" << QPointF(402, 302) << QPointF(352, 202) << 413.0 / 100;
    QTest::newRow("Esc cancels the box") << "cancel" << QPointF(102, 102) << QPointF(302, 152) << 1.0;
}

void TestPictureBox::boxAndDoubleClickZoom()
{
    QFETCH(QString, action);
    QFETCH(QPointF, from);
    QFETCH(QPointF, to);
    QFETCH(double, zoom);
    PictureBox &box = *box_;
    box.Explore(PictureCurves());
    const WorldWindow before = box.View();
    const QSizeF size(box.ImageSize());
    const double ratio = box.devicePixelRatioF();
    if (action == u"double") {
        QTest::mouseDClick(&box, Qt::LeftButton, {}, from.toPoint());
    } else {
        QTest::mousePress(&box, Qt::LeftButton, Qt::ShiftModifier, from.toPoint());
        QMouseEvent move(QEvent::MouseMove, to, box.mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::ShiftModifier);
        QApplication::sendEvent(&box, &move);
        if (action == u"cancel") {
            QTest::keyClick(&box, Qt::Key_Escape);
        }
        QTest::mouseRelease(&box, Qt::LeftButton, Qt::ShiftModifier, to.toPoint());
    }
    const WorldWindow after = box.View();
    const double width = before.Right - before.Left;
    const double height = before.Bottom - before.Top;
    // The same zoom on both axes, to within the rounding of the box to device pixels.
    const double tolerance = action == u"double" ? 1e-9 : 2 * ratio / 100;
    QVERIFY2(qAbs(width / (after.Right - after.Left) / zoom - 1) < tolerance,
             qPrintable(QString::number(width / (after.Right - after.Left))));
    QVERIFY(qAbs(height / (after.Bottom - after.Top) / zoom - 1) < tolerance);
    // Centred on the box, or the point double-clicked stays put.
    const QPointF centre = action == u"double" ? from : (from + to) / 2;
    const QPointF expected = action == u"cancel"
                                 ? QPointF((before.Left + before.Right) / 2, (before.Top + before.Bottom) / 2)
                                 : WorldPointAt(before, size, (centre - QPointF(2, 2)) * ratio);
    const QPointF now = action == u"double" ? WorldPointAt(after, size, (centre - QPointF(2, 2)) * ratio)
                                            : QPointF((after.Left + after.Right) / 2, (after.Top + after.Bottom) / 2);
    QVERIFY(qAbs(now.x() - expected.x()) < 1.5 / size.width() * qAbs(width));
    QVERIFY(qAbs(now.y() - expected.y()) < 1.5 / size.height() * qAbs(height));
}

void TestPictureBox::aClickOrAWheelTurnGivesTheFocus_data()
{
    QTest::addColumn<QString>("action");
    QTest::newRow("click") << "click";
    QTest::newRow("wheel") << "wheel";
}

void TestPictureBox::aClickOrAWheelTurnGivesTheFocus()
{
    QFETCH(QString, action);
    box_.reset();
    QWidget window;
    auto *box = new PictureBox(&window);
    box->setGeometry(QRect(QPoint(0, 0), PictureSize + QSize(4, 4)));
    auto *button = new QPushButton(QStringLiteral("other"), &window);
    button->move(600, 0);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    box->Explore(PictureCurves());
    button->setFocus();
    TRY_COMPARE(QApplication::focusWidget(), button);
    const auto frame = [box] {
        // The frame's inner ring: the second logical pixel from the corner.
        const QImage shot = box->grab().toImage();
        const int at = qFloor(1.5 * shot.devicePixelRatio());
        return shot.pixel(at, at);
    };
    const QRgb unfocused = frame();
    const QImage picture = OnScreen(*box);

    const QPointF at(100, 100);
    if (action == u"click") {
        QTest::mouseClick(box, Qt::LeftButton, {}, at.toPoint());
    } else {
        QWheelEvent wheel(at, box->mapToGlobal(at), {}, {0, 120}, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                          false);
        QApplication::sendEvent(box, &wheel);
        QVERIFY(box->View() != PictureWorld);
    }
    TRY_COMPARE(QApplication::focusWidget(), box);
    // Shown on the frame, never on the picture.
    TRY_VERIFY(frame() != unfocused);
    if (action == u"click") {
        QCOMPARE(OnScreen(*box), picture);
        QCOMPARE(box->Picture(), picture);
    }
}

void TestPictureBox::overlaySaysWhereTheViewIs_data()
{
    QTest::addColumn<QString>("keys"); // pressed after a Draw
    QTest::addColumn<double>("width"); // the view's before the keys; 0 for the Draw's
    QTest::addColumn<int>("lines");    // of the overlay in the top-left corner; 0 for none
    QTest::newRow("the Draw's view: none") << "" << 0.0 << 0;
    QTest::newRow("one step in: zoom and centre") << "+" << 0.0 << 2;
    QTest::newRow("I hides it") << "+I" << 0.0 << 0;
    QTest::newRow("I again shows it") << "+II" << 0.0 << 2;
    QTest::newRow("back at the Draw's view: none") << "+-" << 0.0 << 0;
    QTest::newRow("at the deepest, + says so") << "+" << 1.2e-10 << 3;
    QTest::newRow("at the widest, - says so") << "-" << 9e6 << 3;
}

void TestPictureBox::overlaySaysWhereTheViewIs()
{
    QFETCH(QString, keys);
    QFETCH(double, width);
    QFETCH(int, lines);
    PictureBox &box = *box_;
    ShowOverlays(box, true, false);
    DrawPicture(box, PictureCurves());
    box.Explore(PictureCurves());
    if (width > 0) {
        box.SetView({105 - width / 2, -45 + width / 2, 105 + width / 2, -45 - width / 2});
    }
    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(100, 100));
    for (const QChar key : keys) {
        QTest::keyClick(&box, key.toLatin1());
    }
    TRY_VERIFY(box.PictureReady());
    if (lines == 0) {
        TRY_COMPARE(OnScreen(box), box.Picture());
        return;
    }
    // Lines of text, on a shade where the picture is not black, in the
    // top-left corner; the rest untouched.
    const qreal ratio = box.devicePixelRatioF();
    const qreal line = QFontMetrics(box.font()).lineSpacing() * ratio;
    // Ready is not yet on screen: until the exact picture has replaced the
    // preview everywhere, the screen differs from it far beyond the overlay.
    QRect over;
    TRY_VERIFY((over = PaintedOver(box)).height() > (lines - 1) * line && over.height() < (lines + 1) * line);
    QVERIFY(over.left() < 20 * ratio && over.top() < 20 * ratio && over.right() < box.ImageSize().width() / 2);
    if (lines == 3) {
        // Two seconds on, the limit's word goes.
        TRY_VERIFY(PaintedOver(box).height() < over.height() - line / 2);
    }
}

void TestPictureBox::overviewShowsPastFourAndTakesAClick_data()
{
    QTest::addColumn<int>("steps"); // presses of +, 1.25 times closer each
    QTest::addColumn<bool>("hide"); // O pressed after them
    QTest::addColumn<bool>("shown");
    QTest::newRow("x3.05: none") << 5 << false << false;
    QTest::newRow("x4.77: shown, and a click goes there") << 7 << false << true;
    QTest::newRow("x4.77 with O: none") << 7 << true << false;
}

void TestPictureBox::overviewShowsPastFourAndTakesAClick()
{
    QFETCH(int, steps);
    QFETCH(bool, hide);
    QFETCH(bool, shown);
    PictureBox &box = *box_;
    ShowOverlays(box, false, true);
    DrawPicture(box, PictureCurves());
    box.Explore(PictureCurves());
    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(100, 100));
    for (int step = 0; step < steps; ++step) {
        QTest::keyClick(&box, Qt::Key_Plus);
    }
    if (hide) {
        QTest::keyClick(&box, Qt::Key_O);
    }
    TRY_VERIFY(box.PictureReady());
    if (!shown) {
        TRY_COMPARE(OnScreen(box), box.Picture());
        return;
    }
    // A small picture in the bottom-right corner, framed.
    const QSize size = box.ImageSize();
    QRect over;
    // Once the exact picture is painted, only the overview differs from it.
    TRY_VERIFY(!(over = PaintedOver(box)).isEmpty() && over.left() > size.width() / 2 &&
               over.top() > size.height() / 2);
    QVERIFY(over.right() >= size.width() - 20 && over.bottom() >= size.height() - 20);
    // A click a quarter of the way in from its top-left corner centres the
    // view on the Draw's world point there, at the same scale.
    const WorldWindow before = box.View();
    const qreal ratio = box.devicePixelRatioF();
    // Inside its frame of a black and a white line.
    const QRectF frame = QRectF(QPointF(over.topLeft()) / ratio, QSizeF(over.size()) / ratio).adjusted(2, 2, -2, -2);
    const QPointF at = frame.topLeft() + QPointF(frame.width() / 4, frame.height() / 4) + QPointF(2, 2);
    QTest::mouseClick(&box, Qt::LeftButton, {}, at.toPoint());
    const WorldWindow after = box.View();
    // Within two of the overview's pixels, for the click's rounding to whole pixels.
    const double pixel = 810 / frame.width();
    QVERIFY2(qAbs((after.Left + after.Right) / 2 - (-300 + 810 / 4.0)) < 2 * pixel &&
                 qAbs((after.Top + after.Bottom) / 2 - (410 - 910 / 4.0)) < 2 * pixel * 910 / 810,
             qPrintable(QStringLiteral("centred on %1, %2")
                            .arg((after.Left + after.Right) / 2)
                            .arg((after.Top + after.Bottom) / 2)));
    QVERIFY(qAbs(after.Width() - before.Width()) < 1e-9);
    // On the history, as a step of its own: after one more step, Back
    // returns to the view clicked, then to the one before the click.
    QTest::keyClick(&box, Qt::Key_Plus);
    QTest::keyClick(&box, Qt::Key_Backspace);
    TRY_COMPARE(box.View(), after);
    QTest::keyClick(&box, Qt::Key_Backspace);
    TRY_COMPARE(box.View(), before);
}

QTEST_MAIN(TestPictureBox)
#include "tst_picturebox.moc"
