#include "private/VideoEncoder.h"

#include "private/H264Level.h"

#include <QByteArray>
#include <QImage>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <system_error>
#include <thread>

namespace levyc {

namespace {

constexpr int IoBufferSize = 1 << 16;

// The lowest H.264 level named: 4.1 is played everywhere, and its bitrate
// leaves x264 room at the highest qualities up to 1080p.
constexpr int LevelFloor = 41;

// The MP4 index's room before the frames: the boxes that do not grow, and the
// most that a frame adds to its size, time, offset, key and order tables.
constexpr std::int64_t IndexRoomFixed = 4096;
constexpr std::int64_t IndexRoomPerFrame = 48;

// Each codec's constant-quality figure (lower is better) for a quality of 0
// to 100, set by measuring dives: at 25, 50 and 75 the two formats come out
// alike in size and PSNR.
double X264Crf(int quality)
{
    return 39.0 - 0.3 * quality;
}

constexpr int MaxVp9Crf = 63;

int Vp9Crf(int quality)
{
    return std::min(MaxVp9Crf, static_cast<int>(std::lround(67.0 - 0.48 * quality)));
}

QString Reason(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromLocal8Bit(text);
}

bool ThreadsToBeHad()
{
    try {
        std::thread([] {}).join();
        return true;
    } catch (const std::system_error &) {
        return false;
    }
}

} // namespace

struct VideoEncoder::State
{
    VideoSink sink;
    QString sinkError; // the first write's failure, as the sink told it
    AVFormatContext *format = nullptr;
    AVIOContext *io = nullptr;
    AVCodecContext *codec = nullptr;
    AVStream *stream = nullptr;
    SwsContext *scaler = nullptr;
    AVFrame *frame = nullptr;
    AVPacket *packet = nullptr;
    QSize size;
    std::int64_t next = 0; // the next frame's time, in frames
    bool headerWritten = false;

    ~State()
    {
        av_packet_free(&packet);
        av_frame_free(&frame);
        sws_freeContext(scaler);
        avcodec_free_context(&codec);
        if (io != nullptr) {
            av_freep(&io->buffer);
            avio_context_free(&io);
        }
        avformat_free_context(format);
    }

    static int Write(void *opaque, std::uint8_t *data, int size)
    {
        auto *state = static_cast<State *>(opaque);
        if (!state->sinkError.isEmpty() ||
            !state->sink.write(reinterpret_cast<const char *>(data), size, &state->sinkError)) {
            return AVERROR(EIO);
        }
        return size;
    }

    static std::int64_t Seek(void *opaque, std::int64_t offset, int whence)
    {
        auto *state = static_cast<State *>(opaque);
        if ((whence & AVSEEK_SIZE) != 0) {
            return -1; // not known, and not needed
        }
        return state->sink.seek(offset, whence & ~AVSEEK_FORCE);
    }

    // The sink's own line when a write failed, else what the library said.
    bool Fail(QString *error, const QString &what, int code) const
    {
        *error = !sinkError.isEmpty() ? sinkError : QStringLiteral("%1: %2").arg(what, Reason(code));
        return false;
    }

    // Hands the encoder's packets to the muxer; `frame` null drains it.
    bool Encode(const AVFrame *input, QString *error) const
    {
        int result = avcodec_send_frame(codec, input);
        if (result < 0) {
            return Fail(error, QStringLiteral("cannot encode a frame"), result);
        }
        while ((result = avcodec_receive_packet(codec, packet)) >= 0) {
            av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
            packet->stream_index = stream->index;
            result = av_interleaved_write_frame(format, packet);
            if (result < 0) {
                return Fail(error, QStringLiteral("cannot write the video"), result);
            }
        }
        return result == AVERROR(EAGAIN) || result == AVERROR_EOF ||
               Fail(error, QStringLiteral("cannot encode a frame"), result);
    }
};

VideoEncoder::VideoEncoder() = default;
VideoEncoder::~VideoEncoder() = default;

bool VideoEncoder::Start(const VideoSettings &settings, VideoSink sink, QString *error)
{
    const QSize size = settings.size;
    const int fps = settings.fps;
    // Errors only: the caller tells them in one line, and may read these to
    // tell why (libvpx's memory running out comes back as a generic error).
    av_log_set_level(AV_LOG_ERROR);
    state_ = std::make_unique<State>();
    State &s = *state_;
    s.sink = std::move(sink);
    s.size = size;
    const bool mp4 = settings.format == VideoFormat::Mp4;
    const char *encoderName = mp4 ? "libx264" : "libvpx-vp9";
    const AVCodec *encoder = avcodec_find_encoder_by_name(encoderName);
    if (encoder == nullptr) {
        *error = QStringLiteral("this FFmpeg has no %1 encoder").arg(QLatin1String(encoderName));
        return false;
    }
    int result = avformat_alloc_output_context2(&s.format, nullptr, mp4 ? "mp4" : "webm", nullptr);
    if (result < 0) {
        return s.Fail(error, QStringLiteral("cannot make the container"), result);
    }
    auto *buffer = static_cast<unsigned char *>(av_malloc(IoBufferSize));
    s.io = buffer == nullptr ? nullptr
                             : avio_alloc_context(buffer, IoBufferSize, 1, &s, nullptr, &State::Write,
                                                  s.sink.seek ? &State::Seek : nullptr);
    if (s.io == nullptr) {
        av_free(buffer);
        return s.Fail(error, QStringLiteral("cannot make the container"), AVERROR(ENOMEM));
    }
    s.io->seekable = s.sink.seek ? AVIO_SEEKABLE_NORMAL : 0;
    s.format->pb = s.io;
    s.format->flags |= AVFMT_FLAG_CUSTOM_IO;

    s.codec = avcodec_alloc_context3(encoder);
    s.frame = av_frame_alloc();
    s.packet = av_packet_alloc();
    s.scaler = sws_getContext(size.width(), size.height(), AV_PIX_FMT_BGR0, size.width(), size.height(),
                              AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (s.codec == nullptr || s.frame == nullptr || s.packet == nullptr || s.scaler == nullptr) {
        return s.Fail(error, QStringLiteral("cannot start the encoder"), AVERROR(ENOMEM));
    }
    // The picture's colours in BT.709, as HD video is shown, and so tagged.
    const int *coefficients = sws_getCoefficients(SWS_CS_ITU709);
    sws_setColorspaceDetails(s.scaler, coefficients, 1, coefficients, 0, 0, 1 << 16, 1 << 16);
    const auto open = [&](int threads) {
        s.codec->width = size.width();
        s.codec->height = size.height();
        s.codec->pix_fmt = AV_PIX_FMT_YUV420P;
        s.codec->time_base = {1, fps};
        s.codec->framerate = {fps, 1};
        s.codec->gop_size = fps * VideoSettings::KeyFrameSeconds;
        s.codec->color_range = AVCOL_RANGE_MPEG;
        s.codec->colorspace = AVCOL_SPC_BT709;
        s.codec->color_primaries = AVCOL_PRI_BT709;
        s.codec->color_trc = AVCOL_TRC_BT709;
        s.codec->thread_count = threads;
        if ((s.format->oformat->flags & AVFMT_GLOBALHEADER) != 0) {
            s.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        }
        AVDictionary *codecOptions = nullptr;
        if (mp4) {
            // Fast enough to keep up with the views on a shared core: the
            // veryfast preset's rate control, whose look-ahead and macroblock
            // tree a steady zoom gains most from, with a cheaper search, which
            // takes about a fifth of the dive's processor time off at the
            // same size and PSNR, a step higher on the scale above.
            av_dict_set(&codecOptions, "preset", "veryfast", 0);
            av_dict_set(&codecOptions, "x264-params", "me=dia:subme=1:partitions=i8x8,i4x4", 0);
            av_dict_set(&codecOptions, "crf", QByteArray::number(X264Crf(settings.quality), 'f', 1).constData(), 0);
            // The level the file is tagged with holds: its bitrate and buffer
            // bound the encoder's. None above the largest level's frame.
            const H264Level level = H264LevelFor(size, fps, LevelFloor);
            if (level.idc != 0) {
                s.codec->level = level.idc;
                s.codec->rc_max_rate = static_cast<std::int64_t>(level.maxKbps) * 1000;
                s.codec->rc_buffer_size = level.bufferKbit * 1000;
            }
        } else {
            av_dict_set(&codecOptions, "deadline", "realtime", 0);
            av_dict_set(&codecOptions, "cpu-used", "8", 0);
            av_dict_set(&codecOptions, "row-mt", "1", 0);
            av_dict_set(&codecOptions, "crf", QByteArray::number(Vp9Crf(settings.quality)).constData(), 0);
            av_dict_set(&codecOptions, "b", "0", 0);
        }
        const int opened = avcodec_open2(s.codec, encoder, &codecOptions);
        av_dict_free(&codecOptions);
        return opened;
    };
    // One per core; the caller's alone when no other can be had, since the
    // encoders fail rather than go on with fewer. Threads the system gives
    // one at a time can still run out as the encoder makes its own: then it
    // starts again on the caller's alone.
    const int threads = ThreadsToBeHad() ? 0 : 1;
    result = open(threads);
    if (result < 0 && threads != 1) {
        avcodec_free_context(&s.codec);
        s.codec = avcodec_alloc_context3(encoder);
        result = s.codec == nullptr ? AVERROR(ENOMEM) : open(1);
    }
    if (result < 0) {
        return s.Fail(error, QStringLiteral("cannot start the %1 encoder").arg(QLatin1String(encoderName)), result);
    }
    s.stream = avformat_new_stream(s.format, nullptr);
    if (s.stream == nullptr) {
        return s.Fail(error, QStringLiteral("cannot make the container"), AVERROR(ENOMEM));
    }
    s.stream->time_base = s.codec->time_base;
    s.stream->avg_frame_rate = s.codec->framerate;
    result = avcodec_parameters_from_context(s.stream->codecpar, s.codec);
    s.frame->format = AV_PIX_FMT_YUV420P;
    s.frame->width = size.width();
    s.frame->height = size.height();
    if (result >= 0) {
        result = av_frame_get_buffer(s.frame, 0);
    }
    if (result < 0) {
        return s.Fail(error, QStringLiteral("cannot start the encoder"), result);
    }
    AVDictionary *muxerOptions = nullptr;
    if (mp4 && !s.sink.seek) {
        // A stream cannot go back for the index: each fragment carries its own.
        av_dict_set(&muxerOptions, "movflags", "frag_keyframe+empty_moov+default_base_moof", 0);
    } else if (mp4 && settings.frames > 0) {
        // The index before the frames, so that a player starts before it has
        // the whole file: its room is kept, and filled once the frames are in.
        const std::int64_t room = IndexRoomFixed + IndexRoomPerFrame * settings.frames;
        av_dict_set_int(&muxerOptions, "moov_size", room, 0);
    }
    result = avformat_write_header(s.format, &muxerOptions);
    av_dict_free(&muxerOptions);
    if (result < 0) {
        return s.Fail(error, QStringLiteral("cannot write the video"), result);
    }
    s.headerWritten = true;
    return true;
}

bool VideoEncoder::Add(const QImage &frame, QString *error)
{
    if (!state_ || !state_->headerWritten) {
        *error = QStringLiteral("the encoder is not started");
        return false;
    }
    State &s = *state_;
    if (frame.size() != s.size || frame.format() != QImage::Format_RGB32) {
        *error = QStringLiteral("a frame of another size or format");
        return false;
    }
    // The encoder may still hold the last frame's planes.
    int result = av_frame_make_writable(s.frame);
    if (result < 0) {
        return s.Fail(error, QStringLiteral("cannot convert a frame"), result);
    }
    const std::uint8_t *source[] = {frame.constBits()};
    const int sourceStride[] = {static_cast<int>(frame.bytesPerLine())};
    sws_scale(s.scaler, source, sourceStride, 0, s.size.height(), s.frame->data, s.frame->linesize);
    s.frame->pts = s.next++;
    return s.Encode(s.frame, error);
}

bool VideoEncoder::Finish(QString *error)
{
    if (!state_ || !state_->headerWritten) {
        *error = QStringLiteral("the encoder is not started");
        return false;
    }
    State &s = *state_;
    if (!s.Encode(nullptr, error)) {
        return false;
    }
    const int result = av_write_trailer(s.format);
    avio_flush(s.io);
    if (result < 0 || s.io->error < 0 || !s.sinkError.isEmpty()) {
        return s.Fail(error, QStringLiteral("cannot write the video"), result < 0 ? result : s.io->error);
    }
    state_.reset();
    return true;
}

} // namespace levyc

// What the programs look up once they have loaded the module.
extern "C" Q_DECL_EXPORT levyc::VideoEncoding *LevycMakeVideoEncoding()
{
    return new levyc::VideoEncoder;
}

extern "C" Q_DECL_EXPORT const char *LevycVideoModuleVersion()
{
    return LEVYC_VERSION;
}
