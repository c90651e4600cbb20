#include "WebPFrames.h"

#include <QFile>

#include <algorithm>
#include <cmath>

#include <webp/demux.h>

WebPAnimation DecodeWebPAnimation(const QByteArray &file)
{
    const WebPData data = {reinterpret_cast<const uint8_t *>(file.constData()), static_cast<size_t>(file.size())};
    WebPAnimDecoderOptions options;
    WebPAnimDecoderOptionsInit(&options);
    options.color_mode = MODE_BGRA; // QImage's ARGB32 in memory
    WebPAnimDecoder *decoder = WebPAnimDecoderNew(&data, &options);
    WebPAnimInfo info;
    WebPAnimation animation;
    if (decoder == nullptr || WebPAnimDecoderGetInfo(decoder, &info) == 0) {
        WebPAnimDecoderDelete(decoder);
        return animation;
    }
    animation.size = QSize(static_cast<int>(info.canvas_width), static_cast<int>(info.canvas_height));
    animation.loops = static_cast<int>(info.loop_count);
    int start = 0;
    animation.valid = true;
    while (WebPAnimDecoderHasMoreFrames(decoder) != 0) {
        uint8_t *pixels = nullptr;
        int end = 0;
        if (WebPAnimDecoderGetNext(decoder, &pixels, &end) == 0) {
            animation.valid = false;
            break;
        }
        const QImage image(pixels, animation.size.width(), animation.size.height(), QImage::Format_ARGB32);
        animation.frames.append({start, end, image.convertToFormat(QImage::Format_RGB32)});
        start = end;
    }
    WebPAnimDecoderDelete(decoder);
    return animation;
}

WebPAnimation DecodeWebPFile(const QString &path)
{
    QFile input(path);
    return input.open(QIODevice::ReadOnly) ? DecodeWebPAnimation(input.readAll()) : WebPAnimation{};
}

QList<QImage> WebPFramesAt(const QString &path, int fps)
{
    QList<QImage> frames;
    for (const WebPFrame &frame : DecodeWebPFile(path).frames) {
        for (long i = std::max(1L, std::lround((frame.end - frame.start) * fps / 1000.0)); i > 0; --i) {
            frames.append(frame.image);
        }
    }
    return frames;
}
