#include "DivePath.h"
#include "PictureWorld.h"

#include <QtTest>

#include <cmath>

using namespace levyc;

Q_DECLARE_METATYPE(levyc::WorldWindow)

namespace {

// The white curve's lower right corner, about a billion times closer than the Draw.
constexpr WorldWindow DeepEdge{299.9999996, -399.9999995, 300.0000004, -400.0000005};

double Width(const WorldWindow &window)
{
    return window.Right - window.Left;
}

bool Near(double a, double b, double relative)
{
    return std::abs(a - b) <= relative * std::max(std::abs(a), std::abs(b));
}

} // namespace

class TestDivePath : public QObject
{
    Q_OBJECT

private slots:
    void frames_data();
    void frames();
};

void TestDivePath::frames_data()
{
    QTest::addColumn<WorldWindow>("from");
    QTest::addColumn<WorldWindow>("to");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<int>("fps");
    QTest::addColumn<int>("frames");

    QTest::newRow("the Draw to the white curve's corner") << PictureWorld << DeepEdge << 3.0 << 15 << 45;
    QTest::newRow("out from the corner to the Draw") << DeepEdge << PictureWorld << 3.0 << 15 << 45;
    QTest::newRow("ten seconds at 30 fps, odd frames") << PictureWorld << DeepEdge << 10.1 << 30 << 303;
    // 28.999999999999996 frames, counted as 29.
    QTest::newRow("0.29 s at 100 fps") << PictureWorld << DeepEdge << 0.29 << 100 << 29;
    QTest::newRow("shorter than both eases") << PictureWorld << WorldWindow{0, 10, 100, -90} << 0.7 << 10 << 7;
    QTest::newRow("a plain move: no zoom") << WorldWindow{0, 10, 10, 0} << WorldWindow{5, 12, 15, 2} << 2.2 << 5 << 11;
    QTest::newRow("a wide first view, a tall last one")
        << WorldWindow{-8, 1, 8, -1} << WorldWindow{1, 4, 2, -4} << 1.5 << 30 << 45;
}

// First and last frame exactly; the middle frame at the geometric mean of the
// widths; one world point fixed on screen; a steady ratio between eases.
void TestDivePath::frames()
{
    QFETCH(WorldWindow, from);
    QFETCH(WorldWindow, to);
    QFETCH(double, seconds);
    QFETCH(int, fps);
    QFETCH(int, frames);

    const DivePath path(from, to, seconds, fps);
    QCOMPARE(path.Frames(), frames);
    const WorldWindow last = path.Frame(frames - 1);
    QCOMPARE(path.Frame(0), from);
    QCOMPARE(last, DivePath::WithShapeOf(to, from));
    // The last view holds all of the one asked for, centred on it, with the first's shape.
    QVERIFY(Near(last.Left + last.Right, to.Left + to.Right, 1e-12) || std::abs(to.Left + to.Right) < 1e-12);
    QVERIFY(std::abs(Width(last)) >= std::abs(Width(to)) * (1 - 1e-12));
    QVERIFY(std::abs(last.Top - last.Bottom) >= std::abs(to.Top - to.Bottom) * (1 - 1e-12));
    // A width of 1e-6 at 300 is known to about 1e-16 * 300 / 1e-6.
    QVERIFY(Near((last.Bottom - last.Top) / Width(last), (from.Bottom - from.Top) / Width(from), 1e-6));
    QVERIFY(Width(last) * Width(from) > 0);

    const WorldWindow middle = path.Frame((frames - 1) / 2);
    QVERIFY2(Near(Width(middle), std::sqrt(Width(from) * Width(last)), 1e-9),
             qPrintable(QStringLiteral("middle width %1 against %2")
                            .arg(Width(middle), 0, 'g', 17)
                            .arg(std::sqrt(Width(from) * Width(last)), 0, 'g', 17)));

    const double ratio = Width(last) / Width(from);
    const double ease = std::min(DivePath::EaseSeconds, (frames - 1) / (2.0 * fps));
    double steady = 0;
    double previousStep = 0;
    for (int i = 0; i + 1 < frames; ++i) {
        const WorldWindow a = path.Frame(i);
        const WorldWindow b = path.Frame(i + 1);
        const double step = std::log(Width(b) / Width(a)) / std::log(ratio == 1 ? 2.0 : ratio);
        // The world point at the fixed place: none when nothing zooms.
        if (ratio != 1) {
            const double u = (last.Left - ratio * from.Left) / (1 - ratio);
            const double v = (last.Top - ratio * from.Top) / (1 - ratio);
            const double x = (u - a.Left) / Width(a);
            const double y = (v - a.Top) / (a.Bottom - a.Top);
            QVERIFY(Near(x, (u - b.Left) / Width(b), 1e-6) || std::abs(x) < 1e-9);
            QVERIFY(Near(y, (v - b.Top) / (b.Bottom - b.Top), 1e-6) || std::abs(y) < 1e-9);
            QVERIFY2(step > 0, qPrintable(QStringLiteral("frame %1 does not move on").arg(i)));
        } else {
            QCOMPARE(Width(b), Width(a));
        }
        const double start = static_cast<double>(i) / fps;
        const double end = static_cast<double>(i + 1) / fps;
        if (start >= ease - 1e-9 && end <= (frames - 1.0) / fps - ease + 1e-9) {
            if (steady == 0) {
                steady = step;
            }
            QVERIFY2(Near(step, steady, 1e-6),
                     qPrintable(QStringLiteral("frame %1: %2 against %3").arg(i).arg(step).arg(steady)));
        } else if (end <= ease + 1e-9 && ratio != 1) {
            // Easing in: each step longer than the last.
            QVERIFY(step > previousStep);
        }
        previousStep = step;
    }
}

QTEST_APPLESS_MAIN(TestDivePath)
#include "tst_divepath.moc"
