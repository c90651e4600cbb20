#pragma once

#include "VideoEncoding.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace levyc {

// The FFmpeg encoder's module, levyc-ffmpeg.so: looked for beside the program,
// then in the installed library folder; the first one found is the one used.
// It is loaded once, the first time it is asked for, and stays loaded.
class VideoModule
{
public:
    // Where it is looked for, in order.
    static QStringList Folders();
    // Whether MP4 and WebM can be made; loads the module if not yet tried.
    // When not, `why` gets one line saying what to install.
    static bool Available(QString *why = nullptr);
    // A new encoder, or none with the reason in one line.
    static std::unique_ptr<VideoEncoding> MakeEncoder(QString *error);
};

} // namespace levyc
