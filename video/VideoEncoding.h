#pragma once

#include <QSize>
#include <QString>
#include <QtGlobal>

#include <functional>

class QImage;

namespace levyc {

enum class VideoFormat {
    Mp4,  // H.264 (libx264) in MP4, yuv420p
    WebM, // VP9 (libvpx) in WebM, yuv420p
};

// A video's shape and quality.
struct VideoSettings
{
    static constexpr int MaxQuality = 100;
    static constexpr int DefaultQuality = 60;
    // A key frame each two seconds: a player seeks to any point quickly, and
    // a fragmented MP4 is cut there.
    static constexpr int KeyFrameSeconds = 2;

    VideoFormat format = VideoFormat::Mp4;
    QSize size; // even sides
    int fps = 30;
    // How many frames will come, so that a file's MP4 index gets its room
    // before the frames; 0 when not known, and the index goes after them.
    int frames = 0;
    // 0 to MaxQuality, each codec's scale mapped so that the formats come out
    // alike in size and fidelity at the same figure.
    int quality = DefaultQuality;
};

// Where a video's bytes go.
struct VideoSink
{
    // Writes all the bytes, or false with a one-line reason.
    std::function<bool(const char *data, qint64 size, QString *error)> write;
    // Moves as lseek does and gives the new offset, or -1. Empty for a stream,
    // which is written once, in order: MP4 is then written in fragments.
    std::function<qint64(qint64 offset, int whence)> seek;
};

// A video made frame by frame. The encoder lives in a module of its own,
// loaded when the first video is made, so that FFmpeg's libraries are mapped
// only by a program that makes one.
class VideoEncoding
{
public:
    VideoEncoding() = default;
    virtual ~VideoEncoding() = default;
    VideoEncoding(const VideoEncoding &) = delete;
    VideoEncoding &operator=(const VideoEncoding &) = delete;
    VideoEncoding(VideoEncoding &&) = delete;
    VideoEncoding &operator=(VideoEncoding &&) = delete;

    // Each call false with a one-line reason on failure, after which the
    // encoder is unusable.
    virtual bool Start(const VideoSettings &settings, VideoSink sink, QString *error) = 0;
    // An RGB32 frame of the started size, shown for 1/fps.
    virtual bool Add(const QImage &frame, QString *error) = 0;
    virtual bool Finish(QString *error) = 0;
};

// The module's entry point: a new encoder, owned by the caller.
using MakeVideoEncoding = VideoEncoding *(*)();
inline constexpr const char *MakeVideoEncodingSymbol = "LevycMakeVideoEncoding";
// The levyc version the module was built for, such as "1.0.0": another
// version's encoder may not match this header.
using VideoModuleVersion = const char *(*)();
inline constexpr const char *VideoModuleVersionSymbol = "LevycVideoModuleVersion";

} // namespace levyc
