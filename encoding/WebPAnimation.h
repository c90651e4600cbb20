#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>

#include <functional>

class QImage;
struct WebPAnimEncoder;

namespace levyc {

// A looping, lossless animated WebP, built frame by frame through libwebp's
// animation encoder, which stores each frame as the box that changed. It holds
// a few frames of its own whatever their number; a frame added is read, not kept.
class WebPAnimation
{
public:
    // The widest and tallest frame libwebp takes.
    static constexpr int MaxSide = 16383;

    WebPAnimation() = default;
    ~WebPAnimation();
    WebPAnimation(const WebPAnimation &) = delete;
    WebPAnimation &operator=(const WebPAnimation &) = delete;
    WebPAnimation(WebPAnimation &&) = delete;
    WebPAnimation &operator=(WebPAnimation &&) = delete;

    // Each call false with the reason on failure, after which the animation is unusable.
    bool Start(QSize size, QString *error);
    // A frame of the started size, shown for `milliseconds`.
    bool Add(const QImage &frame, int milliseconds, QString *error);
    bool Finish(QByteArray *webp, QString *error);

private:
    bool Fail(QString *error);

    WebPAnimEncoder *encoder_ = nullptr;
    QSize size_;
    int timestamp_ = 0; // where the next frame begins, in milliseconds
};

struct AnimationTiming
{
    int frameMs = 0;
    int holdMs = 0; // the last frame's time
};

// The frame with the given index, from 0 up, asked for in order; valid until the next call.
using FrameSource = std::function<const QImage &(int frame)>;
// Called after each frame with the number added so far; false gives up.
using FrameProgress = std::function<bool(int framesAdded)>;

// An animation of `frames` frames from `source`.
bool EncodeAnimation(QSize size, int frames, const FrameSource &source, AnimationTiming timing, QByteArray *webp,
                     QString *error, const FrameProgress &progress = {});

} // namespace levyc
