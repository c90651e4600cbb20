#pragma once

#include "video/VideoEncoding.h"

#include <memory>

namespace levyc {

// A video made frame by frame through FFmpeg's libraries: each frame is
// converted and handed to the encoder as it comes, so only the encoder's own
// few frames are held.
class VideoEncoder final : public VideoEncoding
{
public:
    VideoEncoder();
    ~VideoEncoder() override;
    VideoEncoder(const VideoEncoder &) = delete;
    VideoEncoder &operator=(const VideoEncoder &) = delete;
    VideoEncoder(VideoEncoder &&) = delete;
    VideoEncoder &operator=(VideoEncoder &&) = delete;

    bool Start(const VideoSettings &settings, VideoSink sink, QString *error) override;
    bool Add(const QImage &frame, QString *error) override;
    bool Finish(QString *error) override;

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace levyc
