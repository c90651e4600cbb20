#include "private/DiveFormats.h"

#include "video/VideoModule.h"

namespace levyc {

bool DiveFormatReady(DiveFormat format, QString *error)
{
    return format == DiveFormat::WebP || VideoModule::Available(error);
}

QString DiveFormatsLine()
{
    QString why;
    if (VideoModule::Available(&why)) {
        return QStringLiteral("\nDive formats here: mp4, webm, webp.\n");
    }
    return QStringLiteral("\nDive formats here: webp only. %1.\n").arg(why);
}

} // namespace levyc
