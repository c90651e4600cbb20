#include "PngEncoder.h"

#include "output/OutOfMemory.h"
#include "private/BlockDeflate.h"
#include "private/Palette.h"

#include <QImage>

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <utility>
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
bool WriteRows(png_structp png, png_infop info, const QImage &image, png_bytep row, std::vector<png_text> &texts)
{
    if (setjmp(png_jmpbuf(png)) != 0) {
        return false;
    }
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width()), static_cast<png_uint_32>(image.height()), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!texts.empty()) {
        png_set_text(png, info, texts.data(), static_cast<int>(texts.size()));
    }
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

// Rows without a filter and compressed as runs: on thin lines over black this
// is several times faster than zlib's default and smaller than the RGB file it
// replaced. A small image takes the strongest compression, which costs little there.
BlockDeflate::Settings IndexedSettings(const QImage &image)
{
    constexpr qint64 SmallPixels = qint64{1} << 20;
    if (qint64{image.width()} * image.height() <= SmallPixels) {
        return {Z_BEST_COMPRESSION, Z_DEFAULT_STRATEGY};
    }
    return {1, Z_RLE};
}

void AppendBigEndian(QByteArray &bytes, quint32 value)
{
    for (int shift = 24; shift >= 0; shift -= 8) {
        bytes.append(static_cast<char>(value >> shift));
    }
}

void AppendChunk(QByteArray &png, const char (&type)[5], const std::uint8_t *data, std::size_t length)
{
    AppendBigEndian(png, static_cast<quint32>(length));
    const qsizetype start = png.size();
    png.append(type, 4);
    png.append(reinterpret_cast<const char *>(data), static_cast<qsizetype>(length));
    const auto *typed = reinterpret_cast<const Bytef *>(png.constData() + start);
    AppendBigEndian(png, static_cast<quint32>(crc32(0, typed, static_cast<uInt>(length + 4))));
}

// The image's texts that a tEXt chunk can hold: keyword and text in Latin-1,
// the keyword from 1 to 79 characters.
std::vector<std::pair<QByteArray, QByteArray>> Texts(const QImage &image)
{
    std::vector<std::pair<QByteArray, QByteArray>> texts;
    for (const QString &key : image.textKeys()) {
        const QString text = image.text(key);
        const auto latin1 = [](const QString &value) {
            return std::all_of(value.begin(), value.end(),
                               [](QChar c) { return c.unicode() > 0 && c.unicode() < 256; });
        };
        if (!key.isEmpty() && key.size() < 80 && latin1(key) && latin1(text)) {
            texts.emplace_back(key.toLatin1(), text.toLatin1());
        }
    }
    return texts;
}

// An 8-bit indexed PNG; false only when memory runs out.
bool WriteIndexed(const QImage &image, const Palette &palette, QByteArray *png, const EncodeProgress &progress)
{
    const int width = image.width();
    BlockDeflate deflate(image.height(), static_cast<std::size_t>(width) + 1, IndexedSettings(image));
    const bool compressed = deflate.Run(
        [&image, &palette, width](int row, std::uint8_t *bytes) {
            bytes[0] = PNG_FILTER_VALUE_NONE;
            palette.IndexRow(reinterpret_cast<const QRgb *>(image.constScanLine(row)), width, bytes + 1);
        },
        progress);
    if (!compressed) {
        return false;
    }
    std::vector<std::vector<std::uint8_t>> &parts = deflate.Parts();
    qsizetype size = 8 + 25 + 12 + 3 * static_cast<qsizetype>(palette.Colours().size()) + 12;
    for (const std::vector<std::uint8_t> &part : parts) {
        size += 12 + static_cast<qsizetype>(part.size());
    }
    png->clear();
    png->reserve(size);
    const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    png->append(reinterpret_cast<const char *>(signature), sizeof signature);
    std::uint8_t header[13] = {};
    for (int i = 0; i < 4; ++i) {
        header[i] = static_cast<std::uint8_t>(static_cast<quint32>(width) >> (24 - 8 * i));
        header[4 + i] = static_cast<std::uint8_t>(static_cast<quint32>(image.height()) >> (24 - 8 * i));
    }
    header[8] = 8; // bits per index
    header[9] = PNG_COLOR_TYPE_PALETTE;
    AppendChunk(*png, "IHDR", header, sizeof header);
    std::vector<std::uint8_t> colours;
    for (const QRgb colour : palette.Colours()) {
        colours.insert(colours.end(),
                       {static_cast<std::uint8_t>(qRed(colour)), static_cast<std::uint8_t>(qGreen(colour)),
                        static_cast<std::uint8_t>(qBlue(colour))});
    }
    AppendChunk(*png, "PLTE", colours.data(), colours.size());
    for (const auto &[key, text] : Texts(image)) {
        const QByteArray chunk = key + '\0' + text;
        AppendChunk(*png, "tEXt", reinterpret_cast<const std::uint8_t *>(chunk.constData()),
                    static_cast<std::size_t>(chunk.size()));
    }
    for (std::vector<std::uint8_t> &part : parts) {
        AppendChunk(*png, "IDAT", part.data(), part.size());
        std::vector<std::uint8_t>().swap(part); // each part goes as soon as it is copied
    }
    AppendChunk(*png, "IEND", nullptr, 0);
    return true;
}

} // namespace

bool EncodePng(const QImage &image, QByteArray *png, QString *error, const EncodeProgress &progress)
{
    try {
        const QImage opaque = image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32
                                  ? image
                                  : image.convertToFormat(QImage::Format_RGB32);
        if (opaque.isNull()) {
            *error = OutOfMemory::Text();
            return false;
        }
        if (auto palette = std::make_unique<Palette>(); palette->Take(opaque)) {
            if (!WriteIndexed(opaque, *palette, png, progress)) {
                *error = OutOfMemory::Text();
                return false;
            }
            return true;
        }
        std::vector<png_byte> row(static_cast<size_t>(opaque.width()) * 3);
        Sink sink;
        sink.bytes = png;
        png_structp writer = png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink, OnError, OnWarning);
        png_infop info = writer == nullptr ? nullptr : png_create_info_struct(writer);
        if (info == nullptr) {
            png_destroy_write_struct(&writer, nullptr);
            *error = OutOfMemory::Text();
            return false;
        }
        png_set_write_fn(writer, &sink, OnWrite, OnFlush);
        std::vector<std::pair<QByteArray, QByteArray>> texts = Texts(image);
        std::vector<png_text> chunks(texts.size());
        for (std::size_t i = 0; i < texts.size(); ++i) {
            chunks[i].compression = PNG_TEXT_COMPRESSION_NONE;
            chunks[i].key = texts[i].first.data();
            chunks[i].text = texts[i].second.data();
            chunks[i].text_length = static_cast<std::size_t>(texts[i].second.size());
        }
        const bool written = WriteRows(writer, info, opaque, row.data(), chunks);
        png_destroy_write_struct(&writer, &info);
        if (!written) {
            // libpng's own allocation failures and ours both say "out of memory".
            *error =
                std::strstr(sink.reason, "memory") != nullptr ? OutOfMemory::Text() : QString::fromLatin1(sink.reason);
        }
        return written;
    } catch (const std::bad_alloc &) {
        *error = OutOfMemory::Text();
        return false;
    }
}

} // namespace levyc
