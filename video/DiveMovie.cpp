#include "DiveMovie.h"

#include "ViewRender.h"
#include "WebPAnimation.h"

#include <QElapsedTimer>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace levyc {

namespace {

// Frames drawn ahead of the encoder: enough to keep both busy, few enough to
// hold little memory.
constexpr std::size_t FramesAhead = 2;

// The encoders behind one face.
class FrameEncoder
{
public:
    FrameEncoder(const Dive &dive, const VideoSink &sink)
        : dive_(dive)
        , sink_(sink)
    {
    }

    bool Start(QString *error)
    {
        if (dive_.format == DiveFormat::WebP) {
            return webp_.Start(dive_.size, error);
        }
        const VideoFormat format = dive_.format == DiveFormat::Mp4 ? VideoFormat::Mp4 : VideoFormat::WebM;
        return video_.Start(format, dive_.size, dive_.fps, sink_, error);
    }

    bool Add(const QImage &frame, QString *error)
    {
        if (dive_.format == DiveFormat::WebP) {
            return webp_.Add(frame, (1000 + dive_.fps / 2) / dive_.fps, error);
        }
        return video_.Add(frame, error);
    }

    bool Finish(QString *error)
    {
        if (dive_.format != DiveFormat::WebP) {
            return video_.Finish(error);
        }
        QByteArray bytes;
        return webp_.Finish(&bytes, error) && sink_.write(bytes.constData(), bytes.size(), error);
    }

private:
    const Dive &dive_;
    const VideoSink &sink_;
    VideoEncoder video_;
    WebPAnimation webp_;
};

// Frames handed from the drawing thread to the encoding one.
class FrameQueue
{
public:
    // Waits for room; false when the encoder has stopped.
    bool Push(QImage frame)
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return frames_.size() < FramesAhead || stopped_; });
        if (stopped_) {
            return false;
        }
        frames_.push_back(std::move(frame));
        changed_.notify_all();
        return true;
    }

    // The next frame, or nothing once the frames have ended.
    std::optional<QImage> Pop()
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !frames_.empty() || ended_; });
        if (frames_.empty()) {
            return std::nullopt;
        }
        QImage frame = std::move(frames_.front());
        frames_.pop_front();
        changed_.notify_all();
        return frame;
    }

    void End()
    {
        const std::lock_guard lock(mutex_);
        ended_ = true;
        changed_.notify_all();
    }

    void Stop()
    {
        const std::lock_guard lock(mutex_);
        stopped_ = true;
        frames_.clear();
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<QImage> frames_;
    bool ended_ = false;
    bool stopped_ = false;
};

} // namespace

std::optional<DiveFormat> DiveFormatOf(const QByteArray &name)
{
    const QByteArray lower = name.toLower();
    if (lower.endsWith(".mp4")) {
        return DiveFormat::Mp4;
    }
    if (lower.endsWith(".webm")) {
        return DiveFormat::WebM;
    }
    if (lower.endsWith(".webp")) {
        return DiveFormat::WebP;
    }
    return std::nullopt;
}

bool DiveStreams(DiveFormat format)
{
    return format != DiveFormat::WebP;
}

DivePath PathOf(const Dive &dive)
{
    std::vector<WorldWindow> views{dive.from};
    views.insert(views.end(), dive.through.begin(), dive.through.end());
    views.push_back(dive.to);
    return {views, dive.seconds, dive.fps, dive.size};
}

bool MakeDive(const Dive &dive, std::span<const CurveRecord> curves, const VideoSink &sink, DiveFigures *figures,
              QString *error, const DiveProgress &progress)
{
    QElapsedTimer total;
    total.start();
    const DivePath path = PathOf(dive);
    const int frames = path.Frames();
    *figures = {frames, 0, 0, 0};
    FrameEncoder encoder(dive, sink);
    if (!encoder.Start(error)) {
        return false;
    }
    FrameQueue queue;
    std::atomic<int> encoded = 0;
    QString encodeError;
    qint64 encodeNs = 0;
    std::thread encoding([&] {
        QElapsedTimer timer;
        while (const std::optional<QImage> frame = queue.Pop()) {
            timer.start();
            const bool added = encoder.Add(*frame, &encodeError);
            encodeNs += timer.nsecsElapsed();
            if (!added) {
                queue.Stop();
                return;
            }
            ++encoded;
        }
    });
    bool cancelled = false;
    bool drawn = true;
    QElapsedTimer timer;
    qint64 renderNs = 0;
    for (int i = 0; i < frames && drawn; ++i) {
        if (progress && !progress(encoded, frames)) {
            cancelled = true;
            break;
        }
        timer.start();
        ViewRenderOptions smooth;
        smooth.smoothing = path.Smoothing(i);
        RenderedView view = RenderView(curves, path.Frame(i), dive.size, smooth);
        renderNs += timer.nsecsElapsed();
        drawn = !view.image.isNull();
        // The Draw's own window comes as the Draw draws it, in its own format.
        if (drawn && view.image.format() != QImage::Format_RGB32) {
            view.image = view.image.convertToFormat(QImage::Format_RGB32);
        }
        drawn = drawn && queue.Push(std::move(view.image));
    }
    if (cancelled || !drawn) {
        queue.Stop();
    }
    queue.End();
    encoding.join();
    figures->renderMs = static_cast<double>(renderNs) / 1e6;
    if (!encodeError.isEmpty()) {
        *error = encodeError;
        return false;
    }
    if (cancelled) {
        *error = QStringLiteral("cancelled");
        return false;
    }
    if (!drawn) {
        *error = QStringLiteral("not enough memory for a %1x%2 frame").arg(dive.size.width()).arg(dive.size.height());
        return false;
    }
    timer.start();
    const bool finished = encoder.Finish(error);
    figures->encodeMs = static_cast<double>(encodeNs + timer.nsecsElapsed()) / 1e6;
    figures->totalMs = static_cast<double>(total.nsecsElapsed()) / 1e6;
    if (finished && progress) {
        progress(frames, frames);
    }
    return finished;
}

} // namespace levyc
