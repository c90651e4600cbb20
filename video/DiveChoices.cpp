#include "DiveChoices.h"

#include "views/ViewNavigation.h"
#include "world/PictureWorld.h"

#include <QRegularExpression>

#include <cmath>

namespace levyc {

namespace {

// Figures per frame, from levyc-render --time dives of the default path at
// 640x360 and 1280x720 on this machine's two cores (dev build, otherwise
// idle): drawing and encoding, which overlap, take about this long for each
// million pixels of a frame.
constexpr double WorkMsPerMegapixel = 40;
// Each frame's bytes for each million of its pixels: a lossless WebP frame,
// and an MP4 or WebM frame at the default quality, which doubles about every
// QualityPerDoubling steps of quality (MP4 and WebM come out alike at the same
// quality).
constexpr double WebPBytesPerMegapixel = 60000;
constexpr double VideoBytesPerMegapixel = 60000;
constexpr double QualityPerDoubling = 12;

} // namespace

std::optional<QSize> ParseDiveSize(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*(\\d{1,9})\\s*[x×X]\\s*(\\d{1,9})\\s*$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const int width = match.captured(1).toInt();
    const int height = match.captured(2).toInt();
    if (width < 1 || height < 1 || width > DiveChoices::MaxSide || height > DiveChoices::MaxSide) {
        return std::nullopt;
    }
    return QSize(width, height);
}

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
    const double perFrame = choices.format == DiveFormat::WebP
                                ? WebPBytesPerMegapixel
                                : VideoBytesPerMegapixel *
                                      std::exp2((choices.quality - VideoSettings::DefaultQuality) / QualityPerDoubling);
    return {frames * megapixels * WorkMsPerMegapixel / 1000, frames * megapixels * perFrame};
}

Dive DiveOf(const DiveChoices &choices, QSize picture, const WorldWindow &view,
            const std::vector<WorldWindow> &visited)
{
    const QSize size = FrameSizeOf(choices, picture);
    Dive dive{PictureWorld, view, size, choices.seconds, choices.fps, choices.format, {}, choices.quality};
    if (choices.tour) {
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

} // namespace levyc
