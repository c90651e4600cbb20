#pragma once

#include <QSize>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>

class QImage;

namespace levyc {

enum class VideoFormat {
    Mp4,  // H.264 (libx264) in MP4, yuv420p
    WebM, // VP9 (libvpx) in WebM, yuv420p
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

// A video made frame by frame through FFmpeg's libraries: each frame is
// converted and handed to the encoder as it comes, so only the encoder's own
// few frames are held.
class VideoEncoder
{
public:
    VideoEncoder();
    ~VideoEncoder();
    VideoEncoder(const VideoEncoder &) = delete;
    VideoEncoder &operator=(const VideoEncoder &) = delete;
    VideoEncoder(VideoEncoder &&) = delete;
    VideoEncoder &operator=(VideoEncoder &&) = delete;

    // An even width and height. Each call false with a one-line reason on
    // failure, after which the encoder is unusable.
    bool Start(VideoFormat format, QSize size, int fps, VideoSink sink, QString *error);
    // An RGB32 frame of the started size, shown for 1/fps.
    bool Add(const QImage &frame, QString *error);
    bool Finish(QString *error);

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace levyc
