#include "DiveMovie.h"

#include "VideoModule.h"
#include "encoding/WebPAnimation.h"
#include "output/OutOfMemory.h"
#include "parallel/BoundedQueue.h"
#include "views/DiveFrame.h"
#include "views/DivePath.h"
#include "views/ViewRender.h"

#include <QElapsedTimer>

#include <climits>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

namespace levyc {

namespace {

// Frames drawn ahead of the encoder: enough to keep both busy, few enough to
// hold little memory.
constexpr std::size_t FramesAhead = 2;

// FFmpeg takes a picture while 8 bytes a pixel, with a margin of 128 pixels
// on each side, stay below INT_MAX bytes.
constexpr std::int64_t MaxVideoMarginArea = INT_MAX / 8;
constexpr int VideoMargin = 128;

// The longest side that the other allows, even.
int VideoSideFor(int other)
{
    const std::int64_t side = MaxVideoMarginArea / (other + VideoMargin) - VideoMargin;
    return static_cast<int>(std::min<std::int64_t>(side, INT_MAX)) & ~1;
}

// The encoders behind one face.
class FrameEncoder
{
public:
    FrameEncoder(const Dive &dive, int frames, const VideoSink &sink)
        : dive_(dive)
        , frames_(frames)
        , sink_(sink)
    {
    }

    bool Start(QString *error)
    {
        if (dive_.format == DiveFormat::WebP) {
            return webp_.Start(dive_.size, error);
        }
        const VideoFormat format = dive_.format == DiveFormat::Mp4 ? VideoFormat::Mp4 : VideoFormat::WebM;
        video_ = VideoModule::MakeEncoder(error);
        return video_ && video_->Start({format, dive_.size, dive_.fps, frames_, dive_.quality}, sink_, error);
    }

    bool Add(const QImage &frame, QString *error)
    {
        if (dive_.format == DiveFormat::WebP) {
            // Whole milliseconds, the rounding carried from frame to frame:
            // the frames last what the dive does.
            const auto at = [this](int frame) { return static_cast<int>(std::lround(frame * 1000.0 / dive_.fps)); };
            ++added_;
            return webp_.Add(frame, at(added_) - at(added_ - 1), error);
        }
        return video_->Add(frame, error);
    }

    bool Finish(QString *error)
    {
        if (dive_.format != DiveFormat::WebP) {
            return video_->Finish(error);
        }
        QByteArray bytes;
        return webp_.Finish(&bytes, error) && sink_.write(bytes.constData(), bytes.size(), error);
    }

private:
    const Dive &dive_;
    int frames_;
    const VideoSink &sink_;
    std::unique_ptr<VideoEncoding> video_; // loaded for MP4 and WebM only
    WebPAnimation webp_;
    int added_ = 0;
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

std::optional<DiveFormat> DiveFormatNamed(const QString &name)
{
    for (const DiveFormat format : {DiveFormat::Mp4, DiveFormat::WebM, DiveFormat::WebP}) {
        if (name.compare(DiveFormatName(format), Qt::CaseInsensitive) == 0) {
            return format;
        }
    }
    return std::nullopt;
}

QString DiveFormatName(DiveFormat format)
{
    switch (format) {
    case DiveFormat::WebM:
        return QStringLiteral("WebM");
    case DiveFormat::WebP:
        return QStringLiteral("WebP");
    case DiveFormat::Mp4:
        break;
    }
    return QStringLiteral("MP4");
}

bool DiveStreams(DiveFormat format)
{
    return format != DiveFormat::WebP;
}

bool DiveSizeFits(DiveFormat format, QSize size, QSize *largest)
{
    if (format == DiveFormat::WebP) {
        *largest = QSize(WebPAnimation::MaxSide, WebPAnimation::MaxSide);
        return size.width() <= WebPAnimation::MaxSide && size.height() <= WebPAnimation::MaxSide;
    }
    *largest = QSize(VideoSideFor(size.height()), VideoSideFor(size.width()));
    return static_cast<std::int64_t>(size.width() + VideoMargin) * (size.height() + VideoMargin) <= MaxVideoMarginArea;
}

DivePath PathOf(const Dive &dive)
{
    std::vector<WorldWindow> views{dive.from};
    views.insert(views.end(), dive.through.begin(), dive.through.end());
    views.push_back(dive.to);
    return {views, dive.seconds, dive.fps, dive.size, dive.holds};
}

bool MakeDive(const Dive &dive, std::span<const CurveRecord> curves, const VideoSink &sink, DiveFigures *figures,
              QString *error, const DiveProgress &progress)
{
    QElapsedTimer total;
    total.start();
    const DivePath path = PathOf(dive);
    const int frames = path.Frames();
    *figures = {frames, 0, 0, 0};
    FrameEncoder encoder(dive, frames, sink);
    if (!encoder.Start(error)) {
        return false;
    }
    BoundedQueue<QImage> queue(FramesAhead); // from the drawing thread to the encoding one
    std::atomic<int> encoded = 0;
    QString encodeError;
    qint64 encodeNs = 0;
    std::atomic<bool> outOfMemory = false;
    const auto encode = [&](const QImage &frame) {
        QElapsedTimer timer;
        timer.start();
        bool added = false;
        try {
            added = encoder.Add(frame, &encodeError);
        } catch (const std::bad_alloc &) {
            // Short of memory even to tell why: told once the encoder has stopped.
            outOfMemory = true;
        }
        encodeNs += timer.nsecsElapsed();
        encoded += added ? 1 : 0;
        return added;
    };
    // Without a thread to be had, the frames are encoded here, each once drawn.
    std::thread encoding;
    try {
        encoding = std::thread([&] {
            while (const std::optional<QImage> frame = queue.Pop()) {
                if (!encode(*frame)) {
                    queue.Stop();
                    return;
                }
            }
        });
    } catch (const std::system_error &) {
    }
    bool cancelled = false;
    bool drawn = true;
    bool added = true;
    WorldWindow window = path.First();
    QElapsedTimer timer;
    qint64 renderNs = 0;
    DiveFrames film(curves, path, dive.size);
    for (int i = 0; i < frames && drawn && added; ++i) {
        if (progress && !progress(encoded, frames)) {
            cancelled = true;
            break;
        }
        timer.start();
        window = path.Frame(i);
        QImage frame = film.Frame(i);
        renderNs += timer.nsecsElapsed();
        drawn = !frame.isNull();
        if (drawn) {
            added = encoding.joinable() ? queue.Push(std::move(frame)) : encode(frame);
        }
    }
    if (cancelled || !drawn) {
        queue.Stop();
    }
    queue.End();
    if (encoding.joinable()) {
        encoding.join();
    }
    figures->renderMs = static_cast<double>(renderNs) / 1e6;
    if (outOfMemory) {
        *error = OutOfMemory::For("dive", dive.size);
        return false;
    }
    if (!encodeError.isEmpty()) {
        *error = encodeError;
        return false;
    }
    if (cancelled) {
        *error = QStringLiteral("cancelled");
        return false;
    }
    if (!drawn) {
        // The options are checked before any work; a view that cannot be drawn here is a fault, not memory.
        *error = IsDrawableWindow(window) && PixelAspect(window, dive.size) <= MaxPixelAspect
                     ? OutOfMemory::For("dive", dive.size)
                     : QStringLiteral("the view at %1,%2,%3,%4 cannot be drawn at %5x%6")
                           .arg(window.Left, 0, 'g', 17)
                           .arg(window.Top, 0, 'g', 17)
                           .arg(window.Right, 0, 'g', 17)
                           .arg(window.Bottom, 0, 'g', 17)
                           .arg(dive.size.width())
                           .arg(dive.size.height());
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

bool EncodeAlone(const Dive &dive, std::span<const QImage> frames, qint64 *bytes, double *encodeMs, QString *error)
{
    // Only counted: the offset and the furthest byte, for an MP4's index written after its frames.
    qint64 at = 0;
    qint64 end = 0;
    const VideoSink counter{[&](const char *, qint64 size, QString *) {
                                at += size;
                                end = std::max(end, at);
                                return true;
                            },
                            [&](qint64 offset, int whence) {
                                at = whence == SEEK_SET ? offset : whence == SEEK_CUR ? at + offset : end + offset;
                                return at;
                            }};
    QElapsedTimer timer;
    timer.start();
    FrameEncoder encoder(dive, static_cast<int>(frames.size()), counter);
    bool made = encoder.Start(error);
    for (std::size_t i = 0; made && i < frames.size(); ++i) {
        made = encoder.Add(frames[i], error);
    }
    made = made && encoder.Finish(error);
    *bytes = end;
    *encodeMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    return made;
}

} // namespace levyc
