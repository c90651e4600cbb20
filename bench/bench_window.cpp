// A full Draw in the real window, with all its refreshes, against the headless
// render in the same run; the frames it asked for; quick turns of the wheel:
// how soon the exact view comes, and how much the screen enlarges its
// pictures meanwhile; peak memory. Run it on a display (make bench starts Xvfb).
#include "Quantile.h"
#include "drawing/Passes.h"
#include "drawing/PictureSize.h"
#include "engine/FramePacer.h"
#include "render/RenderPicture.h"
#include "tests/support/PictureOnScreen.h"
#include "tests/support/ViewPoints.h"
#include "views/DiveFrame.h"
#include "views/DivePath.h"
#include "views/ViewRender.h"
#include "widgets/Form1.h"
#include "widgets/PictureBox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QPushButton>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

using namespace levyc;

namespace {

constexpr int Runs = 7;
constexpr int ZoomRuns = 20;
constexpr int Spins = 10;
constexpr int SpinNotches = 40;
constexpr double NotchZoom = 1.25;

double Median(const std::vector<double> &values)
{
    return Quantile(values, 0.5);
}

template <typename Work> double Milliseconds(Work &&work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// Counts the paint events a widget receives, and when they come.
class PaintCounter : public QObject
{
public:
    int paints = 0;
    std::vector<qint64> times; // on clock
    QElapsedTimer clock;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
            times.push_back(clock.nsecsElapsed());
        }
        return QObject::eventFilter(watched, event);
    }
};

// Each exact view painted, as the window logs it: the time on `clock`.
QElapsedTimer *exactClock = nullptr;
qint64 exactNs = -1;
QtMessageHandler passOn = nullptr;
// Each frame painted while recording: how many screen pixels a pixel of its
// picture spans (1 for an exact view), and how many times wider the view it
// is placed for is than the view asked for.
bool recording = false;
// The dive played: its frames shown, and, once it has ended, its late ones
// and how far behind they put it.
int playFrames = 0;
int playLate = -1;
double playSlippedMs = 0;
std::vector<double> enlargements;
std::vector<double> behind;
int exactViews = 0;

void NotePlay(const QString &message)
{
    if (message.startsWith(u"frame ")) {
        ++playFrames;
    } else if (message.startsWith(u"ended: ")) {
        const QStringList words = message.split(u' ');
        playLate = words.value(1).toInt();
        playSlippedMs = words.value(3).toDouble();
    }
}

void NoteExactView(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (qstrcmp(context.category, "levyc.play") == 0) {
        NotePlay(message);
        return;
    }
    if (qstrcmp(context.category, "levyc.view") != 0) {
        passOn(type, context, message);
        return;
    }
    if (message.startsWith(u"shown ")) {
        if (exactClock != nullptr) {
            exactNs = exactClock->nsecsElapsed();
        }
        if (recording) {
            enlargements.push_back(1.0);
            behind.push_back(1.0);
            ++exactViews;
        }
    } else if (message.startsWith(u"preview ") && recording) {
        const QStringList words = message.split(u' ');
        enlargements.push_back(words.value(2).toDouble());
        behind.push_back(words.value(4).toDouble());
    }
}

template <typename Done> void ProcessUntil(Done &&done, qint64 timeoutNs)
{
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.nsecsElapsed() < timeoutNs) {
        QApplication::processEvents(QEventLoop::AllEvents, 1);
    }
}

struct ZoomRun
{
    double settleMs = -1;        // from the last notch to the exact picture painted
    double longestGapFrames = 0; // display frames between picture updates while notches come
};

// Ten wheel notches over the picture, one per display frame, as a quick turn
// of the wheel sends them.
ZoomRun ZoomTenNotches(PictureBox *picture, PaintCounter &counter)
{
    constexpr int Notches = 10;
    const qint64 frame = FrameIntervalNs(picture->screen());
    exactClock = &counter.clock;
    counter.clock.start();
    exactNs = -1;
    if (picture->View() != PictureWorld) {
        picture->ResetView();
        ProcessUntil([&] { return exactNs >= 0; }, 2'000'000'000);
    }
    counter.times.clear();
    counter.clock.start();
    const QPointF at(300, 200);
    qint64 lastNotchNs = 0;
    for (int notch = 0; notch < Notches; ++notch) {
        lastNotchNs = counter.clock.nsecsElapsed();
        QWheelEvent wheel(at, picture->mapToGlobal(at), {}, {0, 120}, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                          false);
        QApplication::sendEvent(picture, &wheel);
        exactNs = -1;
        const qint64 next = lastNotchNs + frame;
        ProcessUntil([&] { return counter.clock.nsecsElapsed() >= next; }, frame);
    }
    ProcessUntil([&] { return exactNs >= 0; }, 2'000'000'000);
    ZoomRun run;
    if (exactNs < 0) {
        return run;
    }
    run.settleMs = static_cast<double>(exactNs - lastNotchNs) / 1e6;
    // From the first notch to the preview of the last: after it nothing
    // changes on screen until the exact picture comes.
    qint64 previous = 0;
    for (const qint64 time : counter.times) {
        run.longestGapFrames =
            std::max(run.longestGapFrames, static_cast<double>(time - previous) / static_cast<double>(frame));
        previous = time;
        if (time > lastNotchNs) {
            break;
        }
    }
    return run;
}

struct SpinRun
{
    double largest = 0;   // the largest enlargement on screen
    double farthest = 1;  // the most the screen lagged, as a zoom factor
    int frames = 0;       // pictures painted, from the first notch to the exact view
    int exactViews = 0;   // exact views painted until a frame after the last notch
    double settleMs = -1; // from the last notch to the exact view painted
};

// A spin of the wheel from `start`, a notch per display frame about the
// picture's centre, until the exact view of its end is painted.
SpinRun Spin(PictureBox *picture, const WorldWindow &start, std::vector<double> &frames)
{
    const qint64 frame = FrameIntervalNs(picture->screen());
    QElapsedTimer clock;
    exactClock = &clock;
    clock.start();
    exactNs = -1;
    picture->SetView(start);
    if (!picture->PictureReady()) {
        ProcessUntil([&] { return exactNs >= 0; }, 5'000'000'000);
    }
    ProcessUntil([] { return false; }, 2 * frame);
    enlargements.clear();
    behind.clear();
    exactViews = 0;
    recording = true;
    const QPointF at(picture->contentsRect().center());
    qint64 lastNotchNs = 0;
    SpinRun run;
    for (int notch = 0; notch < SpinNotches; ++notch) {
        lastNotchNs = clock.nsecsElapsed();
        QWheelEvent wheel(at, picture->mapToGlobal(at), {}, {0, 120}, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                          false);
        QApplication::sendEvent(picture, &wheel);
        exactNs = -1;
        const qint64 next = lastNotchNs + frame;
        ProcessUntil([&] { return clock.nsecsElapsed() >= next; }, frame);
    }
    run.exactViews = exactViews;
    ProcessUntil([&] { return exactNs >= 0; }, 5'000'000'000);
    recording = false;
    if (exactNs >= 0) {
        run.settleMs = static_cast<double>(exactNs - lastNotchNs) / 1e6;
    }
    run.frames = static_cast<int>(enlargements.size());
    for (std::size_t i = 0; i < enlargements.size(); ++i) {
        run.largest = std::max(run.largest, enlargements[i]);
        run.farthest = std::max(run.farthest, behind[i]);
    }
    frames.insert(frames.end(), enlargements.begin(), enlargements.end());
    return run;
}

void PrintSpins(PictureBox *picture, const char *name, const WorldWindow &start)
{
    std::vector<double> frames;
    std::vector<double> largest;
    std::vector<double> farthest;
    std::vector<double> exact;
    std::vector<double> settle;
    int painted = 0;
    for (int spin = 0; spin < Spins; ++spin) {
        const SpinRun run = Spin(picture, start, frames);
        largest.push_back(run.largest);
        farthest.push_back(std::log(run.farthest) / std::log(NotchZoom));
        exact.push_back(run.exactViews);
        settle.push_back(run.settleMs);
        painted += run.frames;
    }
    std::printf("%d-notch spin at %s, a notch per display frame, %d spins:\n", SpinNotches, name, Spins);
    std::printf("  largest enlargement on screen %.3f (target at most 2), 99th percentile of the %d frames %.3f\n",
                *std::max_element(largest.begin(), largest.end()), painted, Quantile(frames, 0.99));
    std::printf("  the screen lagged the wheel by at most %.1f notches (median of spins %.1f); exact views during"
                " the spin: median %.0f; exact view %.1f ms after the last notch (median; slowest %.1f)\n",
                *std::max_element(farthest.begin(), farthest.end()), Quantile(farthest, 0.5), Quantile(exact, 0.5),
                Quantile(settle, 0.5), *std::max_element(settle.begin(), settle.end()));
}

constexpr WorldWindow DeepView{299.999999595, -399.999999545, 300.000000405, -400.000000455};

struct PlayRun
{
    int frames = 0;
    int late = -1;
    double slippedMs = 0;
    double drawMs = 0; // the mean time to draw a frame alone, as the player's worker does
};

// The default dive played in the picture: from the Draw's view to a view
// about a billion times closer, as levyc-render --dive makes it by default.
PlayRun PlayDefaultDive(PictureBox *picture, DivePlayback *playback, std::span<const CurveRecord> curves)
{
    picture->SetView(DeepView);
    ProcessUntil([&] { return picture->PictureReady(); }, 60'000'000'000);
    playFrames = 0;
    playLate = -1;
    playback->Play();
    ProcessUntil([&] { return playLate >= 0; }, 120'000'000'000);
    PlayRun run;
    run.frames = playFrames;
    run.late = playLate;
    run.slippedMs = playSlippedMs;
    // The same frames drawn one after another with nothing shown: what the
    // worker needs, against the 33.3 ms a frame has.
    const DivePath path(PictureWorld, DeepView, 10, 30, picture->ImageSize());
    const double totalMs = Milliseconds([&] {
        for (int i = 0; i < path.Frames(); ++i) {
            static_cast<void>(DiveFrame(curves, path, i, picture->ImageSize()));
        }
    });
    run.drawMs = totalMs / path.Frames();
    return run;
}

long PeakKiB(const QString &statusFile)
{
    QFile file(statusFile);
    if (!file.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').front().toLong();
        }
    }
    return -1;
}

// What the overlay and the overview add to one paint of the picture at a view
// deep enough to show both: painted into an offscreen image, with and without
// them, alternated; the median difference and the spread of the pairs.
void OverlayPaintCost(PictureBox *picture)
{
    picture->SetView({299.99, -399.99, 300.01, -400.01});
    while (!picture->PictureReady()) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    QImage target(picture->size(), QImage::Format_RGB32);
    const auto paint = [&](bool shown) {
        ShowOverlays(*picture, shown, shown);
        return Milliseconds([&] { picture->render(&target); });
    };
    paint(true); // the overview's small picture is made at its first paint
    std::vector<double> added;
    for (int pair = 0; pair < 201; ++pair) {
        const double without = paint(false);
        added.push_back(paint(true) - without);
    }
    QImage without(target.size(), target.format());
    ShowOverlays(*picture, false, false);
    picture->render(&without);
    ShowOverlays(*picture, true, true);
    picture->render(&target);
    if (target == without) {
        std::printf("overlay and overview: NOT MEASURED, neither was painted\n");
        return;
    }
    std::printf("overlay and overview: %.3f ms added to a paint at %dx%d (median of %zu alternated pairs, quartiles "
                "%.3f to %.3f; target at most 1)\n",
                Median(added), picture->width(), picture->height(), added.size(), Quantile(added, 0.25),
                Quantile(added, 0.75));
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("levyc.view.debug=true\nlevyc.play.debug=true"));
    passOn = qInstallMessageHandler(NoteExactView);
    Form1 form;
    form.show();
    auto *picture = form.findChild<PictureBox *>(QStringLiteral("Picture1"));
    auto *draw = form.findChild<QPushButton *>(QStringLiteral("Command1"));
    for (int i = 0; i < 50; ++i) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }

    PaintCounter counter;
    picture->installEventFilter(&counter);
    std::vector<double> headless;
    std::vector<double> onScreen;
    int paintsPerDraw = 0;
    for (int run = 0; run < Runs; ++run) {
        headless.push_back(RenderPicture(PictureSize).milliseconds);
        counter.paints = 0;
        onScreen.push_back(Milliseconds([&] { draw->click(); }));
        // The last frame follows within one display frame.
        QElapsedTimer settle;
        settle.start();
        while (settle.nsecsElapsed() < 2 * FrameIntervalNs(picture->screen())) {
            QApplication::processEvents(QEventLoop::AllEvents, 1);
        }
        paintsPerDraw = counter.paints;
    }
    const long windowPeak = PeakKiB(QStringLiteral("/proc/self/status"));

    std::vector<double> settle;
    std::vector<double> gaps;
    for (int run = 0; run < ZoomRuns; ++run) {
        const ZoomRun zoom = ZoomTenNotches(picture, counter);
        settle.push_back(zoom.settleMs);
        gaps.push_back(zoom.longestGapFrames);
    }

    const std::vector<CurveRecord> curves = PictureCurves();
    const PlayRun play = PlayDefaultDive(picture, form.findChild<DivePlayback *>(), curves);

    const double headlessMs = Median(headless);
    const double onScreenMs = Median(onScreen);
    // Each run drew headless and on screen side by side: one ratio per run.
    std::vector<double> ratios;
    for (std::size_t run = 0; run < onScreen.size(); ++run) {
        ratios.push_back(onScreen[run] / headless[run]);
    }
    std::printf("platform %s, device pixel ratio %.2f, display frame %.1f ms, medians of %d runs\n",
                qPrintable(QApplication::platformName()), picture->devicePixelRatioF(),
                static_cast<double>(FrameIntervalNs(picture->screen())) / 1e6, Runs);
    std::printf("headless render       %8.2f ms\n", headlessMs);
    std::printf("full Draw on screen   %8.2f ms  (%d frames for its 3519 refreshes and the clears)\n", onScreenMs,
                paintsPerDraw);
    std::printf(
        "on screen / headless  %8.2f     (median of the runs' ratios, quartiles %.2f to %.2f, range %.2f to %.2f;"
        " target at most 4)\n",
        Median(ratios), Quantile(ratios, 0.25), Quantile(ratios, 0.75), Quantile(ratios, 0.0), Quantile(ratios, 1.0));

    std::printf("ten wheel notches, one per display frame: exact picture %.1f ms after the last (median of %d runs,"
                " target at most 100; slowest %.1f, target at most 150)\n",
                Median(settle), ZoomRuns, *std::max_element(settle.begin(), settle.end()));
    std::printf("  longest time between picture updates while the notches come: %.2f display frames (median;"
                " worst %.2f; target at most 2, that is one frame with no update)\n",
                Median(gaps), *std::max_element(gaps.begin(), gaps.end()));
    PrintSpins(picture, "the Draw's view", PictureWorld);
    const WorldPoint edge = FarthestPoint(std::vector<CurveRecord>{FinalCurve()}, 0.3, -1.0, 1e-14);
    PrintSpins(picture, "a zoom of 1e6", ZoomedAt(edge, 1e6));

    std::printf(
        "Play of the default dive at %dx%d, 30 fps: %d of %d frames shown late by their presentation time,"
        " %.2f in 30 (target at most 1), the film %.0f ms longer for them; a frame alone takes %.1f ms to draw\n",
        picture->ImageSize().width(), picture->ImageSize().height(), play.late, play.frames,
        play.frames > 0 ? 30.0 * play.late / play.frames : -1.0, play.slippedMs, play.drawMs);
    // Not the window's own figure: the headless renders run in this process too.
    std::printf("peak memory of this process after %d Draws and as many headless renders: %.1f MiB (the window's"
                " own is under Peak memory)\n",
                Runs, static_cast<double>(windowPeak) / 1024.0);
    OverlayPaintCost(picture);
    return 0;
}
