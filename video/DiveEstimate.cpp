#include "DiveEstimate.h"

#include "views/DiveFrame.h"

#include <QElapsedTimer>
#include <QImage>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <thread>
#include <vector>

namespace levyc {

namespace {

// Frames drawn alone, each in the middle of its part of the path: a frame
// of a wide view walks every line, one of a deep view few, and a dive's
// frames go from one to the other.
constexpr int Samples = 10;
// Stretches of consecutive frames encoded, at places spread the same way:
// enough to follow a dive whose views grow busy on the way, few enough to
// answer in a second at 1280x720.
constexpr int Places = 3;
constexpr int Stretch = 4;

// Frame `part` of `parts` equal parts of `frames`, less `before` frames.
int Middle(int part, int parts, int frames, int before)
{
    return static_cast<int>(std::lround((part + 0.5) * frames / parts - 0.5 - before));
}

// Time on the clock and on every core of the process, in milliseconds.
struct Spent
{
    double wallMs = 0;
    double cpuMs = 0;

    Spent &operator+=(const Spent &other)
    {
        wallMs += other.wallMs;
        cpuMs += other.cpuMs;
        return *this;
    }
};

double ProcessCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// What `work` spends, added to `spent`; whether it worked.
template <typename Work> bool Measure(Spent *spent, const Work &work)
{
    QElapsedTimer timer;
    timer.start();
    const double cpu = ProcessCpuMs();
    const bool worked = work();
    *spent += {static_cast<double>(timer.nsecsElapsed()) / 1e6, ProcessCpuMs() - cpu};
    return worked;
}

// What the drawn and encoded samples cost.
struct Measured
{
    Spent drawing;
    Spent first;     // films of a frame
    Spent stretches; // films of a stretch
    double firstBytes = 0;
    double stretchBytes = 0;
};

// The whole film's cost from its samples' of `stretch` frames.
DiveEstimate FromMeasured(const Dive &dive, int frames, int stretch, const Measured &measured)
{
    const auto &[drawing, first, stretches, firstBytes, stretchBytes] = measured;
    // A film's fixed cost and its first frame, then each frame after it.
    const double after = Places * std::max(1, stretch - 1);
    const double drawMs = drawing.wallMs / Samples;
    const double encodeMs = std::max(0.0, stretches.wallMs - first.wallMs) / after;
    const double cpuMs = drawing.cpuMs / Samples + std::max(0.0, stretches.cpuMs - first.cpuMs) / after;
    // A WebP animation has one key frame; a video one each KeyFrameSeconds.
    const int keyEvery = dive.fps * VideoSettings::KeyFrameSeconds;
    const int keys = dive.format == DiveFormat::WebP ? 1 : (frames + keyEvery - 1) / keyEvery;
    const double nextBytes = stretch > 1 ? (stretchBytes - firstBytes) / after : 0;
    // Drawing takes every core, and the encoder works alongside on threads of
    // its own: a frame takes its work shared among the cores, or its drawing
    // or its encoding alone when that is longer. Then the film's fixed cost, once.
    const double cores = std::max(1U, std::thread::hardware_concurrency());
    const double frameMs = std::max({cpuMs / cores, drawMs, encodeMs});
    DiveEstimate estimate;
    estimate.seconds = (first.wallMs / Places + frames * frameMs) / 1000;
    estimate.bytes = keys * firstBytes / Places + (frames - keys) * nextBytes;
    estimate.drawMs = drawMs;
    estimate.encodeMs = encodeMs;
    estimate.cpuMs = cpuMs;
    return estimate;
}

} // namespace

std::optional<DiveEstimate> EstimateDive(const Dive &dive, std::span<const CurveRecord> curves,
                                         const std::atomic<bool> &cancelled, QString *error)
{
    const DivePath path = PathOf(dive);
    const int frames = path.Frames();
    const int stretch = std::min(Stretch, frames);
    Measured measured;
    auto &[drawing, first, stretches, firstBytes, stretchBytes] = measured;
    std::vector<QImage> drawn(stretch);
    const auto draw = [&](int at, int count) {
        for (int i = 0; i < count; ++i) {
            drawn[i] = DiveFrame(curves, path, at + i, dive.size, &cancelled);
            if (drawn[i].isNull()) {
                if (!cancelled) {
                    *error = QStringLiteral("a frame cannot be drawn at %1x%2")
                                 .arg(dive.size.width())
                                 .arg(dive.size.height());
                }
                return false;
            }
        }
        return true;
    };
    for (int sample = 0; sample < Samples; ++sample) {
        if (!Measure(&drawing,
                     [&] { return draw(std::clamp(Middle(sample, Samples, frames, 0), 0, frames - 1), 1); })) {
            return std::nullopt;
        }
    }
    qint64 bytes = 0;
    double ms = 0;
    const auto encode = [&](int count) {
        return !cancelled && EncodeAlone(dive, std::span(drawn).first(count), &bytes, &ms, error);
    };
    for (int place = 0; place < Places; ++place) {
        // The first film loads the encoder: a film before it, untimed.
        if (!draw(std::clamp(Middle(place, Places, frames, stretch / 2), 0, frames - stretch), stretch) ||
            (place == 0 && !encode(1))) {
            return std::nullopt;
        }
        if (!Measure(&first, [&] { return encode(1); })) {
            return std::nullopt;
        }
        firstBytes += static_cast<double>(bytes);
        if (!Measure(&stretches, [&] { return encode(stretch); })) {
            return std::nullopt;
        }
        stretchBytes += static_cast<double>(bytes);
    }
    return FromMeasured(dive, frames, stretch, measured);
}

} // namespace levyc
