#pragma once

#include <QString>

class QImage;

// Writes the image as PNG through a temporary file beside the target, renamed
// into place only when complete: the target is never left half-written. On
// failure returns false with a reason and leaves no file behind.
bool WritePng(const QImage &image, const QString &path, QString *error);
