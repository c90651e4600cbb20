#pragma once

#include <QByteArray>
#include <QString>

class QImage;

namespace levyc {

// Encodes an image as PNG in memory, through libpng directly so that every
// failure, running out of memory among them, comes back as one reason rather
// than as a library's own line on stderr or an exception. False with the
// reason on failure.
bool EncodePng(const QImage &image, QByteArray *png, QString *error);

} // namespace levyc
