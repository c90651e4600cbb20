#include "DiveChoices.h"

#include "views/ViewNavigation.h"
#include "world/PictureWorld.h"

#include <algorithm>
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
    int frames = static_cast<int>(std::lround(choices.seconds * choices.fps));
    for (const ListedView &view : choices.keyframes) {
        frames += view.hold > 0 ? static_cast<int>(std::lround(view.hold * choices.fps)) : 0;
    }
    return frames;
}

double LengthOf(const DiveChoices &choices)
{
    double seconds = choices.seconds;
    for (const ListedView &view : choices.keyframes) {
        seconds += std::max(view.hold, 0.0);
    }
    return seconds;
}

std::vector<ListedView> DefaultKeyframes(QSize picture, const WorldWindow &view,
                                         const std::vector<WorldWindow> &visited)
{
    std::vector<ListedView> views{{PictureWorld, picture, 0, {}}};
    // From the Draw's own view, only a tour moves.
    if (view == PictureWorld) {
        for (const WorldWindow &window : visited) {
            views.push_back({window, picture, 0, {}});
        }
    }
    views.push_back({view, picture, 0, {}});
    return views;
}

Dive DiveOf(const DiveChoices &choices, QSize picture, const WorldWindow &view, const std::vector<WorldWindow> &visited)
{
    const std::vector<ListedView> views =
        choices.keyframes.size() >= 2 ? choices.keyframes : DefaultKeyframes(picture, view, visited);
    const QSize size = FrameSizeOf(choices, picture);
    // The size the windows are at, before a side loses its odd pixel.
    QSize shaped = picture;
    WorldWindow shape = PictureWorld;
    if (choices.size != DiveChoices::Size::Picture) {
        shaped = FrameSizeOf(
            {.size = choices.size, .typed = choices.typed, .format = DiveFormat::WebP, .quality = 0, .keyframes = {}},
            picture);
        shape = DivePath::StartAt(shaped);
    }
    // A view at the film's own size is taken as it is, to the last digit.
    const auto inShape = [shaped](const ListedView &listed, const WorldWindow &like) {
        return listed.size == shaped ? listed.window : DivePath::WithShapeOf(listed.window, like);
    };
    const ListedView &first = views.front();
    const WorldWindow from = first.window == PictureWorld ? shape : inShape(first, shape);
    Dive dive{from,           inShape(views.back(), from), size, choices.seconds, choices.fps, choices.format, {},
              choices.quality};
    for (std::size_t i = 1; i + 1 < views.size(); ++i) {
        dive.through.push_back(views[i].window);
    }
    if (std::any_of(views.begin(), views.end(), [](const ListedView &listed) { return listed.hold > 0; })) {
        for (const ListedView &listed : views) {
            dive.holds.push_back(std::max(listed.hold, 0.0));
        }
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
