#pragma once

#include "video/DiveMovie.h"

#include <QByteArray>
#include <QString>

namespace levyc {

// Whether a dive in `format` can be made here: MP4 and WebM
// need the FFmpeg module, loaded by this check. False with what to install.
bool DiveFormatReady(DiveFormat format, QString *error);
// The help's line of the dive formats this machine can make, and why not the others.
QString DiveFormatsLine();

} // namespace levyc
