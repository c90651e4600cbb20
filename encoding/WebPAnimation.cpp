#include "WebPAnimation.h"

#include "output/OutOfMemory.h"

#include <QImage>

#include <webp/encode.h>
#include <webp/mux.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace levyc {

static_assert(WebPAnimation::MaxSide == WEBP_MAX_DIMENSION);

namespace {

// Lossless, at the least effort that still gives the smallest file for frames
// of thin lines: more only costs time.
bool LosslessConfig(WebPConfig *config)
{
    if (WebPConfigInit(config) == 0) {
        return false;
    }
    config->lossless = 1;
    config->method = 1;
    config->quality = 25;
    return WebPValidateConfig(config) != 0;
}

} // namespace

WebPAnimation::~WebPAnimation()
{
    WebPAnimEncoderDelete(encoder_);
}

bool WebPAnimation::Fail(QString *error)
{
    const char *reason = encoder_ == nullptr ? nullptr : WebPAnimEncoderGetError(encoder_);
    // The encoder's reasons name its own steps, and a frame's failure by its
    // number; running out of memory is what happens in practice.
    const char *code = reason == nullptr ? nullptr : std::strstr(reason, "WebPEncodingError: ");
    const int number = code == nullptr ? 0 : std::atoi(code + std::strlen("WebPEncodingError: "));
    *error = reason == nullptr || *reason == '\0' || std::strstr(reason, "emory") != nullptr ||
                     number == VP8_ENC_ERROR_OUT_OF_MEMORY || number == VP8_ENC_ERROR_BITSTREAM_OUT_OF_MEMORY
                 ? OutOfMemory::Text()
                 : QString::fromLatin1(reason);
    WebPAnimEncoderDelete(encoder_);
    encoder_ = nullptr;
    return false;
}

bool WebPAnimation::Start(QSize size, QString *error)
{
    WebPAnimEncoderOptions options;
    if (WebPAnimEncoderOptionsInit(&options) == 0) {
        *error = QStringLiteral("the WebP library is not the one this program was built with");
        return false;
    }
    options.anim_params.loop_count = 0; // forever
    options.anim_params.bgcolor = 0xff000000U;
    options.kmax = 0; // no key frames: every frame after the first is its changed box
    size_ = size;
    timestamp_ = 0;
    WebPAnimEncoderDelete(encoder_);
    encoder_ = WebPAnimEncoderNew(size.width(), size.height(), &options);
    return encoder_ != nullptr || Fail(error);
}

bool WebPAnimation::Add(const QImage &frame, int milliseconds, QString *error)
{
    if (encoder_ == nullptr) {
        return Fail(error);
    }
    const QImage argb = frame.format() == QImage::Format_RGB32 || frame.format() == QImage::Format_ARGB32
                            ? frame
                            : frame.convertToFormat(QImage::Format_ARGB32);
    WebPConfig config;
    WebPPicture picture;
    if (argb.size() != size_ || !LosslessConfig(&config) || WebPPictureInit(&picture) == 0) {
        *error = argb.isNull() ? OutOfMemory::Text() : QStringLiteral("a frame of another size");
        return false;
    }
    // The image's own pixels, which are the encoder's ARGB words: it copies
    // what it keeps and changes nothing here.
    picture.use_argb = 1;
    picture.width = size_.width();
    picture.height = size_.height();
    picture.argb = const_cast<uint32_t *>(reinterpret_cast<const uint32_t *>(argb.constBits()));
    picture.argb_stride = static_cast<int>(argb.bytesPerLine() / 4);
    if (WebPAnimEncoderAdd(encoder_, &picture, timestamp_, &config) == 0) {
        return Fail(error);
    }
    timestamp_ += milliseconds;
    return true;
}

bool WebPAnimation::Finish(QByteArray *webp, QString *error)
{
    WebPData data;
    WebPDataInit(&data);
    if (encoder_ == nullptr || WebPAnimEncoderAdd(encoder_, nullptr, timestamp_, nullptr) == 0 ||
        WebPAnimEncoderAssemble(encoder_, &data) == 0) {
        return Fail(error);
    }
    bool copied = true;
    try {
        *webp = QByteArray(reinterpret_cast<const char *>(data.bytes), static_cast<qsizetype>(data.size));
    } catch (const std::bad_alloc &) {
        copied = false;
    }
    WebPDataClear(&data);
    WebPAnimEncoderDelete(encoder_);
    encoder_ = nullptr;
    if (!copied) {
        *error = OutOfMemory::Text();
    }
    return copied;
}

bool EncodeAnimation(QSize size, int frames, const FrameSource &source, AnimationTiming timing, QByteArray *webp,
                     QString *error, const FrameProgress &progress)
{
    WebPAnimation animation;
    if (!animation.Start(size, error)) {
        return false;
    }
    for (int frame = 0; frame < frames; ++frame) {
        const int milliseconds = frame + 1 < frames ? timing.frameMs : timing.holdMs;
        if (!animation.Add(source(frame), milliseconds, error)) {
            return false;
        }
        if (progress && !progress(frame + 1)) {
            *error = QStringLiteral("cancelled");
            return false;
        }
    }
    return animation.Finish(webp, error);
}

} // namespace levyc
