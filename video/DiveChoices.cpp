#include "DiveChoices.h"

#include "views/ViewNavigation.h"
#include "world/PictureWorld.h"

#include <cmath>

namespace levyc {

namespace {

// Figures per frame, for each million of its pixels, from levyc-render
// --time dives of 2 s at 30 fps and 640x360 toward --window
// 290,-390,310,-410 on two cores. The time is what a 10 s 1280x720 dive
// takes on an idle machine, 10.6 to 13.5 s (here, under a load average of 11,
// it was 250 to 370 ms a million pixels): drawing and encoding overlap.
constexpr double WorkMsPerMegapixel = 45;
// The bytes: a lossless WebP frame 65 200; at quality 60 an MP4 frame
// 79 500 and a WebM frame 95 200, twice as many about every 32 steps of
// quality (MP4: 35 900 at 30, 133 200 at 90).
constexpr double WebPBytesPerMegapixel = 65200;
constexpr double Mp4BytesPerMegapixel = 79500;
constexpr double WebMBytesPerMegapixel = 95200;
constexpr double QualityPerDoubling = 32;

} // namespace

QSize FrameSizeOf(const DiveChoices &choices, QSize picture)
{
    QSize size = picture;
    switch (choices.size) {
    case DiveChoices::Size::Picture:
        break;
    case DiveChoices::Size::Hd:
        size = DiveChoices::HdSize;
        break;
    case DiveChoices::Size::FullHd:
        size = DiveChoices::FullHdSize;
        break;
    case DiveChoices::Size::Typed:
        size = choices.typed;
        break;
    }
    if (choices.format != DiveFormat::WebP) {
        size = QSize(std::max(2, size.width() & ~1), std::max(2, size.height() & ~1));
    }
    return size;
}

int FramesOf(const DiveChoices &choices)
{
    return static_cast<int>(std::lround(choices.seconds * choices.fps));
}

DiveEstimate EstimateDive(const DiveChoices &choices, QSize picture)
{
    const QSize size = FrameSizeOf(choices, picture);
    const double frames = std::max(FramesOf(choices), DivePath::MinFrames);
    const double megapixels = static_cast<double>(size.width()) * size.height() / 1e6;
    double perFrame = WebPBytesPerMegapixel;
    if (choices.format != DiveFormat::WebP) {
        perFrame = (choices.format == DiveFormat::Mp4 ? Mp4BytesPerMegapixel : WebMBytesPerMegapixel) *
                   std::exp2((choices.quality - VideoSettings::DefaultQuality) / QualityPerDoubling);
    }
    return {frames * megapixels * WorkMsPerMegapixel / 1000, frames * megapixels * perFrame};
}

Dive DiveOf(const DiveChoices &choices, QSize picture, const WorldWindow &view, const std::vector<WorldWindow> &visited)
{
    const QSize size = FrameSizeOf(choices, picture);
    Dive dive{PictureWorld, view, size, choices.seconds, choices.fps, choices.format, {}, choices.quality};
    // From the Draw's own view, only a tour moves.
    if (choices.tour || view == PictureWorld) {
        dive.through = visited;
    }
    // The size the windows are at, before a side loses its odd pixel.
    QSize shaped = picture;
    if (choices.size != DiveChoices::Size::Picture) {
        shaped = FrameSizeOf({.size = choices.size, .typed = choices.typed, .format = DiveFormat::WebP}, picture);
        dive.from = DivePath::StartAt(shaped);
        dive.to = DivePath::WithShapeOf(view, dive.from);
    }
    if (shaped != size) {
        // The last column or row goes, each view keeping its corner and its pixels' size.
        dive.from = Resized(dive.from, shaped, size);
        dive.to = Resized(dive.to, shaped, size);
    }
    return dive;
}

bool CanDive(const WorldWindow &view, const std::vector<WorldWindow> &visited)
{
    return view != PictureWorld || !visited.empty();
}

std::optional<WorldWindow> BeyondReach(const Dive &dive)
{
    const WorldWindow widest = PathOf(dive).Widest();
    return IsDrawableWindow(widest) ? std::nullopt : std::optional(widest);
}

} // namespace levyc
