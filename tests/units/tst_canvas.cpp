#include "drawing/Canvas.h"
#include "drawing/PictureSize.h"
#include "drawing/Plotter.h"

#include <QtTest>

#include <limits>

using namespace levyc;

namespace {

constexpr int Width = PictureSize.width();
constexpr int Height = PictureSize.height();

// The picture's world window on an image of the picture area's size.
std::unique_ptr<Canvas> PictureCanvas(qreal ratio = 1.0)
{
    auto canvas = std::make_unique<Canvas>(QSize(qRound(Width * ratio), qRound(Height * ratio)), RGB(0, 0, 0), ratio);
    SetWorldWindow(*canvas, PictureWorld);
    return canvas;
}

// Pixels that differ from `color`.
QList<QPoint> PixelsOtherThan(const QImage &image, PackedColor color)
{
    QList<QPoint> found;
    const QRgb rgb = Canvas::ToQRgb(color);
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (line[x] != rgb) {
                found << QPoint(x, y);
            }
        }
    }
    return found;
}

} // namespace

class TestCanvas : public QObject
{
    Q_OBJECT

private slots:
    void worldCornersMapToImageCorners_data();
    void worldCornersMapToImageCorners();
    void linesSetExactlyTheirPixels_data();
    void linesSetExactlyTheirPixels();
    void colorsAreExactAndNeverBlended_data();
    void colorsAreExactAndNeverBlended();
    void clsAndBackColorFillEverything();
    void wideLinesCoverTheirWidth();
    void linesOffTheImageAreClipped_data();
    void linesOffTheImageAreClipped();
    void continuingLineDrawsItsStartWhenItMayHaveChanged_data();
    void continuingLineDrawsItsStartWhenItMayHaveChanged();
    void dirtyBoxCoversWhatChanged();
    void dirtyBoxOfALineEitherWay_data();
    void dirtyBoxOfALineEitherWay();
    void dirtyBoxAfterARefreshInsideACurve_data();
    void dirtyBoxAfterARefreshInsideACurve();
    void curvesNearTheEdgeStayOnTheImage_data();
    void curvesNearTheEdgeStayOnTheImage();
    void aCopyOfTheImageKeepsItsPixels();
    void resizeKeepsThePicture();
};

void TestCanvas::worldCornersMapToImageCorners_data()
{
    QTest::addColumn<double>("ratio");
    QTest::addColumn<QPointF>("world");
    QTest::addColumn<QPoint>("pixel");

    // 0.5 world units is less than half a pixel in either direction.
    for (const double ratio : {1.0, 2.0}) {
        const int right = qRound(Width * ratio) - 1;
        const int bottom = qRound(Height * ratio) - 1;
        const QByteArray at = ratio == 1.0 ? " at 1x" : " at 2x";
        const WorldWindow &w = PictureWorld;
        QTest::newRow("top left" + at) << ratio << QPointF(w.Left, w.Top) << QPoint(0, 0);
        QTest::newRow("top right" + at) << ratio << QPointF(w.Right - 0.25, w.Top) << QPoint(right, 0);
        QTest::newRow("bottom left" + at) << ratio << QPointF(w.Left, w.Bottom + 0.25) << QPoint(0, bottom);
        QTest::newRow("bottom right" + at)
            << ratio << QPointF(w.Right - 0.25, w.Bottom + 0.25) << QPoint(right, bottom);
        QTest::newRow("centre" + at) << ratio << QPointF(105, -45) << QPoint((right + 1) / 2, (bottom + 1) / 2);
    }
}

void TestCanvas::worldCornersMapToImageCorners()
{
    QFETCH(double, ratio);
    QFETCH(QPointF, world);
    QFETCH(QPoint, pixel);

    const auto picture = PictureCanvas(ratio);
    Canvas &canvas = *picture;
    const auto x = static_cast<float>(world.x());
    const auto y = static_cast<float>(world.y());
    canvas.Line(x, y, x, y, RGB(255, 255, 255));
    QCOMPARE(PixelsOtherThan(canvas.Image(), RGB(0, 0, 0)), QList<QPoint>{pixel});
}

void TestCanvas::linesSetExactlyTheirPixels_data()
{
    QTest::addColumn<QLineF>("line");
    QTest::addColumn<QList<QPoint>>("pixels");

    // Pixel coordinates: a y-down world window one unit per pixel.
    QTest::newRow("zero length: one dot") << QLineF(10.5, 20.5, 10.5, 20.5) << QList<QPoint>{{10, 20}};
    QTest::newRow("horizontal") << QLineF(3.2, 4.9, 6.9, 4.1) << QList<QPoint>{{3, 4}, {4, 4}, {5, 4}, {6, 4}};
    QTest::newRow("vertical upward") << QLineF(7.5, 9.5, 7.5, 6.5) << QList<QPoint>{{7, 6}, {7, 7}, {7, 8}, {7, 9}};
    QTest::newRow("diagonal") << QLineF(1.5, 1.5, 4.5, 4.5) << QList<QPoint>{{1, 1}, {2, 2}, {3, 3}, {4, 4}};
    QTest::newRow("steep") << QLineF(0.5, 0.5, 1.5, 4.5) << QList<QPoint>{{0, 0}, {0, 1}, {1, 2}, {1, 3}, {1, 4}};
}

void TestCanvas::linesSetExactlyTheirPixels()
{
    QFETCH(QLineF, line);
    QFETCH(QList<QPoint>, pixels);

    Canvas canvas(QSize(40, 30), RGB(0, 0, 0));
    SetWorldWindow(canvas, 0, 0, 40, 30);
    canvas.Line(static_cast<float>(line.x1()), static_cast<float>(line.y1()), static_cast<float>(line.x2()),
                static_cast<float>(line.y2()), RGB(255, 0, 0));
    QList<QPoint> found = PixelsOtherThan(canvas.Image(), RGB(0, 0, 0));
    std::sort(found.begin(), found.end(),
              [](QPoint a, QPoint b) { return std::pair(a.x(), a.y()) < std::pair(b.x(), b.y()); });
    QCOMPARE(found, pixels);
}

void TestCanvas::colorsAreExactAndNeverBlended_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");

    QTest::newRow("red over blue") << RGB(255, 0, 0) << RGB(0, 0, 255);
    QTest::newRow("white over green") << RGB(255, 255, 255) << RGB(0, 255, 0);
    QTest::newRow("dark red over cyan") << RGB(15, 0, 0) << RGB(0, 255, 255);
    QTest::newRow("uneven components") << RGB(12, 34, 56) << RGB(242, 255, 0);
}

void TestCanvas::colorsAreExactAndNeverBlended()
{
    QFETCH(int, first);
    QFETCH(int, second);

    const auto picture = PictureCanvas();
    Canvas &canvas = *picture;
    canvas.Line(-100, 0, 100, 0, first);
    const QList<QPoint> covered = PixelsOtherThan(canvas.Image(), RGB(0, 0, 0));
    QVERIFY(covered.size() > 100);
    for (const QPoint &p : covered) {
        QCOMPARE(canvas.Image().pixel(p), Canvas::ToQRgb(first));
    }
    canvas.Line(-100, 0, 100, 0, second);
    QCOMPARE(PixelsOtherThan(canvas.Image(), RGB(0, 0, 0)), covered);
    for (const QPoint &p : covered) {
        QCOMPARE(canvas.Image().pixel(p), Canvas::ToQRgb(second));
    }
}

void TestCanvas::clsAndBackColorFillEverything()
{
    const auto picture = PictureCanvas();
    Canvas &canvas = *picture;
    const WorldWindow &w = PictureWorld;
    canvas.Line(static_cast<float>(w.Left), static_cast<float>(w.Top), static_cast<float>(w.Right),
                static_cast<float>(w.Bottom), RGB(255, 255, 255));
    QVERIFY(!PixelsOtherThan(canvas.Image(), RGB(0, 0, 0)).isEmpty());

    canvas.Cls();
    QVERIFY(PixelsOtherThan(canvas.Image(), RGB(0, 0, 0)).isEmpty());

    canvas.Line(0, 0, 100, 100, RGB(255, 255, 255));
    canvas.SetBackColor(RGB(1, 2, 3));
    QVERIFY(PixelsOtherThan(canvas.Image(), RGB(1, 2, 3)).isEmpty());
    canvas.Line(0, 0, 100, 100, RGB(255, 255, 255));
    canvas.Cls();
    QVERIFY(PixelsOtherThan(canvas.Image(), RGB(1, 2, 3)).isEmpty());
}

void TestCanvas::wideLinesCoverTheirWidth()
{
    Canvas canvas(QSize(20, 20), RGB(0, 0, 0));
    SetWorldWindow(canvas, 0, 0, 20, 20);
    canvas.SetDrawWidth(3);
    canvas.Line(5.5, 10.5, 9.5, 10.5, RGB(0, 255, 0));
    const QList<QPoint> covered = PixelsOtherThan(canvas.Image(), RGB(0, 0, 0));
    // A square brush walked along the line: its ends grow by one pixel too.
    QCOMPARE(covered.size(), 7 * 3);
    const QRect box = std::accumulate(covered.begin(), covered.end(), QRect(),
                                      [](const QRect &r, QPoint p) { return r | QRect(p, QSize(1, 1)); });
    QCOMPARE(box, QRect(QPoint(4, 9), QPoint(10, 11)));
}

void TestCanvas::linesOffTheImageAreClipped_data()
{
    QTest::addColumn<QLineF>("line");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("pixels");

    const double huge = 1e30;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("wholly outside") << QLineF(-50, -50, -10, -5) << 1 << 0;
    QTest::newRow("across the image") << QLineF(-50, 5.5, 70, 5.5) << 1 << 20;
    QTest::newRow("huge coordinates") << QLineF(-huge, 5.5, huge, 5.5) << 1 << 20;
    QTest::newRow("not a number") << QLineF(nan, 1, 5, 5) << 1 << 0;
    QTest::newRow("infinite") << QLineF(-std::numeric_limits<double>::infinity(), 1, 5, 1) << 1 << 6;
    QTest::newRow("wide, from outside") << QLineF(-5, 0.5, 5.5, 0.5) << 3 << 7 * 2;
}

void TestCanvas::linesOffTheImageAreClipped()
{
    QFETCH(QLineF, line);
    QFETCH(int, width);
    QFETCH(int, pixels);

    Canvas canvas(QSize(20, 10), RGB(0, 0, 0));
    SetWorldWindow(canvas, 0, 0, 20, 10);
    canvas.SetDrawWidth(width);
    canvas.Line(static_cast<float>(line.x1()), static_cast<float>(line.y1()), static_cast<float>(line.x2()),
                static_cast<float>(line.y2()), RGB(255, 255, 255));
    QCOMPARE(PixelsOtherThan(canvas.Image(), RGB(0, 0, 0)).size(), pixels);
}

void TestCanvas::continuingLineDrawsItsStartWhenItMayHaveChanged_data()
{
    QTest::addColumn<QString>("between");
    QTest::addColumn<int>("secondColor");
    QTest::addColumn<QList<QPoint>>("pixels");

    const PackedColor red = RGB(255, 0, 0);
    const PackedColor blue = RGB(0, 0, 255);
    QTest::newRow("nothing") << "" << red << QList<QPoint>{{2, 2}, {3, 2}, {4, 2}};
    QTest::newRow("Cls") << "cls" << red << QList<QPoint>{{3, 2}, {4, 2}};
    QTest::newRow("BackColor") << "backcolor" << red << QList<QPoint>{{3, 2}, {4, 2}};
    QTest::newRow("colour changes") << "" << blue << QList<QPoint>{{2, 2}, {3, 2}, {4, 2}};
    QTest::newRow("world window moves") << "scale" << red << QList<QPoint>{{2, 2}, {3, 2}, {4, 2}, {5, 2}};
}

void TestCanvas::continuingLineDrawsItsStartWhenItMayHaveChanged()
{
    QFETCH(QString, between);
    QFETCH(int, secondColor);
    QFETCH(QList<QPoint>, pixels);

    Canvas canvas(QSize(10, 10), RGB(0, 0, 0));
    SetWorldWindow(canvas, 0, 0, 10, 10);
    canvas.Line(2.5F, 2.5F, 3.5F, 2.5F, RGB(255, 0, 0));
    if (between == u"cls") {
        canvas.Cls();
    } else if (between == u"backcolor") {
        canvas.SetBackColor(RGB(0, 0, 0));
    } else if (between == u"scale") {
        canvas.SetScaleLeft(-1);
    }
    canvas.TakeDirty();
    const QImage before = canvas.Image().copy();
    canvas.Line(3.5F, 2.5F, 4.5F, 2.5F, secondColor);

    QList<QPoint> found = PixelsOtherThan(canvas.Image(), RGB(0, 0, 0));
    std::sort(found.begin(), found.end(), [](QPoint a, QPoint b) { return a.x() < b.x(); });
    QCOMPARE(found, pixels);
    // The second line's pixels carry its colour, and whatever changed is marked.
    const QPoint end = pixels.back();
    const QPoint start(end.x() - 1, end.y());
    QCOMPARE(canvas.Image().pixel(start), Canvas::ToQRgb(secondColor));
    QCOMPARE(canvas.Image().pixel(end), Canvas::ToQRgb(secondColor));
    const QRect dirty = canvas.TakeDirty();
    for (int y = 0; y < before.height(); ++y) {
        for (int x = 0; x < before.width(); ++x) {
            if (before.pixel(x, y) != canvas.Image().pixel(x, y)) {
                QVERIFY2(dirty.contains(x, y), qPrintable(QStringLiteral("%1,%2 unmarked").arg(x).arg(y)));
            }
        }
    }
}

void TestCanvas::dirtyBoxCoversWhatChanged()
{
    Canvas canvas(QSize(100, 100), RGB(0, 0, 0));
    SetWorldWindow(canvas, 0, 0, 100, 100);
    canvas.TakeDirty();
    QVERIFY(canvas.TakeDirty().isEmpty());

    canvas.Line(10.5, 20.5, 30.5, 25.5, RGB(255, 0, 0));
    canvas.Line(50.5, 5.5, 50.5, 5.5, RGB(255, 0, 0));
    QCOMPARE(canvas.TakeDirty(), QRect(QPoint(10, 5), QPoint(50, 25)));
    QVERIFY(canvas.TakeDirty().isEmpty());

    canvas.Cls();
    QCOMPARE(canvas.TakeDirty(), QRect(0, 0, 100, 100));
}

void TestCanvas::dirtyBoxOfALineEitherWay_data()
{
    QTest::addColumn<QPointF>("from");
    QTest::addColumn<QPointF>("to");
    const QPointF centre(50.5, 50.5);
    for (int dx = -1; dx <= 1; ++dx) {
        for (int dy = -1; dy <= 1; ++dy) {
            if (dx != 0 || dy != 0) {
                QTest::addRow("towards %+d,%+d", dx, dy) << centre << centre + QPointF(20 * dx, 10 * dy);
            }
        }
    }
}

void TestCanvas::dirtyBoxOfALineEitherWay()
{
    QFETCH(QPointF, from);
    QFETCH(QPointF, to);
    const auto pixel = [](QPointF point) { return QPoint(static_cast<int>(point.x()), static_cast<int>(point.y())); };
    const QRect expected(QPoint(std::min(pixel(from).x(), pixel(to).x()), std::min(pixel(from).y(), pixel(to).y())),
                         QPoint(std::max(pixel(from).x(), pixel(to).x()), std::max(pixel(from).y(), pixel(to).y())));
    Canvas canvas(QSize(100, 100), RGB(0, 0, 0));
    SetWorldWindow(canvas, 0, 0, 100, 100);
    canvas.TakeDirty();
    canvas.Line(static_cast<float>(from.x()), static_cast<float>(from.y()), static_cast<float>(to.x()),
                static_cast<float>(to.y()), RGB(255, 0, 0));
    QCOMPARE(canvas.TakeDirty(), expected);
    // And as a curve's later line, far from the last one's end.
    canvas.Curve({0, 0, 100, 100}, [&](auto &&first, auto &&next) {
        first(static_cast<float>(to.x()), static_cast<float>(to.y()), static_cast<float>(from.x()),
              static_cast<float>(from.y()), RGB(0, 255, 0));
        canvas.TakeDirty();
        next(static_cast<float>(from.x()), static_cast<float>(from.y()), static_cast<float>(to.x()),
             static_cast<float>(to.y()), RGB(0, 255, 0));
        return 2;
    });
    QCOMPARE(canvas.TakeDirty(), expected);
}

void TestCanvas::dirtyBoxAfterARefreshInsideACurve_data()
{
    QTest::addColumn<QRectF>("reach");
    QTest::addColumn<QRect>("bound"); // what the box may grow to
    // A reach the image holds is marked whole, a pixel to spare each way.
    QTest::newRow("reach on the image") << QRectF(40, 40, 20, 20) << QRect(QPoint(39, 39), QPoint(61, 61));
    // Otherwise each line marks its own, from the pixel it starts on.
    QTest::newRow("reach to the edge: line by line") << QRectF(0, 0, 100, 100) << QRect(QPoint(48, 50), QPoint(50, 50));
}

void TestCanvas::dirtyBoxAfterARefreshInsideACurve()
{
    QFETCH(QRectF, reach);
    QFETCH(QRect, bound);
    Canvas canvas(QSize(100, 100), RGB(0, 0, 0));
    SetWorldWindow(canvas, 0, 0, 100, 100);
    canvas.Curve({reach.left(), reach.top(), reach.right(), reach.bottom()}, [&canvas](auto &&first, auto &&next) {
        first(51.5F, 50.5F, 50.5F, 50.5F, RGB(255, 0, 0));
        canvas.TakeDirty(); // a refresh mid-curve
        // Pixels a line apart, moving left: each must widen the box both ways.
        next(50.5F, 50.5F, 49.5F, 50.5F, RGB(255, 0, 0));
        next(49.5F, 50.5F, 48.5F, 50.5F, RGB(255, 0, 0));
        return 3;
    });
    const QRect dirty = canvas.TakeDirty();
    QVERIFY2(dirty.contains(QRect(QPoint(48, 50), QPoint(49, 50))), qPrintable(QDebug::toString(dirty)));
    QVERIFY2(bound.contains(dirty), qPrintable(QDebug::toString(dirty)));
    // The curve has ended: nothing more to show.
    QVERIFY(canvas.TakeDirty().isEmpty());
}

void TestCanvas::curvesNearTheEdgeStayOnTheImage_data()
{
    QTest::addColumn<QPointF>("edge"); // the last line's end, under a pixel off the image
    QTest::addColumn<QList<QPoint>>("pixels");
    QTest::newRow("right") << QPointF(30.5, 15.5) << QList<QPoint>{{28, 15}, {29, 15}};
    QTest::newRow("left") << QPointF(-0.5, 15.5) << QList<QPoint>{{0, 15}, {1, 15}};
    QTest::newRow("top") << QPointF(15.5, -0.5) << QList<QPoint>{{15, 0}, {15, 1}};
    QTest::newRow("bottom") << QPointF(15.5, 30.5) << QList<QPoint>{{15, 28}, {15, 29}};
}

void TestCanvas::curvesNearTheEdgeStayOnTheImage()
{
    QFETCH(QPointF, edge);
    QFETCH(QList<QPoint>, pixels);
    Canvas canvas(QSize(30, 30), RGB(0, 0, 0));
    SetWorldWindow(canvas, 0, 0, 30, 30);
    // Two lines towards the edge; the reach ends half a pixel past it.
    const QPointF step = (edge - QPointF(15.5, 15.5)) / 15;
    const QPointF middle = edge - step;
    const QPointF start = middle - step;
    const WorldBox reach{std::min(start.x(), edge.x()), std::min(start.y(), edge.y()), std::max(start.x(), edge.x()),
                         std::max(start.y(), edge.y())};
    canvas.Curve(reach, [&](auto &&first, auto &&next) {
        const auto f = [](double v) { return static_cast<float>(v); };
        first(f(start.x()), f(start.y()), f(middle.x()), f(middle.y()), RGB(255, 255, 255));
        next(f(middle.x()), f(middle.y()), f(edge.x()), f(edge.y()), RGB(255, 255, 255));
        return 2;
    });
    QList<QPoint> lit = PixelsOtherThan(canvas.Image(), RGB(0, 0, 0));
    std::sort(lit.begin(), lit.end(),
              [](QPoint a, QPoint b) { return std::pair(a.y(), a.x()) < std::pair(b.y(), b.x()); });
    QCOMPARE(lit, pixels);
}

void TestCanvas::aCopyOfTheImageKeepsItsPixels()
{
    Canvas canvas(QSize(8, 8), RGB(255, 0, 0));
    SetWorldWindow(canvas, 0, 0, 8, 8);
    const QImage beforeCls = canvas.Image();
    canvas.SetBackColor(RGB(0, 0, 255));
    canvas.Line(1.5, 1.5, 1.5, 1.5, RGB(255, 255, 255));
    const QImage beforeLine = canvas.Image();
    canvas.Curve({2, 2, 3, 3}, [](auto &&first, auto && /*next*/) {
        first(2.5F, 2.5F, 2.5F, 2.5F, RGB(255, 255, 255));
        return 1;
    });

    QCOMPARE(PixelsOtherThan(beforeCls, RGB(255, 0, 0)), QList<QPoint>());
    QCOMPARE(PixelsOtherThan(beforeLine, RGB(0, 0, 255)), QList<QPoint>{QPoint(1, 1)});
    QCOMPARE(PixelsOtherThan(canvas.Image(), RGB(0, 0, 255)), (QList<QPoint>{QPoint(1, 1), QPoint(2, 2)}));
}

void TestCanvas::resizeKeepsThePicture()
{
    Canvas canvas(QSize(10, 10), RGB(0, 0, 0));
    SetWorldWindow(canvas, 0, 0, 10, 10);
    canvas.Line(2.5, 2.5, 2.5, 2.5, RGB(255, 255, 255));
    canvas.Resize(QSize(30, 40), 1.0);
    canvas.Resize(QSize(20, 15), 1.0);
    QCOMPARE(canvas.Image().size(), QSize(20, 15));
    QCOMPARE(canvas.TakeDirty(), QRect(0, 0, 20, 15));
    QCOMPARE(PixelsOtherThan(canvas.Image(), RGB(0, 0, 0)), QList<QPoint>{QPoint(2, 2)});
    // The world window now spans the larger image.
    canvas.Line(9.9F, 9.9F, 9.9F, 9.9F, RGB(255, 255, 255));
    QCOMPARE(canvas.Image().pixel(19, 14), qRgb(255, 255, 255));
}

QTEST_MAIN(TestCanvas)
#include "tst_canvas.moc"
