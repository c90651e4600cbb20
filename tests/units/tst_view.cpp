#include "ViewPoints.h"
#include "drawing/Passes.h"
#include "drawing/PictureSize.h"
#include "parallel/EveryCore.h"
#include "views/CentredResize.h"
#include "views/ImagePlacement.h"
#include "views/ViewNavigation.h"
#include "views/ViewRender.h"

#include <QtTest>

#include <mutex>
#include <set>
#include <thread>

using namespace levyc;

Q_DECLARE_METATYPE(levyc::WorldWindow)

namespace {

// Points on the picture's edges, found to well under a pixel of the deepest view.
WorldPoint WhiteEdge()
{
    return FarthestPoint(std::vector<CurveRecord>{FinalCurve()}, 0.3, -1.0, 1e-14);
}

WorldPoint InsideTheFan()
{
    return FarthestPoint(std::vector<CurveRecord>{PassCurve(50)}, 0.3, -1.0, 1e-14);
}

// Every line of every curve, first curve first, nothing skipped: each line's
// ends computed from its parent's start as the view does, and marked.
class PlainView
{
public:
    PlainView(const WorldWindow &window, QSize size)
        : window_(window)
        , image_(size, QImage::Format_RGB32)
        , scaleX_(size.width() / (window.Right - window.Left))
        , scaleY_(size.height() / (window.Bottom - window.Top))
        , limitSquared_(std::pow(std::min({1.0, 1 / std::abs(scaleX_), 1 / std::abs(scaleY_)}), 2))
    {
        image_.fill(qRgb(0, 0, 0));
    }

    QImage Draw(const std::vector<CurveRecord> &curves)
    {
        for (const CurveRecord &curve : curves) {
            rgb_ = qRgb(RedOf(curve.Color), GreenOf(curve.Color), BlueOf(curve.Color));
            const double x = curve.X - window_.Left;
            const double y = curve.Y - window_.Top;
            Part(x, y, x + curve.P, y + curve.Q, curve.P, curve.Q);
        }
        return image_;
    }

private:
    void Part(double sx, double sy, double ex, double ey, double p, double q)
    {
        if (OutOfSight(sx, sy, p, q)) {
            return;
        }
        if (p * p + q * q <= limitSquared_) {
            Mark(sx, sy);
            Mark(ex, ey);
            return;
        }
        const double mx = sx + (p + q) / 2;
        const double my = sy + (q - p) / 2;
        Part(sx, sy, mx, my, (p + q) / 2, (q - p) / 2);
        Part(mx, my, ex, ey, (p - q) / 2, (p + q) / 2);
    }

    // A curve along v never strays from its start by more than
    // |v| (1/sqrt2 + 1/2 + 1/(2 sqrt2) + ...) = |v| / (sqrt2 - 1), as each
    // half starts at most |v| / sqrt2 away and is 1/sqrt2 as long.
    [[nodiscard]] bool OutOfSight(double sx, double sy, double p, double q) const
    {
        const double reach = std::hypot(p, q) / (std::sqrt(2.0) - 1) * 1.01;
        const double px = sx * scaleX_;
        const double py = sy * scaleY_;
        const double rx = reach * std::abs(scaleX_) + 2;
        const double ry = reach * std::abs(scaleY_) + 2;
        return px + rx < 0 || px - rx > image_.width() || py + ry < 0 || py - ry > image_.height();
    }

    void Mark(double x, double y)
    {
        const double px = std::floor(x * scaleX_);
        const double py = std::floor(y * scaleY_);
        if (px >= 0 && px < image_.width() && py >= 0 && py < image_.height()) {
            image_.setPixel(static_cast<int>(px), static_cast<int>(py), rgb_);
        }
    }

    WorldWindow window_;
    QImage image_;
    double scaleX_;
    double scaleY_;
    double limitSquared_;
    QRgb rgb_ = 0;
};

// Runs of one colour along each row, added up over the rows.
std::int64_t ColourRuns(const QImage &image)
{
    std::int64_t runs = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            runs += x == 0 || image.pixel(x, y) != image.pixel(x - 1, y) ? 1 : 0;
        }
    }
    return runs;
}

} // namespace

class TestView : public QObject
{
    Q_OBJECT

private slots:
    void bandsDrawWhatOnePieceDraws_data();
    void bandsDrawWhatOnePieceDraws();
    void skippingChangesNoPixel_data();
    void skippingChangesNoPixel();
    void deepViewsKeepTheirDetail();
    void theDrawsWindowIsTheDrawsPicture();
    void cancelledRendersLeaveNothing_data();
    void cancelledRendersLeaveNothing();
    void onThreadsRunsOnThatMany_data();
    void onThreadsRunsOnThatMany();
    void navigation_data();
    void navigation();
    void imageMeetsTheWidget_data();
    void imageMeetsTheWidget();
};

void TestView::bandsDrawWhatOnePieceDraws_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<WorldWindow>("window");

    const std::vector<std::pair<const char *, WorldWindow>> views{
        {"moved a little", {-290.5, 400.25, 519.5, -509.75}},
        {"inside the fan at 10x", ZoomedAt(InsideTheFan(), 10)},
        {"white edge at 1e6x", ZoomedAt(WhiteEdge(), 1e6)},
    };
    for (const QSize size : {PictureSize, QSize(301, 97)}) {
        for (const auto &[name, window] : views) {
            QTest::addRow("%dx%d, %s", size.width(), size.height(), name) << size << window;
        }
    }
}

void TestView::bandsDrawWhatOnePieceDraws()
{
    QFETCH(QSize, size);
    QFETCH(WorldWindow, window);
    const std::vector<CurveRecord> curves = PictureCurves();
    const RenderedView whole = RenderView(curves, window, size, {1, 1, nullptr});
    QVERIFY(!whole.image.isNull());
    QVERIFY(whole.lines > 0);
    // Bands that split parts of curves between them, on more threads than cores.
    for (const auto &[threads, bands] : {std::pair{3, 7}, {2, 64}}) {
        const RenderedView banded = RenderView(curves, window, size, {threads, bands, nullptr});
        QVERIFY2(banded.image == whole.image, qPrintable(QStringLiteral("%1 bands").arg(bands)));
    }
}

void TestView::skippingChangesNoPixel_data()
{
    QTest::addColumn<WorldWindow>("window");
    QTest::newRow("the whole fan, moved") << WorldWindow{-310, 420, 500, -490};
    QTest::newRow("inside the fan") << ZoomedAt(InsideTheFan(), 8);
    QTest::newRow("an edge") << ZoomedAt({20, 20}, 4);
    QTest::newRow("white edge at 1e6x") << ZoomedAt(WhiteEdge(), 1e6);
    QTest::newRow("white edge at 1e10x") << ZoomedAt(WhiteEdge(), 1e10);
    QTest::newRow("inside the fan at 1e6x") << ZoomedAt(InsideTheFan(), 1e6);
}

void TestView::skippingChangesNoPixel()
{
    QFETCH(WorldWindow, window);
    const QSize size(160, 120);
    const std::vector<CurveRecord> curves = PictureCurves();
    const QImage plain = PlainView(window, size).Draw(curves);
    const RenderedView view = RenderView(curves, window, size);
    QVERIFY(view.image == plain);
    // Bands that cut parts of curves, each culling at its own edges.
    for (const auto &[threads, bands] : {std::pair{3, 7}, {2, 64}, {1, size.height()}}) {
        const RenderedView banded = RenderView(curves, window, size, {threads, bands, nullptr});
        QVERIFY2(banded.image == plain, qPrintable(QStringLiteral("%1 bands").arg(bands)));
    }
    // A curve at a time over the picture so far, as frames of it growing are.
    QImage grown(size, QImage::Format_RGB32);
    grown.fill(qRgb(0, 0, 0));
    for (const CurveRecord &curve : curves) {
        QVERIFY(DrawViewCurves(grown, std::span(&curve, 1), window));
    }
    QVERIFY(grown == plain);
}

void TestView::deepViewsKeepTheirDetail()
{
    const std::vector<CurveRecord> curves = PictureCurves();
    const RenderedView near = RenderView(curves, ZoomedAt(WhiteEdge(), 1e3), PictureSize);
    const RenderedView deep = RenderView(curves, ZoomedAt(WhiteEdge(), 1e9), PictureSize);
    const std::int64_t nearRuns = ColourRuns(near.image);
    const std::int64_t deepRuns = ColourRuns(deep.image);
    // Single precision collapses the deep view into a few flat blocks.
    QVERIFY2(nearRuns > std::int64_t{4} * PictureSize.height(), qPrintable(QString::number(nearRuns)));
    QVERIFY2(deepRuns * 3 > nearRuns && deepRuns < nearRuns * 3,
             qPrintable(QStringLiteral("%1 runs at 1e9, %2 at 1e3").arg(deepRuns).arg(nearRuns)));
    // Only the parts in sight are walked: far fewer lines than the whole picture.
    QVERIFY2(deep.lines < PictureLines, qPrintable(QString::number(deep.lines)));
}

void TestView::theDrawsWindowIsTheDrawsPicture()
{
    // A stopped Draw's curves at its own window: the Draw's lines, mapped as
    // the Draw maps them; a hair away, the view's.
    std::vector<CurveRecord> curves = PictureCurves();
    curves.resize(40);
    const QSize wide(1200, 300);
    const RenderedView own = RenderView(curves, PictureWorld, wide);
    // Passes 0 to 28 are at most 128 units long: 2^14 one-unit lines each; the rest 2^15.
    QCOMPARE(own.lines, std::int64_t{29} * 16384 + std::int64_t{11} * 32768);
    const WorldWindow nudged{PictureWorld.Left - 1e-12, PictureWorld.Top, PictureWorld.Right, PictureWorld.Bottom};
    const RenderedView view = RenderView(curves, nudged, wide);
    int differing = 0;
    for (int y = 0; y < wide.height(); ++y) {
        for (int x = 0; x < wide.width(); ++x) {
            differing += own.image.pixel(x, y) != view.image.pixel(x, y) ? 1 : 0;
        }
    }
    // The same curves, in finer lines for the narrower pixel: few pixels apart.
    QVERIFY2(differing > 0 && differing < wide.width() * wide.height() / 20, qPrintable(QString::number(differing)));
}

void TestView::cancelledRendersLeaveNothing_data()
{
    QTest::addColumn<WorldWindow>("window");
    QTest::addColumn<bool>("over");       // drawn over an image, or a whole view
    QTest::addColumn<int>("cancelAfter"); // curves drawn before the cancel; -1: before the call
    const WorldWindow view{-310, 420, 500, -490};
    QTest::newRow("the Draw's window") << PictureWorld << false << -1;
    QTest::newRow("a view") << view << false << -1;
    QTest::newRow("a view over an image") << view << true << -1;
    QTest::newRow("the Draw's window, between curves") << PictureWorld << false << 50;
    QTest::newRow("a view, half walked") << view << false << 50;
    QTest::newRow("a view over an image, half walked") << view << true << 50;
}

void TestView::cancelledRendersLeaveNothing()
{
    QFETCH(WorldWindow, window);
    QFETCH(bool, over);
    QFETCH(int, cancelAfter);
    const std::vector<CurveRecord> curves = PictureCurves();
    const QSize size(160, 120);
    std::atomic<bool> cancel{false};
    // Not cancelled, the flag given changes nothing.
    QImage image(size, QImage::Format_RGB32);
    image.fill(qRgb(1, 2, 3));
    const QImage before = image.copy();
    if (over) {
        QImage drawn = image.copy();
        QVERIFY(DrawViewCurves(drawn, curves, window, {0, 0, &cancel}));
        QVERIFY(drawn != before);
    } else {
        QVERIFY(RenderView(curves, window, size, {0, 0, &cancel}).image == RenderView(curves, window, size).image);
    }

    // Cancelled, the curve under way may end, and the call leaves nothing.
    cancel = cancelAfter < 0;
    int drawn = 0;
    int drawnAfter = 0;
    ViewRenderOptions options{1, 1, &cancel};
    options.afterCurve = [&] {
        drawnAfter += cancel ? 1 : 0;
        cancel = cancel || ++drawn == cancelAfter;
    };
    if (over) {
        QVERIFY(!DrawViewCurves(image, curves, window, options));
        QVERIFY(image == before);
    } else {
        const RenderedView dropped = RenderView(curves, window, size, options);
        QVERIFY(dropped.image.isNull());
        QCOMPARE(dropped.lines, 0);
    }
    QVERIFY2(drawnAfter <= 1, qPrintable(QString::number(drawnAfter)));
    QCOMPARE(drawn, std::max(cancelAfter, 0));
}

void TestView::onThreadsRunsOnThatMany_data()
{
    QTest::addColumn<int>("threads");
    QTest::newRow("one") << 1;
    QTest::newRow("two") << 2;
    QTest::newRow("five") << 5;
}

void TestView::onThreadsRunsOnThatMany()
{
    QFETCH(int, threads);
    std::mutex mutex;
    std::set<std::thread::id> ran;
    int runs = 0;
    OnThreads(threads, [&] {
        const std::lock_guard lock(mutex);
        ran.insert(std::this_thread::get_id());
        ++runs;
    });
    QCOMPARE(runs, threads);
    QCOMPARE(static_cast<int>(ran.size()), threads);
}

void TestView::navigation_data()
{
    QTest::addColumn<QString>("move");
    QTest::addColumn<QPointF>("at");
    QTest::addColumn<double>("amount");
    QTest::addColumn<WorldWindow>("expected");

    // On a 100x100 image showing world 0..100 across and 100..0 down.
    QTest::newRow("zoom in about the centre") << "zoom" << QPointF(50, 50) << 2.0 << WorldWindow{25, 75, 75, 25};
    QTest::newRow("zoom in about a corner") << "zoom" << QPointF(0, 0) << 2.0 << WorldWindow{0, 100, 50, 50};
    QTest::newRow("zoom out about a point") << "zoom" << QPointF(25, 75) << 0.5 << WorldWindow{-25, 175, 175, -25};
    QTest::newRow("zoom past the narrowest") << "zoom" << QPointF(50, 50) << 1e13 << WorldWindow{0, 100, 100, 0};
    QTest::newRow("zoom past the widest") << "zoom" << QPointF(50, 50) << 1e-6 << WorldWindow{0, 100, 100, 0};
    QTest::newRow("drag right and up") << "pan" << QPointF(10, -20) << 0.0 << WorldWindow{-10, 80, 90, -20};
    QTest::newRow("grow to the right") << "resize" << QPointF(200, 100) << 0.0 << WorldWindow{0, 100, 200, 0};
    QTest::newRow("shrink from the bottom") << "resize" << QPointF(100, 25) << 0.0 << WorldWindow{0, 100, 100, 75};
    QTest::newRow("grow about the centre") << "centred" << QPointF(200, 50) << 0.0 << WorldWindow{-50, 75, 150, 25};
}

void TestView::navigation()
{
    QFETCH(QString, move);
    QFETCH(QPointF, at);
    QFETCH(double, amount);
    QFETCH(WorldWindow, expected);
    const WorldWindow window{0, 100, 100, 0};
    const QSizeF size(100, 100);
    WorldWindow moved;
    if (move == u"zoom") {
        moved = ZoomedAbout(window, size, at, amount);
    } else if (move == u"pan") {
        moved = Panned(window, size, at);
    } else if (move == u"resize") {
        moved = Resized(window, size, QSizeF(at.x(), at.y()));
    } else {
        moved = CentredResized(window, QSize(100, 100), QSize(int(at.x()), int(at.y())));
    }
    QCOMPARE(moved.Left, expected.Left);
    QCOMPARE(moved.Top, expected.Top);
    QCOMPARE(moved.Right, expected.Right);
    QCOMPARE(moved.Bottom, expected.Bottom);
}

void TestView::imageMeetsTheWidget_data()
{
    QTest::addColumn<qreal>("ratio");
    for (const qreal ratio : {1.0, 1.25, 1.5, 1.75, 2.0}) {
        QTest::addRow("scale %g", ratio) << ratio;
    }
}

// The image's pixels, the widget's and back: what a change or a paint event
// touches is covered whole, and a point comes back where it was.
void TestView::imageMeetsTheWidget()
{
    QFETCH(qreal, ratio);
    const QRect inner(2, 2, 573, 413);
    const ImagePlacement placement(inner, QPoint(7, 9), ratio);
    const QRect image(QPoint(0, 0), placement.DeviceInner().size());
    QVERIFY(std::abs(image.width() - inner.width() * ratio) <= 1);
    QVERIFY(std::abs(image.height() - inner.height() * ratio) <= 1);
    // A paint of the inner area reaches every image pixel, and the image
    // stays inside it, each edge at the device pixel nearest to it.
    QVERIFY(placement.ImagePixelsUnder(inner).contains(image));
    const qreal half = 0.5 / ratio + 1e-9;
    QVERIFY(QRectF(inner).adjusted(-half, -half, half, half).contains(placement.ToWidget().mapRect(QRectF(image))));
    for (const QPoint pixel : {image.topLeft(), image.bottomRight(), image.center(), QPoint(3, 401)}) {
        const QRect changed(pixel, QSize(1, 1));
        // Repainting the widget's pixels over a changed image pixel repaints it.
        QVERIFY(placement.ImagePixelsUnder(placement.WidgetPixelsOver(changed)).contains(changed));
        const QPointF centre = QRectF(changed).center();
        const QPointF back = placement.ToImage(placement.ToWidget().map(centre));
        QVERIFY(std::abs(back.x() - centre.x()) < 1e-9 && std::abs(back.y() - centre.y()) < 1e-9);
    }
}

QTEST_GUILESS_MAIN(TestView)
#include "tst_view.moc"
