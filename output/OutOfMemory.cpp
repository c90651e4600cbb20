#include "OutOfMemory.h"

#include <cerrno>
#include <cstring>

namespace levyc {

QString OutOfMemory::Text()
{
    return QString::fromLocal8Bit(std::strerror(ENOMEM));
}

QString OutOfMemory::For(const char *what, QSize size)
{
    return QStringLiteral("not enough memory for a %1x%2 %3")
        .arg(size.width())
        .arg(size.height())
        .arg(QLatin1String(what));
}

} // namespace levyc
