#pragma once

#include "VideoEncoding.h"
#include "drawing/CurveRecord.h"
#include "views/DivePath.h"
#include "world/WorldWindow.h"

#include <QByteArray>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace levyc {

enum class DiveFormat { Mp4, WebM, WebP };

// The format a file name asks for by its ending (.mp4, .webm, .webp), if any.
std::optional<DiveFormat> DiveFormatOf(const QByteArray &name);
// The format of a name such as "mp4" or "WebM", in any case, if it is one.
std::optional<DiveFormat> DiveFormatNamed(const QString &name);
// The format's name as it is written: "MP4", "WebM" or "WebP".
QString DiveFormatName(DiveFormat format);
// Whether the format can be written to a stream (a pipe, standard output):
// WebM, and MP4 in fragments. A WebP animation is assembled whole.
bool DiveStreams(DiveFormat format);

// Whether the format's encoder takes frames of `size`. When it does not,
// `largest` gets the widest frame it takes at that height and the tallest at
// that width.
bool DiveSizeFits(DiveFormat format, QSize size, QSize *largest);

struct Dive
{
    WorldWindow from;
    WorldWindow to; // given the first's shape
    QSize size;     // even sides for MP4 and WebM
    double seconds = 10;
    int fps = 30;
    DiveFormat format = DiveFormat::Mp4;
    std::vector<WorldWindow> through;            // views passed on the way, in order
    int quality = VideoSettings::DefaultQuality; // MP4 and WebM; a WebP is lossless
    std::vector<double> holds = {};              // seconds on each view, from the first; none when empty

    friend bool operator==(const Dive &, const Dive &) = default;
};

// The path a dive's frames follow.
DivePath PathOf(const Dive &dive);

struct DiveFigures
{
    int frames = 0;
    double renderMs = 0; // drawing the views
    double encodeMs = 0; // converting and encoding, alongside the drawing
    double totalMs = 0;
};

// Called with the frames encoded so far and their total; false cancels.
using DiveProgress = std::function<bool(int framesDone, int frames)>;

// Draws every frame of the dive as the view at its window, its density
// smoothed between levels of division but for the first and last, on every
// core, and encodes it on a thread of its own as the next frames are drawn;
// a frame is dropped once encoded. The bytes go to the sink (a WebP, whole,
// at the end). False with a one-line reason, "cancelled" when cancelled.
bool MakeDive(const Dive &dive, std::span<const CurveRecord> curves, const VideoSink &sink, DiveFigures *figures,
              QString *error, const DiveProgress &progress = {});

// Encodes `frames` as a film of their own, in the dive's format, size, rate
// and quality, with nowhere to go: `bytes` gets the film's size, `encodeMs`
// the time its encoder took. False with a one-line reason.
bool EncodeAlone(const Dive &dive, std::span<const QImage> frames, qint64 *bytes, double *encodeMs, QString *error);

} // namespace levyc
