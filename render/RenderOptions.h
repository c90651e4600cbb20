#pragma once

#include "animation/CurveAnimation.h"
#include "drawing/PictureSize.h"
#include "video/DiveMovie.h"
#include "views/DivePath.h"
#include "world/WorldWindow.h"

#include <QByteArray>
#include <QList>
#include <QSize>
#include <QString>

#include <optional>
#include <vector>

namespace levyc {

struct RenderOptions
{
    static constexpr int DefaultIconSide = 256;
    static constexpr int DefaultFrameMs = DrawAnimationTiming.frameMs;
    static constexpr int MaxFrameMs = 60000;
    static constexpr int HoldMs = DrawAnimationTiming.holdMs;

    // A dive: 10 s at 30 frames a second, in HD.
    static constexpr QSize DefaultDiveSize{1280, 720};
    static constexpr double DefaultDiveSeconds = DivePath::DefaultSeconds;
    static constexpr double MaxDiveSeconds = DivePath::MaxSeconds;
    static constexpr int DefaultDiveFps = DivePath::DefaultFps;
    static constexpr int MaxDiveFps = DivePath::MaxFps;

    QSize size;
    WorldWindow window = PictureWorld; // the world window drawn, or where a dive ends
    bool time = false;
    bool icon = false;    // the application icon instead of the picture
    bool animate = false; // the Draw as an animated WebP instead of a PNG
    int frameMs = DefaultFrameMs;
    bool dive = false;                // a zoom movie from `from` to `window`
    WorldWindow from = PictureWorld;  // where a dive starts
    std::vector<WorldWindow> through; // views a dive passes, in order
    std::vector<double> holds;        // seconds on each view, from `from` to `window`; none when empty
    double seconds = DefaultDiveSeconds;
    int fps = DefaultDiveFps;
    std::optional<DiveFormat> format; // a dive's; from the name unless given
    int quality = -1;                 // a dive's --quality, 0 to 100; -1 for the default
    bool quiet = false;               // no progress line
    bool help = false;
    bool version = false;
    QByteArray output; // a file name is bytes, kept as the command line gave them
    QString error;     // set when the arguments are unusable
};

// The dive the options give, and the path its frames follow.
Dive DiveOfOptions(const RenderOptions &options);
DivePath DivePathOf(const RenderOptions &options);

// Reads the arguments after the program's name.
RenderOptions ParseRenderOptions(const QList<QByteArray> &arguments, QSize defaultSize);

QString RenderUsage(QSize defaultSize);

} // namespace levyc
