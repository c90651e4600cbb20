#include "DiveChoices.h"

#include "views/ViewNavigation.h"
#include "world/PictureWorld.h"

#include <cmath>

namespace levyc {

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
