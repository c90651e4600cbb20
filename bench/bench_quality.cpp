// A dive's encoding as a viewer gets it, for the benchmark script:
//   bench_quality VIDEO EXACT.webp
//     VIDEO (MP4 or WebM) decoded against the exact frames of the same dive,
//     a lossless WebP: PSNR in dB over the YUV planes (the exact frames put in
//     BT.709 4:2:0 as the encoder does), the mean and the worst frame, the
//     file's mean and peak one-second bitrate, and an H.264 stream's level.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <webp/demux.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>
#include <vector>

namespace {

// The exact frames, one per frame shown, as 4:2:0 planes.
class ExactFrames
{
public:
    explicit ExactFrames(const QString &name)
    {
        QFile input(name);
        if (input.open(QIODevice::ReadOnly)) {
            file_ = input.readAll();
        }
        const WebPData data = {reinterpret_cast<const uint8_t *>(file_.constData()), static_cast<size_t>(file_.size())};
        WebPAnimDecoderOptions options;
        WebPAnimDecoderOptionsInit(&options);
        options.color_mode = MODE_BGRA;
        decoder_ = WebPAnimDecoderNew(&data, &options);
        if (decoder_ != nullptr && WebPAnimDecoderGetInfo(decoder_, &info_) == 0) {
            WebPAnimDecoderDelete(decoder_);
            decoder_ = nullptr;
        }
    }
    ~ExactFrames() { WebPAnimDecoderDelete(decoder_); }
    ExactFrames(const ExactFrames &) = delete;
    ExactFrames &operator=(const ExactFrames &) = delete;
    ExactFrames(ExactFrames &&) = delete;
    ExactFrames &operator=(ExactFrames &&) = delete;

    [[nodiscard]] bool Valid() const { return decoder_ != nullptr; }
    [[nodiscard]] int Width() const { return static_cast<int>(info_.canvas_width); }
    [[nodiscard]] int Height() const { return static_cast<int>(info_.canvas_height); }

    // The next frame shown, in BGRA; null at the end.
    const uint8_t *Next()
    {
        if (WebPAnimDecoderHasMoreFrames(decoder_) == 0) {
            return nullptr;
        }
        int end = 0;
        return WebPAnimDecoderGetNext(decoder_, &pixels_, &end) != 0 ? pixels_ : nullptr;
    }

private:
    QByteArray file_;
    WebPAnimDecoder *decoder_ = nullptr;
    WebPAnimInfo info_{};
    uint8_t *pixels_ = nullptr;
};

double SquaredError(const AVFrame *a, const AVFrame *b, int plane, int width, int height)
{
    double sum = 0;
    for (int y = 0; y < height; ++y) {
        const uint8_t *p = a->data[plane] + static_cast<std::ptrdiff_t>(y) * a->linesize[plane];
        const uint8_t *q = b->data[plane] + static_cast<std::ptrdiff_t>(y) * b->linesize[plane];
        for (int x = 0; x < width; ++x) {
            const int d = p[x] - q[x];
            sum += d * d;
        }
    }
    return sum;
}

double Psnr(double squaredError, double samples)
{
    return squaredError == 0 ? 99 : 10 * std::log10(255.0 * 255.0 * samples / squaredError);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_quality VIDEO EXACT.webp\n");
        return 2;
    }
    ExactFrames exact(QString::fromLocal8Bit(argv[2]));
    AVFormatContext *format = nullptr;
    if (!exact.Valid() || avformat_open_input(&format, argv[1], nullptr, nullptr) < 0 ||
        avformat_find_stream_info(format, nullptr) < 0) {
        std::fprintf(stderr, "bench_quality: cannot read %s or %s\n", argv[1], argv[2]);
        return 1;
    }
    const int index = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const AVStream *stream = format->streams[index];
    const AVCodec *decoder = avcodec_find_decoder(stream->codecpar->codec_id);
    AVCodecContext *codec = avcodec_alloc_context3(decoder);
    avcodec_parameters_to_context(codec, stream->codecpar);
    if (avcodec_open2(codec, decoder, nullptr) < 0 || codec->width != exact.Width() ||
        codec->height != exact.Height()) {
        std::fprintf(stderr, "bench_quality: cannot decode %s at the exact frames' size\n", argv[1]);
        return 1;
    }
    const int width = codec->width;
    const int height = codec->height;
    SwsContext *scaler = sws_getContext(width, height, AV_PIX_FMT_BGR0, width, height, AV_PIX_FMT_YUV420P, SWS_BILINEAR,
                                        nullptr, nullptr, nullptr);
    const int *coefficients = sws_getCoefficients(SWS_CS_ITU709);
    sws_setColorspaceDetails(scaler, coefficients, 1, coefficients, 0, 0, 1 << 16, 1 << 16);
    AVFrame *reference = av_frame_alloc();
    reference->format = AV_PIX_FMT_YUV420P;
    reference->width = width;
    reference->height = height;
    av_frame_get_buffer(reference, 0);
    AVFrame *decoded = av_frame_alloc();
    AVPacket *packet = av_packet_alloc();

    std::vector<double> frameY;
    std::vector<double> frameAll;
    std::vector<double> packetBytes; // by frame, in decoding order
    const auto compare = [&] {
        const uint8_t *bgra = exact.Next();
        if (bgra == nullptr) {
            return;
        }
        const uint8_t *source[] = {bgra};
        const int stride[] = {width * 4};
        sws_scale(scaler, source, stride, 0, height, reference->data, reference->linesize);
        const double y = SquaredError(decoded, reference, 0, width, height);
        const int cw = (width + 1) / 2;
        const int ch = (height + 1) / 2;
        const double uv = SquaredError(decoded, reference, 1, cw, ch) + SquaredError(decoded, reference, 2, cw, ch);
        frameY.push_back(Psnr(y, static_cast<double>(width) * height));
        frameAll.push_back(Psnr(y + uv, static_cast<double>(width) * height + 2.0 * cw * ch));
    };
    const auto drain = [&] {
        while (avcodec_receive_frame(codec, decoded) >= 0) {
            compare();
        }
    };
    while (av_read_frame(format, packet) >= 0) {
        if (packet->stream_index == index) {
            packetBytes.push_back(packet->size);
            avcodec_send_packet(codec, packet);
            drain();
        }
        av_packet_unref(packet);
    }
    avcodec_send_packet(codec, nullptr);
    drain();

    const double fps = av_q2d(stream->avg_frame_rate);
    double peak = 0;
    double window = 0;
    const auto perSecond = static_cast<std::size_t>(std::lround(fps));
    for (std::size_t i = 0; i < packetBytes.size(); ++i) {
        window += packetBytes[i] - (i >= perSecond ? packetBytes[i - perSecond] : 0);
        peak = std::max(peak, window);
    }
    double sumY = 0;
    double sumAll = 0;
    for (std::size_t i = 0; i < frameY.size(); ++i) {
        sumY += frameY[i];
        sumAll += frameAll[i];
    }
    const double n = std::max<double>(1, static_cast<double>(frameY.size()));
    const double bytes = static_cast<double>(QFileInfo(QString::fromLocal8Bit(argv[1])).size());
    std::printf("%s: %zu frames, %.2f MB, mean %.2f Mbit/s, peak 1 s %.2f Mbit/s, level %d; PSNR Y mean %.2f dB "
                "(worst frame %.2f), YUV mean %.2f dB (worst %.2f)\n",
                argv[1], frameY.size(), bytes / 1e6, bytes * 8 / 1e6 / (static_cast<double>(frameY.size()) / fps),
                peak * 8 / 1e6, stream->codecpar->level, sumY / n,
                frameY.empty() ? 0 : *std::min_element(frameY.begin(), frameY.end()), sumAll / n,
                frameAll.empty() ? 0 : *std::min_element(frameAll.begin(), frameAll.end()));
    av_packet_free(&packet);
    av_frame_free(&decoded);
    av_frame_free(&reference);
    sws_freeContext(scaler);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
    return 0;
}
