#pragma once

#include "CurveAnimation.h"
#include "DrawingSurface.h"
#include "PictureSize.h"

#include <QByteArray>
#include <QList>
#include <QSize>
#include <QString>

namespace levyc {

struct RenderOptions
{
    static constexpr int MaxSide = 16384;
    static constexpr int DefaultIconSide = 256;
    static constexpr int DefaultFrameMs = DrawAnimationTiming.frameMs;
    static constexpr int MaxFrameMs = 60000;
    static constexpr int HoldMs = DrawAnimationTiming.holdMs;

    QSize size;
    WorldWindow window = PictureWorld; // the world window drawn
    bool time = false;
    bool icon = false;    // the application icon instead of the picture
    bool animate = false; // the Draw as an animated WebP instead of a PNG
    int frameMs = DefaultFrameMs;
    bool quiet = false; // no progress line
    bool help = false;
    bool version = false;
    QByteArray output; // a file name is bytes, kept as the command line gave them
    QString error;     // set when the arguments are unusable
};

// Reads the arguments after the program's name.
RenderOptions ParseRenderOptions(const QList<QByteArray> &arguments, QSize defaultSize);

QString RenderUsage(QSize defaultSize);

} // namespace levyc
