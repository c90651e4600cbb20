// A dive's figures as a viewer sees them, for the benchmark script:
//   bench_dive composition [levyc-render's dive options...]
//     where the target (the end view's centre) sits on each frame of the
//     dive those options make, and whether it only ever nears the centre;
//   bench_dive luma FILE.webp SKIP levyc-render's dive options...
//     the whole frame's mean luma from one frame to the next, leaving out
//     SKIP frames at each end: the largest step and the steps above 2 levels;
//     and the same for the drawing's own part of each step, the change in
//     what both frames show, which leaves out the picture moving in and out
//     of the frame. The options are those that made the file.
//   bench_dive path [levyc-render's dive options with --path LIST...]
//     whether each view is on a whole frame and held for its frames, and
//     the time to draw a frame against a plain dive's;
//   bench_dive estimate [levyc-render's dive options...]
//     what Save Dive… estimates for that dive before it starts, its time and
//     its bytes, against the save itself, made as the window makes it into
//     the options' --dive file: within 1.5 times.
#include "drawing/Passes.h"
#include "output/FileOutput.h"
#include "render/RenderOptions.h"
#include "tests/support/FrameLuma.h"
#include "tests/support/WebPFrames.h"
#include "video/DiveEstimate.h"
#include "video/OutputSink.h"
#include "views/DiveFrame.h"
#include "views/DivePath.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

using namespace levyc;

namespace {

int Composition(const QList<QByteArray> &arguments)
{
    const RenderOptions options = ParseRenderOptions(arguments, RenderOptions::DefaultDiveSize);
    if (!options.error.isEmpty() || !options.dive) {
        std::fprintf(stderr, "bench_dive: %s\n", qPrintable(options.error));
        return 2;
    }
    const DivePath path = DivePathOf(options);
    const double targetX = (options.window.Left + options.window.Right) / 2;
    const double targetY = (options.window.Top + options.window.Bottom) / 2;
    double previous = HUGE_VAL;
    int rises = 0;
    std::printf("target's distance from the centre, in pixels of %dx%d:", options.size.width(), options.size.height());
    for (int i = 0; i < path.Frames(); ++i) {
        const WorldWindow frame = path.Frame(i);
        const double x = ((targetX - frame.Left) / frame.Width() - 0.5) * options.size.width();
        const double y = ((targetY - frame.Top) / frame.Height() - 0.5) * options.size.height();
        const double distance = std::hypot(x, y);
        // A target on the centre stays there, to the rounding of a deep view.
        if (distance >= previous && distance > 1e-3) {
            ++rises;
        }
        if (i % (options.fps) == 0 || i == path.Frames() - 1) {
            std::printf(" %.3g s: %.1f;", static_cast<double>(i) / options.fps, distance);
        }
        previous = distance;
    }
    std::printf("\ncomposition: %d frames, %d where the target does not near the centre: %s\n", path.Frames(), rises,
                rises == 0 ? "met" : "NOT MET");
    return 0;
}

// A figure's line: the largest step past the ends, and the steps above 2.
bool PrintSteps(const char *what, const std::vector<double> &steps, int skip)
{
    double largest = 0;
    QByteArray where;
    int over = 0;
    for (int i = skip + 1; i + skip < static_cast<int>(steps.size()); ++i) {
        largest = std::max(largest, std::abs(steps[i]));
        if (std::abs(steps[i]) > 2) {
            ++over;
            where += " " + QByteArray::number(i) + " (" + QByteArray::number(steps[i], 'f', 1) + ")";
        }
    }
    std::printf("%s, leaving out %d frames at each end: largest step %.2f levels, %d steps above 2%s%s\n", what, skip,
                largest, over, over == 0 ? "" : ", at frames (step):", where.constData());
    return largest <= 2;
}

int Luma(const QString &name, int skip, const QList<QByteArray> &arguments)
{
    const RenderOptions options = ParseRenderOptions(arguments, RenderOptions::DefaultDiveSize);
    if (!options.error.isEmpty() || !options.dive) {
        std::fprintf(stderr, "bench_dive: %s\n", qPrintable(options.error));
        return 2;
    }
    // Each frame as often as it lasts, as the encoder merges frames that repeat.
    const QList<QImage> frames = WebPFramesAt(name, options.fps);
    if (frames.isEmpty()) {
        std::fprintf(stderr, "bench_dive: %s is not an animated WebP\n", qPrintable(name));
        return 1;
    }
    const DivePath path = DivePathOf(options);
    if (static_cast<int>(frames.size()) != path.Frames()) {
        std::fprintf(stderr, "bench_dive: %s has %lld frames, not the options' %d\n", qPrintable(name),
                     static_cast<long long>(frames.size()), path.Frames());
        return 1;
    }
    std::vector<double> whole(static_cast<std::size_t>(path.Frames()));
    std::vector<double> drawn(whole.size());
    for (int i = 1; i < path.Frames(); ++i) {
        const WorldWindow was = path.Frame(i - 1);
        const WorldWindow now = path.Frame(i);
        const auto at = static_cast<std::size_t>(i);
        whole[at] = MeanLuma(frames[i]) - MeanLuma(frames[i - 1]);
        drawn[at] = MeanLumaWithin(frames[i], now, was) - MeanLumaWithin(frames[i - 1], was, now);
    }
    std::printf("mean luma over %zu frames\n", whole.size());
    const bool still = PrintSteps("whole frame, the picture's own motion included", whole, skip);
    const bool smooth = PrintSteps("the drawing's part, the change where both frames look", drawn, skip);
    std::printf("no pulse, the drawing's part at most 2: %s; the whole frame at most 2: %s\n",
                smooth ? "met" : "NOT MET", still ? "met" : "NOT MET");
    return 0;
}

} // namespace

int Estimate(const QList<QByteArray> &arguments)
{
    const RenderOptions options = ParseRenderOptions(arguments, RenderOptions::DefaultDiveSize);
    if (!options.error.isEmpty() || !options.dive || !options.format) {
        std::fprintf(stderr, "bench_dive: %s\n", qPrintable(options.error));
        return 2;
    }
    const Dive dive = DiveOfOptions(options);
    // The curves are the window's already: neither figure counts them.
    const std::vector<CurveRecord> curves = PictureCurves();
    const std::atomic<bool> cancelled = false;
    QString error;
    const std::optional<DiveEstimate> estimate = EstimateDive(dive, curves, cancelled, &error);
    if (!estimate) {
        std::fprintf(stderr, "bench_dive: %s\n", qPrintable(error));
        return 1;
    }
    // Then the save itself, as the window makes it.
    QElapsedTimer timer;
    timer.start();
    FileOutput output;
    qint64 bytes = 0;
    DiveFigures figures;
    if (!output.Open(options.output, &error) || !MakeDive(dive, curves, OutputSink(output, &bytes), &figures, &error) ||
        !output.Commit(&error)) {
        std::fprintf(stderr, "bench_dive: %s\n", qPrintable(error));
        return 1;
    }
    const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    const auto within = [](double estimated, double real) {
        return estimated <= real * 1.5 && real <= estimated * 1.5 ? "met" : "NOT MET";
    };
    std::printf("%s %dx%d: estimate %.2f s, %.2f MB (a frame drawn in %.1f ms, encoded in %.1f ms, %.1f ms of "
                "processor time); saved in %.2f s, "
                "%.2f MB: time %.2f times, %s; size %.2f times, %s\n",
                qPrintable(DiveFormatName(dive.format)), dive.size.width(), dive.size.height(), estimate->seconds,
                estimate->bytes / 1e6, estimate->drawMs, estimate->encodeMs, estimate->cpuMs, seconds,
                static_cast<double>(bytes) / 1e6, estimate->seconds / seconds, within(estimate->seconds, seconds),
                estimate->bytes / static_cast<double>(bytes), within(estimate->bytes, static_cast<double>(bytes)));
    return 0;
}

// Each view of a --path film reached on a whole frame and held for its
// frames, and its frames drawn no slower than those of a plain dive from its
// first view to its last with as many frames, as a save draws them.
int Path(const QList<QByteArray> &arguments)
{
    const RenderOptions options = ParseRenderOptions(arguments, RenderOptions::DefaultDiveSize);
    if (!options.error.isEmpty() || !options.dive) {
        std::fprintf(stderr, "bench_dive: %s\n", qPrintable(options.error));
        return 2;
    }
    const DivePath path = DivePathOf(options);
    std::vector<WorldWindow> views{options.from};
    for (const WorldWindow &view : options.through) {
        views.push_back(DivePath::WithShapeOf(view, options.from));
    }
    views.push_back(DivePath::WithShapeOf(options.window, options.from));
    int missed = 0;
    int worstHold = 0;
    for (std::size_t i = 0; i < views.size(); ++i) {
        const int stop = path.Stops().at(i);
        if (path.Frame(stop) != views[i]) {
            ++missed;
        }
        int held = 0;
        while (stop + held + 1 < path.Frames() && path.Frame(stop + held + 1) == views[i]) {
            ++held;
        }
        const double hold = i < options.holds.size() ? options.holds[i] : 0;
        worstHold = std::max(worstHold, std::abs(held - static_cast<int>(std::lround(hold * options.fps))));
    }
    const std::vector<CurveRecord> curves = PictureCurves();
    const auto msPerFrame = [&](const DivePath &film) {
        QElapsedTimer timer;
        timer.start();
        DiveFrames frames(curves, film, options.size);
        for (int i = 0; i < film.Frames(); ++i) {
            static_cast<void>(frames.Frame(i));
        }
        return static_cast<double>(timer.nsecsElapsed()) / 1e6 / film.Frames();
    };
    const DivePath plain(views.front(), views.back(), static_cast<double>(path.Frames()) / options.fps, options.fps,
                         options.size);
    // Alternated, the median of each: the machine's pace drifts.
    std::vector<double> pathRuns;
    std::vector<double> plainRuns;
    for (int run = 0; run < 3; ++run) {
        pathRuns.push_back(msPerFrame(path));
        plainRuns.push_back(msPerFrame(plain));
    }
    std::sort(pathRuns.begin(), pathRuns.end());
    std::sort(plainRuns.begin(), plainRuns.end());
    const double pathMs = pathRuns[1];
    const double plainMs = plainRuns[1];
    std::printf("--path of %zu views, %d frames at %dx%d: %zu of %zu views on a whole frame (%s); holds off by at most"
                " %d frames (target at most 1: %s); %.2f ms a frame drawn, against %.2f for a plain dive of %d frames"
                " from its first view to its last (medians of 3 alternated; %s)\n",
                views.size(), path.Frames(), options.size.width(), options.size.height(), views.size() - missed,
                views.size(), missed == 0 ? "met" : "NOT MET", worstHold, worstHold <= 1 ? "met" : "NOT MET", pathMs,
                plainMs, plain.Frames(), pathMs <= plainMs * 1.05 ? "no slower: met" : "slower: NOT MET");
    return 0;
}

int main(int argc, char *argv[])
{
    const QCoreApplication application(argc, argv);
    QList<QByteArray> arguments;
    for (int i = 2; i < argc; ++i) {
        arguments.append(argv[i]);
    }
    if (argc >= 2 && QByteArray(argv[1]) == "composition") {
        return Composition(arguments);
    }
    if (argc >= 2 && QByteArray(argv[1]) == "path") {
        return Path(arguments);
    }
    if (argc >= 2 && QByteArray(argv[1]) == "estimate") {
        return Estimate(arguments);
    }
    if (argc >= 5 && QByteArray(argv[1]) == "luma") {
        return Luma(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt(), arguments.mid(2));
    }
    std::fprintf(stderr,
                 "usage: bench_dive composition DIVE-OPTIONS... | estimate DIVE-OPTIONS... | path DIVE-OPTIONS... "
                 "| luma FILE.webp SKIP DIVE-OPTIONS...\n");
    return 2;
}
