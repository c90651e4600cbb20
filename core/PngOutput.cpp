#include "PngOutput.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>

namespace levyc {

namespace {

QString SystemReason(int number)
{
    return QString::fromLocal8Bit(std::strerror(number));
}

mode_t NewFileMode()
{
    // umask can only be read by setting it.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<mode_t>(0666) & ~mask;
}

// The temporary file, for a signal that ends the program before it is renamed.
std::array<char, 8192> PendingTemporary = {};

extern "C" void RemoveTemporaryAndDie(int signal)
{
    if (PendingTemporary[0] != '\0') {
        ::unlink(PendingTemporary.data());
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void Remember(const QByteArray &temporary)
{
    if (temporary.size() >= static_cast<qsizetype>(PendingTemporary.size())) {
        return; // longer than any path the system takes
    }
    std::memcpy(PendingTemporary.data(), temporary.constData(), static_cast<size_t>(temporary.size()) + 1);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        std::signal(signal, RemoveTemporaryAndDie);
    }
}

void Forget()
{
    PendingTemporary[0] = '\0';
}

} // namespace

PngOutput::~PngOutput()
{
    if (!temporary_.isEmpty()) {
        ::unlink(temporary_.constData());
        Forget();
    }
    if (temporaryFd_ >= 0) {
        ::close(temporaryFd_);
    }
    if (ownsStream_) {
        ::close(streamFd_);
    }
}

bool PngOutput::Fail(QString *error, const QString &why) const
{
    *error = QStringLiteral("cannot write %1: %2").arg(shownName_, why);
    return false;
}

bool PngOutput::FailErrno(QString *error) const
{
    return Fail(error, SystemReason(errno));
}

bool PngOutput::Open(const QString &path, QString *error)
{
    path_ = path;
    if (path == u"-") {
        shownName_ = QStringLiteral("standard output");
        if (::isatty(STDOUT_FILENO) != 0) {
            return Fail(error, QStringLiteral("it is a terminal; redirect it or name a file"));
        }
        streamFd_ = STDOUT_FILENO;
        return true;
    }
    shownName_ = QStringLiteral("'%1'").arg(path);
    // A link to a file: the file is replaced, the link stays.
    const QString target = QFileInfo(path).isSymLink() ? QFileInfo(path).canonicalFilePath() : QString();
    if (!target.isEmpty()) {
        path_ = target;
    }
    const QByteArray name = QFile::encodeName(path_);
    struct stat status = {};
    if (::stat(name.constData(), &status) == 0) {
        if (S_ISDIR(status.st_mode)) {
            return Fail(error, SystemReason(EISDIR));
        }
        if (!S_ISREG(status.st_mode)) {
            // A FIFO waits here for its reader, before the work is done.
            streamFd_ = ::open(name.constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
            if (streamFd_ < 0) {
                return FailErrno(error);
            }
            ownsStream_ = true;
            return true;
        }
        // Root may write anything; for anyone else a read-only file stays as it is.
        if (::access(name.constData(), W_OK) != 0) {
            return FailErrno(error);
        }
        replacing_ = true;
        mode_ = status.st_mode & 07777;
        owner_ = status.st_uid;
        group_ = status.st_gid;
    } else if (errno != ENOENT) {
        return FailErrno(error);
    } else {
        mode_ = NewFileMode();
    }
    // The new file, made now beside the target: whatever keeps it from being
    // written shows before the work is done. A short fixed name, so that a
    // target name near the length limit still fits.
    QByteArray pattern = QFile::encodeName(QFileInfo(path_).absolutePath()) + "/.levyc-render-XXXXXX";
    temporaryFd_ = ::mkstemp(pattern.data());
    if (temporaryFd_ < 0) {
        return FailErrno(error);
    }
    temporary_ = pattern;
    Remember(temporary_);
    return true;
}

bool PngOutput::Write(const QImage &image, QString *error)
{
    // Encoded in memory first, so that the encoder never meets a failing file
    // and every write error comes from one write call with its reason.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image)) {
        return Fail(error, writer.errorString());
    }
    if (streamFd_ >= 0) {
        return WriteAll(streamFd_, bytes, error);
    }
    return Replace(bytes, error);
}

bool PngOutput::WriteAll(int fd, const QByteArray &bytes, QString *error) const
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return FailErrno(error);
        }
        data += written;
        left -= written;
    }
    return true;
}

bool PngOutput::Replace(const QByteArray &bytes, QString *error)
{
    const int fd = temporaryFd_;
    temporaryFd_ = -1;
    bool written = WriteAll(fd, bytes, error);
    // fsync catches a full disk that the file system reports only late.
    if (written && ::fsync(fd) != 0) {
        written = FailErrno(error);
    }
    if (written && ::fchmod(fd, mode_) != 0) {
        written = FailErrno(error);
    }
    if (written && replacing_ && ::fchown(fd, owner_, group_) != 0) {
        // Only root may give a file away; the group alone may still be ours to keep.
        static_cast<void>(::fchown(fd, static_cast<uid_t>(-1), group_));
    }
    if (::close(fd) != 0 && written) {
        written = FailErrno(error);
    }
    if (!written) {
        return false;
    }
    if (::rename(temporary_.constData(), QFile::encodeName(path_).constData()) != 0) {
        return FailErrno(error);
    }
    temporary_.clear();
    Forget();
    return true;
}

} // namespace levyc
