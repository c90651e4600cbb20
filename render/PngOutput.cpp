#include "PngOutput.h"

#include <QImage>
#include <QImageWriter>
#include <QSaveFile>

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

QString Reason(const QString &path, const QString &why)
{
    return QStringLiteral("cannot write '%1': %2").arg(path, why);
}

} // namespace

bool WritePng(const QImage &image, const QString &path, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = Reason(path, file.errorString());
        return false;
    }
    QImageWriter writer(&file, "png");
    if (!writer.write(image)) {
        *error = Reason(path, writer.errorString());
        file.cancelWriting();
        return false;
    }
    // Qt 6.4's commit() ignores a failed final flush (a short write on a full
    // disk) and renames the truncated file into place, so flush here and check.
    // fsync catches a full disk that the file system only reports late.
    if (!file.flush()) {
        *error = Reason(path, file.errorString());
        file.cancelWriting();
        return false;
    }
    if (::fsync(file.handle()) != 0) {
        *error = Reason(path, QString::fromLocal8Bit(std::strerror(errno)));
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = Reason(path, file.errorString());
        return false;
    }
    return true;
}
