#pragma once

#include "DiveMovie.h"
#include "VideoEncoding.h"
#include "views/DivePath.h"
#include "views/ViewList.h"
#include "world/WorldWindow.h"

#include <QSize>
#include <QString>

#include <optional>
#include <vector>

namespace levyc {

// What the window asks before it saves a dive, kept for the program's run.
struct DiveChoices
{
    enum class Size { Picture, Hd, FullHd, Typed };
    static constexpr QSize HdSize{1280, 720};
    static constexpr QSize FullHdSize{1920, 1080};

    double seconds = DivePath::DefaultSeconds;
    int fps = DivePath::DefaultFps;
    Size size = Size::Picture;
    QSize typed = HdSize; // the size when Size::Typed
    DiveFormat format = DiveFormat::Mp4;
    int quality = VideoSettings::DefaultQuality; // MP4 and WebM
    // The film's views, first to last, as the user chose them; none while
    // they are the default ones (DefaultKeyframes).
    std::vector<ListedView> keyframes;

    friend bool operator==(const DiveChoices &, const DiveChoices &) = default;
};

// The frames' size, for a picture of `picture` pixels: a pixel less on an odd
// side for MP4 and WebM, whose frames have even sides.
QSize FrameSizeOf(const DiveChoices &choices, QSize picture);
// How many frames the dive has, its holds' included; a dive needs
// DivePath::MinFrames at least.
int FramesOf(const DiveChoices &choices);
// The film's length in seconds: its moving part and its holds.
double LengthOf(const DiveChoices &choices);

// The film's views until the user chooses others: from the Draw's view to
// `view` on a picture of `picture` pixels, or, from the Draw's own view,
// where only a tour moves, through `visited` and back.
std::vector<ListedView> DefaultKeyframes(QSize picture, const WorldWindow &view,
                                         const std::vector<WorldWindow> &visited);

// The dive the choices make through their keyframes, or the default ones.
// At the picture's size it starts at its first view as the picture shows
// it; at another size, a start at the Draw's view has the Draw's pixels
// (DivePath::StartAt), and each other view takes that shape around its
// centre.
Dive DiveOf(const DiveChoices &choices, QSize picture, const WorldWindow &view,
            const std::vector<WorldWindow> &visited);
// Whether a dive to `view` through `visited` moves at all: one from the
// Draw's view to itself is a still, unless it tours. Save Dive… and Play
// are there when it does.
bool CanDive(const WorldWindow &view, const std::vector<WorldWindow> &visited);
// The widest view on the dive's way, when it is too wide to be drawn: the
// views are too far apart. None when the whole way can be drawn.
std::optional<WorldWindow> BeyondReach(const Dive &dive);

} // namespace levyc
