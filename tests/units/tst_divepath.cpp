#include "drawing/PictureSize.h"
#include "views/DivePath.h"
#include "world/PictureWorld.h"

#include <QtTest>

#include <cmath>
#include <vector>

using namespace levyc;

Q_DECLARE_METATYPE(levyc::WorldWindow)

namespace {

// The white curve's lower right corner, about a billion times closer than the Draw.
constexpr WorldWindow DeepEdge{299.9999996, -399.9999995, 300.0000004, -400.0000005};
constexpr QSize Hd(1280, 720);

double Width(const WorldWindow &window)
{
    return window.Right - window.Left;
}

// Where a world point shows on a frame, in pixels from its top-left corner.
QPointF OnScreen(const WorldWindow &window, QSize size, double x, double y)
{
    return {(x - window.Left) / Width(window) * size.width(), (y - window.Top) / window.Height() * size.height()};
}

// van Wijk and Nuij's optimal path, as their paper writes it, between views
// given by centre and width, in pixels of the first view: u is the way gone
// from the first centre toward the second, w the width. In long double, as
// the paper's r = ln(-b + sqrt(b^2 + 1)) loses digits for large b.
class Model
{
public:
    Model(const WorldWindow &from, const WorldWindow &to, QSize size)
        : pixelX_(std::abs(Width(from)) / size.width())
        , pixelY_(std::abs(from.Height()) / size.height())
    {
        const long double rho = std::sqrt(2.0L);
        x0_ = (from.Left + from.Right) / 2 / pixelX_;
        y0_ = (from.Top + from.Bottom) / 2 / pixelY_;
        const long double x1 = (to.Left + to.Right) / 2 / pixelX_;
        const long double y1 = (to.Top + to.Bottom) / 2 / pixelY_;
        w0_ = std::abs(Width(from)) / pixelX_;
        const long double w1 = std::abs(Width(to)) / pixelX_;
        u1_ = std::hypot(x1 - x0_, y1 - y0_);
        const auto b = [&](int i) {
            return (w1 * w1 - w0_ * w0_ + (i == 0 ? 1 : -1) * std::pow(rho, 4) * u1_ * u1_) /
                   (2 * (i == 0 ? w0_ : w1) * rho * rho * u1_);
        };
        const auto r = [&](int i) { return std::log(-b(i) + std::sqrt(b(i) * b(i) + 1)); };
        r0_ = r(0);
        r1_ = r(1);
        length_ = (r(1) - r0_) / rho;
    }

    [[nodiscard]] double Length() const { return static_cast<double>(length_); }
    [[nodiscard]] long double U(long double s) const
    {
        const long double rho = std::sqrt(2.0L);
        return w0_ / (rho * rho) * std::cosh(r0_) * std::tanh(rho * s + r0_) - w0_ / (rho * rho) * std::sinh(r0_);
    }
    [[nodiscard]] long double W(long double s) const
    {
        return w0_ * std::cosh(r0_) / std::cosh(std::sqrt(2.0L) * s + r0_);
    }
    // The widest view on the path, as a width in world units.
    [[nodiscard]] double WidestWorld() const
    {
        return static_cast<double>(std::max({w0_, W(0), W(length_), r0_ < 0 && r1_ > 0 ? w0_ * std::cosh(r0_) : 0.0L}) *
                                   pixelX_);
    }
    // The way gone by a window's centre, and its width, in the first view's pixels.
    [[nodiscard]] long double UOf(const WorldWindow &window) const
    {
        return std::hypot((window.Left + window.Right) / 2 / pixelX_ - x0_,
                          (window.Top + window.Bottom) / 2 / pixelY_ - y0_);
    }
    [[nodiscard]] long double WOf(const WorldWindow &window) const { return std::abs(Width(window)) / pixelX_; }
    // The s at which the path has gone u: u grows along the whole path.
    [[nodiscard]] long double SOf(long double u) const
    {
        long double low = 0;
        long double high = length_;
        for (int i = 0; i < 200; ++i) {
            const long double middle = (low + high) / 2;
            (U(middle) < u ? low : high) = middle;
        }
        return (low + high) / 2;
    }

private:
    long double pixelX_;
    long double pixelY_;
    long double x0_ = 0;
    long double y0_ = 0;
    long double w0_ = 0;
    long double u1_ = 0;
    long double r0_ = 0;
    long double r1_ = 0;
    long double length_ = 0;
};

} // namespace

class TestDivePath : public QObject
{
    Q_OBJECT

private slots:
    void framesRoundToTheNearest_data();
    void framesRoundToTheNearest();
    void followsTheModel_data();
    void followsTheModel();
    void targetComesToTheCentre_data();
    void targetComesToTheCentre();
    void throughViews_data();
    void throughViews();
    void startKeepsTheDrawsShape_data();
    void startKeepsTheDrawsShape();
    void holdsStayAndEase_data();
    void holdsStayAndEase();
};

void TestDivePath::framesRoundToTheNearest_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<int>("fps");
    QTest::addColumn<int>("frames");
    QTest::newRow("ten seconds at 30 fps, odd frames") << 10.1 << 30 << 303;
    // 28.999999999999996 frames, counted as 29.
    QTest::newRow("0.29 s at 100 fps") << 0.29 << 100 << 29;
}

void TestDivePath::framesRoundToTheNearest()
{
    QFETCH(double, seconds);
    QFETCH(int, fps);
    QFETCH(int, frames);
    QCOMPARE(DivePath(PictureWorld, DeepEdge, seconds, fps).Frames(), frames);
}

void TestDivePath::followsTheModel_data()
{
    QTest::addColumn<WorldWindow>("from");
    QTest::addColumn<WorldWindow>("to");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<int>("fps");
    QTest::addColumn<bool>("outAndIn"); // wider in the middle than at either end

    QTest::newRow("nested: into the Draw's lower right")
        << PictureWorld << WorldWindow{295, -395, 305, -405} << 4.0 << 30 << false;
    QTest::newRow("pan only, half a view to the side")
        << WorldWindow{0, 10, 16, 1} << WorldWindow{8, 10, 24, 1} << 2.0 << 25 << true;
    QTest::newRow("far apart: two small views 1000 widths away")
        << WorldWindow{-100, 1, -99, 0} << WorldWindow{900, 1, 901, 0} << 3.0 << 30 << true;
    QTest::newRow("zoom out from a corner to the Draw")
        << WorldWindow{299, -399, 301, -401} << PictureWorld << 3.0 << 30 << false;
}

// Every frame a window of the model's path: its width where the model has it
// for the way its centre has gone, at a steady speed between the eases and
// slower in them; the first and last frames the views themselves.
void TestDivePath::followsTheModel()
{
    QFETCH(WorldWindow, from);
    QFETCH(WorldWindow, to);
    QFETCH(double, seconds);
    QFETCH(int, fps);
    QFETCH(bool, outAndIn);

    const QSize size(320, 180);
    const DivePath path(from, to, seconds, fps, size);
    const WorldWindow last = DivePath::WithShapeOf(to, from);
    const Model model(from, last, size);
    QCOMPARE(path.Frames(), static_cast<int>(std::lround(seconds * fps)));
    QCOMPARE(path.Frame(0), from);
    QCOMPARE(path.Frame(path.Frames() - 1), last);

    std::vector<double> along;
    for (int i = 0; i < path.Frames(); ++i) {
        const WorldWindow frame = path.Frame(i);
        const long double s = model.SOf(model.UOf(frame));
        QVERIFY2(std::abs(model.WOf(frame) / model.W(s) - 1) < 1e-6,
                 qPrintable(QStringLiteral("frame %1: width %2, the model's %3 at that centre")
                                .arg(i)
                                .arg(static_cast<double>(model.WOf(frame)), 0, 'g', 12)
                                .arg(static_cast<double>(model.W(s)), 0, 'g', 12)));
        // The shape is the first view's; the centre on the line between the two.
        QVERIFY(std::abs(frame.Height() / Width(frame) - from.Height() / Width(from)) < 1e-9);
        along.push_back(static_cast<double>(s));
    }
    QVERIFY(std::abs(along.back() - model.Length()) < 1e-6 * model.Length());

    const double ease = DivePath::EaseSeconds * fps;
    const double steady = model.Length() / (path.Frames() - 1 - ease);
    for (int i = 1; i < path.Frames(); ++i) {
        const double step = along[i] - along[i - 1];
        if (i - 1 >= ease && i <= path.Frames() - 1 - ease) {
            QVERIFY2(std::abs(step / steady - 1) < 1e-4,
                     qPrintable(QStringLiteral("frame %1 goes %2, the steady %3").arg(i).arg(step).arg(steady)));
        } else {
            QVERIFY2(step > 0 && step < steady * (1 + 1e-4), qPrintable(QStringLiteral("frame %1 eases").arg(i)));
        }
    }
    const double widest = std::abs(Width(path.Widest()));
    QVERIFY(std::abs(widest / model.WidestWorld() - 1) < 1e-6);
    QCOMPARE(widest > 1.01 * std::max(std::abs(Width(from)), std::abs(Width(last))), outAndIn);
}

void TestDivePath::targetComesToTheCentre_data()
{
    QTest::addColumn<WorldWindow>("from");
    QTest::addColumn<WorldWindow>("to");

    // The Draw's shape at 16:9, around its centre.
    const WorldWindow start{-414, 410, 624, -500};
    QTest::newRow("a billion times into the white curve's corner") << start << DeepEdge;
    QTest::newRow("a billion times narrower than a pixel of the Draw")
        << start << WorldWindow{299.9999999995, -399.9999999995, 300.0000000005, -400.0000000005};
    QTest::newRow("a thousand times into the upper left") << start << WorldWindow{-250.5, 350.5, -249.5, 349.5};
}

// Over a 10 s HD dive into a view held by the first, the target moves toward
// the centre of the frame on every frame, and has come most of the way by the
// middle: it does not wait at the side for the last seconds.
void TestDivePath::targetComesToTheCentre()
{
    QFETCH(WorldWindow, from);
    QFETCH(WorldWindow, to);

    const DivePath path(from, to, 10, 30, Hd);
    const double targetX = (to.Left + to.Right) / 2;
    const double targetY = (to.Top + to.Bottom) / 2;
    const QPointF centre(Hd.width() / 2.0, Hd.height() / 2.0);
    std::vector<double> distances;
    double previous = HUGE_VAL;
    for (int i = 0; i < path.Frames(); ++i) {
        const QPointF target = OnScreen(path.Frame(i), Hd, targetX, targetY);
        const double distance = std::hypot(target.x() - centre.x(), target.y() - centre.y());
        // Within a quarter pixel it stays: the corners' rounding at the
        // deepest views moves the picture by a few hundredths.
        QVERIFY2(
            distance < previous || distance < 0.25,
            qPrintable(
                QStringLiteral("frame %1: %2 pixels from the centre, %3 before").arg(i).arg(distance).arg(previous)));
        distances.push_back(distance);
        previous = distance;
    }
    const auto centred = std::find_if(distances.begin(), distances.end(), [](double d) { return d < 0.25; });
    QVERIFY(std::all_of(centred, distances.end(), [](double d) { return d < 0.25; }));
    const double half = distances[path.Frames() / 2];
    QVERIFY2(
        half < distances.front() / 4,
        qPrintable(QStringLiteral("%1 pixels off at the middle, %2 at the start").arg(half).arg(distances.front())));
    // Not there at once either: it comes in over the first seconds.
    QVERIFY(distances[30] > distances.front() / 10);
}

void TestDivePath::throughViews_data()
{
    QTest::addColumn<QList<WorldWindow>>("views");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<int>("fps");

    QTest::newRow("in, across and in again")
        << QList<WorldWindow>{PictureWorld, {-100, 100, 100, -100}, {150, -250, 250, -350}, DeepEdge} << 10.0 << 30;
    QTest::newRow("out and back, odd frames")
        << QList<WorldWindow>{{0, 1, 1, 0}, {-50, 50, 50, -50}, {2, 1, 3, 0}} << 3.3 << 25;
    QTest::newRow("a view given twice")
        << QList<WorldWindow>{PictureWorld, {0, 10, 10, 0}, {0, 10, 10, 0}, PictureWorld} << 2.0 << 30;
}

// Each view, in its first view's shape, is a frame of the dive, in order; the
// legs take frames in proportion to their lengths in the model's metric.
void TestDivePath::throughViews()
{
    QFETCH(QList<WorldWindow>, views);
    QFETCH(double, seconds);
    QFETCH(int, fps);

    const QSize size(320, 180);
    const DivePath path(std::span<const WorldWindow>(views.constData(), views.size()), seconds, fps, size);
    QCOMPARE(path.Frames(), static_cast<int>(std::lround(seconds * fps)));
    int from = 0;
    std::vector<int> reached;
    for (const WorldWindow &view : views) {
        const WorldWindow shaped = DivePath::WithShapeOf(view, views.first());
        int at = from;
        while (at < path.Frames() && path.Frame(at) != shaped) {
            ++at;
        }
        QVERIFY2(at < path.Frames(), qPrintable(QStringLiteral("view %1 never shown").arg(reached.size())));
        reached.push_back(at);
        from = at;
    }
    QCOMPARE(reached.front(), 0);
    QCOMPARE(reached.back(), path.Frames() - 1);

    // Every leg at the steady speed of the whole path, less the eases, in
    // the first and last: the middle legs take frames by their lengths, to
    // within a frame's rounding.
    std::vector<double> lengths;
    double total = 0;
    for (qsizetype i = 0; i + 1 < views.size(); ++i) {
        const WorldWindow a = DivePath::WithShapeOf(views[i], views.first());
        const WorldWindow b = DivePath::WithShapeOf(views[i + 1], views.first());
        lengths.push_back(a == b ? 0.0 : Model(a, b, size).Length());
        total += lengths.back();
    }
    const double perFrame = total / (path.Frames() - 1 - DivePath::EaseSeconds * fps);
    // Past the first ease the film has gone half an ease's frames less than
    // at full speed: each view lands on the whole frame nearest its place.
    double gone = 0;
    for (std::size_t i = 0; i + 2 < reached.size(); ++i) {
        gone += lengths[i];
        const double place = DivePath::EaseSeconds * fps / 2 + gone / perFrame;
        QVERIFY2(
            std::abs(reached[i + 1] - place) <= 0.5 + 1e-9,
            qPrintable(QStringLiteral("view %1 at frame %2, due at %3").arg(i + 1).arg(reached[i + 1]).arg(place)));
    }
    for (std::size_t i = 1; i + 1 < lengths.size(); ++i) {
        const int frames = reached[i + 1] - reached[i];
        QVERIFY2(std::abs(frames - lengths[i] / perFrame) <= 1,
                 qPrintable(QStringLiteral("leg %1: %2 frames for %3").arg(i).arg(frames).arg(lengths[i] / perFrame)));
    }
    // The film does not stop at a view: the frames either side move.
    for (qsizetype i = 1; i + 1 < views.size(); ++i) {
        const int at = reached[static_cast<std::size_t>(i)];
        if (views[i] != views[i - 1] && views[i] != views[i + 1]) {
            QVERIFY(path.Frame(at - 1) != path.Frame(at));
            QVERIFY(path.Frame(at + 1) != path.Frame(at));
        }
    }
}

void TestDivePath::startKeepsTheDrawsShape_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("wider"); // than the Draw's view, or taller

    QTest::newRow("the picture's own size: the Draw's view") << PictureSize << false;
    QTest::newRow("HD: more at the sides") << Hd << true;
    QTest::newRow("a small 16:9 film") << QSize(64, 36) << true;
    QTest::newRow("a tall film: more above and below") << QSize(400, 800) << false;
}

// A dive's first frame shows the Draw's picture unsquashed: its pixels as
// long against their width as the window's are, around the Draw's centre,
// with all of the Draw's view in it.
void TestDivePath::startKeepsTheDrawsShape()
{
    QFETCH(QSize, size);
    QFETCH(bool, wider);

    const WorldWindow start = DivePath::StartAt(size);
    const auto pixelShape = [](const WorldWindow &window, QSize pixels) {
        return (window.Height() / pixels.height()) / (Width(window) / pixels.width());
    };
    QVERIFY(std::abs(pixelShape(start, size) / pixelShape(PictureWorld, PictureSize) - 1) < 1e-12);
    QCOMPARE(start.Left + start.Right, PictureWorld.Left + PictureWorld.Right);
    QCOMPARE(start.Top + start.Bottom, PictureWorld.Top + PictureWorld.Bottom);
    QCOMPARE(Width(start) > Width(PictureWorld), wider);
    QCOMPARE(start.Height() < PictureWorld.Height() * (1 + 1e-9), !wider && size != PictureSize); // y runs upward
    QVERIFY(Width(start) >= Width(PictureWorld) * (1 - 1e-12) &&
            -start.Height() >= -PictureWorld.Height() * (1 - 1e-12));
    if (size == PictureSize) {
        QCOMPARE(start, PictureWorld);
    }
}

void TestDivePath::holdsStayAndEase_data()
{
    QTest::addColumn<QList<WorldWindow>>("views");
    QTest::addColumn<QList<double>>("holds");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<int>("fps");

    const QList<WorldWindow> tour{PictureWorld, {-100, 100, 100, -100}, {150, -250, 250, -350}, DeepEdge};
    QTest::newRow("a hold on the way") << tour << QList<double>{0, 1, 0, 0} << 10.0 << 30;
    QTest::newRow("holds at both ends") << tour << QList<double>{0.5, 0, 0, 2} << 10.0 << 30;
    QTest::newRow("two holds, odd rate") << QList<WorldWindow>{{0, 1, 1, 0},
                                                               {-50, 50, 50, -50},
                                                               {2, 1, 3, 0},
                                                               {2.5, 0.5, 2.6, 0.4}}
                                         << QList<double>{0, 0.33, 1.5, 0} << 3.3 << 25;
    QTest::newRow("no holds: the plain dive") << tour << QList<double>{0, 0, 0, 0} << 10.0 << 30;
}

// Each held view is shown exactly for its hold's frames, which add to the
// film's length; the film eases into it and out of it, and moves as a plain
// dive would elsewhere.
void TestDivePath::holdsStayAndEase()
{
    QFETCH(QList<WorldWindow>, views);
    QFETCH(QList<double>, holds);
    QFETCH(double, seconds);
    QFETCH(int, fps);

    const QSize size(320, 180);
    const std::span<const WorldWindow> given(views.constData(), views.size());
    const DivePath path(given, seconds, fps, size, std::span<const double>(holds.constData(), holds.size()));
    const DivePath plain(given, seconds, fps, size);
    int held = 0;
    for (const double hold : holds) {
        held += static_cast<int>(std::lround(hold * fps));
    }
    QCOMPARE(path.Frames(), plain.Frames() + held);
    if (held == 0) {
        for (int i = 0; i < path.Frames(); ++i) {
            QCOMPARE(path.Frame(i), plain.Frame(i));
        }
        return;
    }
    // How far a frame has zoomed and moved from the one before, in widths of the wider.
    const auto step = [&](int i) {
        const WorldWindow a = path.Frame(i - 1);
        const WorldWindow b = path.Frame(i);
        return std::abs(std::log(Width(b) / Width(a))) +
               std::hypot(b.CentreX() - a.CentreX(), b.CentreY() - a.CentreY()) / std::max(Width(a), Width(b));
    };
    double fastest = 0;
    for (int i = 1; i < path.Frames(); ++i) {
        fastest = std::max(fastest, step(i));
    }
    int at = 0;
    for (qsizetype v = 0; v < views.size(); ++v) {
        const WorldWindow shaped = DivePath::WithShapeOf(views[v], views.first());
        while (at < path.Frames() && path.Frame(at) != shaped) {
            ++at;
        }
        QVERIFY2(at < path.Frames(), qPrintable(QStringLiteral("view %1 never shown").arg(v)));
        const int frames = static_cast<int>(std::lround(holds[v] * fps));
        int run = 1;
        while (at + run < path.Frames() && path.Frame(at + run) == shaped) {
            ++run;
        }
        QCOMPARE(run, frames + 1);
        if (frames > 0) {
            // Easing in and out: slow either side of the hold.
            QVERIFY2(at == 0 || step(at) < fastest / 4, qPrintable(QStringLiteral("into view %1").arg(v)));
            QVERIFY2(at + run == path.Frames() || step(at + run) < fastest / 4,
                     qPrintable(QStringLiteral("out of view %1").arg(v)));
        }
        at += run - 1;
    }
}

QTEST_APPLESS_MAIN(TestDivePath)
#include "tst_divepath.moc"
