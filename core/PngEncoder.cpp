#include "PngEncoder.h"

#include <QImage>

#include <png.h>

#include <cerrno>
#include <cstring>
#include <new>
#include <vector>

namespace levyc {

namespace {

struct Sink
{
    QByteArray *bytes = nullptr;
    char reason[200] = {};
};

Sink &SinkOf(png_structp png)
{
    return *static_cast<Sink *>(png_get_error_ptr(png));
}

extern "C" void OnError(png_structp png, png_const_charp message)
{
    Sink &sink = SinkOf(png);
    std::strncpy(sink.reason, message, sizeof sink.reason - 1);
    png_longjmp(png, 1);
}

extern "C" void OnWarning(png_structp /*png*/, png_const_charp /*message*/) {}

extern "C" void OnWrite(png_structp png, png_bytep data, png_size_t length)
{
    bool outOfMemory = false;
    try {
        SinkOf(png).bytes->append(reinterpret_cast<const char *>(data), static_cast<qsizetype>(length));
    } catch (const std::bad_alloc &) {
        outOfMemory = true;
    }
    // Outside the handler: the jump must not leave an exception half caught.
    if (outOfMemory) {
        png_error(png, "out of memory");
    }
}

extern "C" void OnFlush(png_structp /*png*/) {}

// Apart from EncodePng so that no object with a destructor lives between
// setjmp and a jump back to it.
bool WriteRows(png_structp png, png_infop info, const QImage &image, png_bytep row)
{
    if (setjmp(png_jmpbuf(png)) != 0) {
        return false;
    }
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width()), static_cast<png_uint_32>(image.height()), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < image.height(); ++y) {
        const auto *pixels = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        png_bytep out = row;
        for (int x = 0; x < image.width(); ++x) {
            *out++ = static_cast<png_byte>(qRed(pixels[x]));
            *out++ = static_cast<png_byte>(qGreen(pixels[x]));
            *out++ = static_cast<png_byte>(qBlue(pixels[x]));
        }
        png_write_row(png, row);
    }
    png_write_end(png, info);
    return true;
}

} // namespace

bool EncodePng(const QImage &image, QByteArray *png, QString *error)
{
    try {
        const QImage opaque = image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32
                                  ? image
                                  : image.convertToFormat(QImage::Format_RGB32);
        std::vector<png_byte> row(static_cast<size_t>(opaque.width()) * 3);
        Sink sink;
        sink.bytes = png;
        png_structp writer = png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink, OnError, OnWarning);
        png_infop info = writer == nullptr ? nullptr : png_create_info_struct(writer);
        if (info == nullptr) {
            png_destroy_write_struct(&writer, nullptr);
            *error = QString::fromLocal8Bit(std::strerror(ENOMEM));
            return false;
        }
        png_set_write_fn(writer, &sink, OnWrite, OnFlush);
        const bool written = !opaque.isNull() && WriteRows(writer, info, opaque, row.data());
        png_destroy_write_struct(&writer, &info);
        if (!written) {
            // libpng's own allocation failures and ours both say "out of memory".
            *error = opaque.isNull() || std::strstr(sink.reason, "memory") != nullptr
                         ? QString::fromLocal8Bit(std::strerror(ENOMEM))
                         : QString::fromLatin1(sink.reason);
        }
        return written;
    } catch (const std::bad_alloc &) {
        *error = QString::fromLocal8Bit(std::strerror(ENOMEM));
        return false;
    }
}

} // namespace levyc
