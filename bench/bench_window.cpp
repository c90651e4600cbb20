// A full Draw in the real window, with all its refreshes, against the headless
// render in the same run; the frames it asked for; peak memory. Run it on a
// display (make bench starts Xvfb).
#include "Quantile.h"
#include "drawing/PictureSize.h"
#include "render/RenderPicture.h"
#include "widgets/Form1.h"
#include "widgets/FrameInterval.h"
#include "widgets/PictureBox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QPushButton>
#include <QWheelEvent>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace levyc;

namespace {

constexpr int Runs = 7;

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

void NoteExactView(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (qstrcmp(context.category, "levyc.view") == 0 && message.startsWith(u"shown ")) {
        if (exactClock != nullptr) {
            exactNs = exactClock->nsecsElapsed();
        }
        return;
    }
    passOn(type, context, message);
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
        picture->SetOverlayShown(shown);
        picture->SetOverviewShown(shown);
        return Milliseconds([&] { picture->render(&target); });
    };
    paint(true); // the overview's small picture is made at its first paint
    std::vector<double> added;
    for (int pair = 0; pair < 201; ++pair) {
        const double without = paint(false);
        added.push_back(paint(true) - without);
    }
    QImage without(target.size(), target.format());
    picture->SetOverlayShown(false);
    picture->SetOverviewShown(false);
    picture->render(&without);
    picture->SetOverlayShown(true);
    picture->SetOverviewShown(true);
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
    QLoggingCategory::setFilterRules(QStringLiteral("levyc.view.debug=true"));
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
    for (int run = 0; run < Runs; ++run) {
        const ZoomRun zoom = ZoomTenNotches(picture, counter);
        settle.push_back(zoom.settleMs);
        gaps.push_back(zoom.longestGapFrames);
    }

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

    std::printf("ten wheel notches, one per display frame: exact picture %.1f ms after the last (target at most 100;"
                " slowest %.1f)\n",
                Median(settle), *std::max_element(settle.begin(), settle.end()));
    std::printf("  longest time between picture updates while the notches come: %.2f display frames (median;"
                " worst %.2f; target at most 2, that is one frame with no update)\n",
                Median(gaps), *std::max_element(gaps.begin(), gaps.end()));
    std::printf("peak memory of this window after %d Draws: %.1f MiB (at most 60)\n", Runs,
                static_cast<double>(windowPeak) / 1024.0);
    OverlayPaintCost(picture);
    return 0;
}
