// A dive's figures as a viewer sees them, for the benchmark script:
//   bench_dive composition [levyc-render's dive options...]
//     where the target (the end view's centre) sits on each frame of the
//     dive those options make, and whether it only ever nears the centre;
//   bench_dive luma FILE.webp SKIP
//     the whole frame's mean luma from one frame to the next, leaving out
//     SKIP frames at each end: the largest step and the steps above 2 levels.
#include "render/RenderOptions.h"
#include "views/DivePath.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>

#include <webp/demux.h>

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
    std::vector<WorldWindow> views{options.from};
    views.insert(views.end(), options.through.begin(), options.through.end());
    views.push_back(options.window);
    const DivePath path(views, options.seconds, options.fps, options.size);
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

int Luma(const QString &name, int skip)
{
    QFile input(name);
    if (!input.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "bench_dive: cannot read %s\n", qPrintable(name));
        return 1;
    }
    const QByteArray file = input.readAll();
    const WebPData data = {reinterpret_cast<const uint8_t *>(file.constData()), static_cast<size_t>(file.size())};
    WebPAnimDecoderOptions decoding;
    WebPAnimDecoderOptionsInit(&decoding);
    decoding.color_mode = MODE_BGRA;
    WebPAnimDecoder *decoder = WebPAnimDecoderNew(&data, &decoding);
    WebPAnimInfo info;
    if (decoder == nullptr || WebPAnimDecoderGetInfo(decoder, &info) == 0) {
        WebPAnimDecoderDelete(decoder);
        std::fprintf(stderr, "bench_dive: %s is not an animated WebP\n", qPrintable(name));
        return 1;
    }
    std::vector<double> means;
    while (WebPAnimDecoderHasMoreFrames(decoder) != 0) {
        uint8_t *pixels = nullptr;
        int end = 0;
        if (WebPAnimDecoderGetNext(decoder, &pixels, &end) == 0) {
            break;
        }
        const QImage image(pixels, static_cast<int>(info.canvas_width), static_cast<int>(info.canvas_height),
                           QImage::Format_ARGB32);
        double sum = 0;
        for (int y = 0; y < image.height(); ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                sum += 0.2126 * qRed(line[x]) + 0.7152 * qGreen(line[x]) + 0.0722 * qBlue(line[x]);
            }
        }
        means.push_back(sum / (image.width() * image.height()));
    }
    WebPAnimDecoderDelete(decoder);
    double largest = 0;
    int over = 0;
    QByteArray where;
    for (int i = skip + 1; i + skip < static_cast<int>(means.size()); ++i) {
        const double step = std::abs(means[i] - means[i - 1]);
        largest = std::max(largest, step);
        if (step > 2) {
            ++over;
            where += QByteArray(" ") + QByteArray::number(i) + " (" + QByteArray::number(means[i - 1], 'f', 1) +
                     " to " + QByteArray::number(means[i], 'f', 1) + ")";
        }
    }
    if (!where.isEmpty()) {
        std::printf("steps above 2 levels, at frames (mean luma before and after):%s\n", where.constData());
    }
    std::printf("mean luma over %zu frames, leaving out %d at each end: largest step %.2f levels, %d steps above 2: "
                "%s\n",
                means.size(), skip, largest, over, largest <= 2 ? "met" : "NOT MET");
    return 0;
}

} // namespace

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
    if (argc == 4 && QByteArray(argv[1]) == "luma") {
        return Luma(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
    }
    std::fprintf(stderr, "usage: bench_dive composition DIVE-OPTIONS... | luma FILE.webp SKIP\n");
    return 2;
}
