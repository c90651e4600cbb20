#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QImage;

namespace levyc {

// The share of an encoding done, from 0 to 1.
using EncodeProgress = std::function<void(double done)>;

// Encodes an image as PNG in memory, through libpng and zlib directly so that
// every failure, running out of memory among them, comes back as one reason
// rather than as a library's own line on stderr or an exception. False with
// the reason on failure. An image of at most 256 colours (the picture has
// about a hundred) is written with a palette, compressed on every core;
// `progress` is then called now and then on the calling thread.
bool EncodePng(const QImage &image, QByteArray *png, QString *error, const EncodeProgress &progress = {});

} // namespace levyc
