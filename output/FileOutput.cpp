#include "FileOutput.h"

#include "FileNames.h"

#include <QList>
#include <QRandomGenerator>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace levyc {

namespace {

QString SystemReason(int number)
{
    return QString::fromLocal8Bit(std::strerror(number));
}

// Binary data would garble a terminal, whatever name it goes by.
QString TerminalRefused()
{
    return QStringLiteral("it is a terminal; redirect it or name a file");
}

mode_t NewFileMode()
{
    // umask can only be read by setting it.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<mode_t>(0666) & ~mask;
}

// Letters for a temporary file's name, as mkstemp would choose them.
QByteArray RandomLetters(int count)
{
    static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray letters;
    for (int i = 0; i < count; ++i) {
        letters += Letters[QRandomGenerator::system()->bounded(static_cast<int>(sizeof Letters) - 1)];
    }
    return letters;
}

// The directory a name is in, as the name gives it.
QByteArray DirectoryOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) {
        return ".";
    }
    return slash == 0 ? QByteArray("/") : path.left(slash);
}

// The name a link finally stands for, followed link by link, relative names
// from the link's own directory, so that no length limit on whole paths
// applies: the file to replace, or to create for a link that dangles. False
// with errno set when it cannot be told.
bool LinkTarget(QByteArray path, QByteArray *target)
{
    constexpr int MaxLinks = 40; // as the system follows them
    for (int link = 0; link < MaxLinks; ++link) {
        struct stat status = {};
        if (::lstat(path.constData(), &status) != 0) {
            if (errno != ENOENT) {
                return false;
            }
            *target = path; // the file a dangling link names
            return true;
        }
        if (!S_ISLNK(status.st_mode)) {
            *target = path;
            return true;
        }
        QByteArray text(static_cast<qsizetype>(status.st_size) + 1, '\0');
        const ssize_t length = ::readlink(path.constData(), text.data(), static_cast<size_t>(text.size()));
        if (length < 0) {
            return false;
        }
        if (length >= text.size()) {
            errno = EAGAIN; // changed while it was read
            return false;
        }
        text.truncate(length);
        path = text.startsWith('/') || !path.contains('/') ? text : DirectoryOf(path) + '/' + text;
    }
    errno = ELOOP;
    return false;
}

// False with errno set when not every byte could be written.
bool WriteAllTo(int fd, const char *data, qint64 size)
{
    qint64 left = size;
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

} // namespace

void FileOutput::RemovePendingTemporary()
{
    PendingTemporary::RemoveAllForSignal();
}

FileOutput::~FileOutput()
{
    if (temporaryFd_ >= 0) {
        ::close(temporaryFd_);
    }
    if (ownsStream_) {
        ::close(streamFd_);
    }
}

bool FileOutput::Fail(QString *error, const QString &why) const
{
    *error = QStringLiteral("cannot write %1: %2").arg(shownName_, why);
    return false;
}

bool FileOutput::FailErrno(QString *error) const
{
    return Fail(error, SystemReason(errno));
}

bool FileOutput::Open(const QByteArray &path, QString *error)
{
    path_ = path;
    if (path == "-") {
        shownName_ = QStringLiteral("standard output");
        return OpenDescriptor(STDOUT_FILENO, error);
    }
    shownName_ = QStringLiteral("'%1'").arg(PrintableName(path));
    if (path.isEmpty()) {
        return Fail(error, SystemReason(ENOENT));
    }
    if (const int fd = DescriptorNamed(path); fd >= 0) {
        // One of the program's own, such as the toolkit's, is none of the caller's business.
        return IsInheritedDescriptor(fd) ? OpenDescriptor(fd, error) : Fail(error, SystemReason(EBADF));
    }
    struct stat status = {};
    // A link to a file, or to none yet: that file is written, the link stays.
    // A link to anything else is opened through, as it is.
    if (::lstat(path.constData(), &status) == 0 && S_ISLNK(status.st_mode) &&
        (::stat(path.constData(), &status) != 0 || S_ISREG(status.st_mode)) && !LinkTarget(path, &path_)) {
        return Fail(error, QStringLiteral("cannot follow the link: %1").arg(SystemReason(errno)));
    }
    if (::stat(path_.constData(), &status) == 0) {
        if (S_ISDIR(status.st_mode)) {
            return Fail(error, SystemReason(EISDIR));
        }
        if (!S_ISREG(status.st_mode)) {
            return OpenSpecial(status, error);
        }
        // Root may write anything; for anyone else a read-only file stays as it is.
        if (::access(path_.constData(), W_OK) != 0) {
            return FailErrno(error);
        }
        if (!CheckReplaceable(status, error)) {
            return false;
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
    return MakeTemporary(error);
}

bool FileOutput::OpenSpecial(const struct stat &status, QString *error)
{
    // A FIFO waits here for its reader, before the work is done.
    const int flags = O_WRONLY | O_NOCTTY | O_CLOEXEC | (wait_ == Wait::Never ? O_NONBLOCK : 0);
    streamFd_ = ::open(path_.constData(), flags);
    if (streamFd_ < 0) {
        return errno == ENXIO && S_ISFIFO(status.st_mode) ? Fail(error, QStringLiteral("nothing reads it"))
                                                          : FailErrno(error);
    }
    ownsStream_ = true;
    if (::isatty(streamFd_) != 0) {
        return Fail(error, TerminalRefused());
    }
    // The reader is there: from now on it sets the pace.
    ::fcntl(streamFd_, F_SETFL, ::fcntl(streamFd_, F_GETFL) & ~O_NONBLOCK);
    return true;
}

bool FileOutput::MakeTemporary(QString *error)
{
    // The new file, made now beside the target: whatever keeps it from being
    // written shows before the work is done. A short fixed name, so that a
    // target name near the length limit still fits.
    // Recorded before it is made, so that a signal finds it however early.
    constexpr int Tries = 100; // as names already taken allow
    for (int attempt = 0; attempt < Tries; ++attempt) {
        temporaryFd_ = temporary_.Make(DirectoryOf(path_) + "/.levyc-render-" + RandomLetters(6));
        if (temporaryFd_ >= 0) {
            return true;
        }
        if (errno != EEXIST) {
            return FailErrno(error);
        }
    }
    return FailErrno(error);
}

bool FileOutput::OpenDescriptor(int fd, QString *error)
{
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0) {
        return FailErrno(error);
    }
    if ((flags & O_ACCMODE) == O_RDONLY) {
        return Fail(error, SystemReason(EBADF));
    }
    if (::isatty(fd) != 0) {
        return Fail(error, TerminalRefused());
    }
    streamFd_ = fd;
    return true;
}

bool FileOutput::CheckReplaceable(const struct stat &status, QString *error) const
{
    // In a sticky directory such as /tmp only the file's or the directory's
    // owner may replace the file; the rename would say so after the work.
    struct stat directory = {};
    const uid_t user = ::geteuid();
    if (user != 0 && status.st_uid != user && ::stat(DirectoryOf(path_).constData(), &directory) == 0 &&
        (directory.st_mode & S_ISVTX) != 0 && directory.st_uid != user) {
        return Fail(error, SystemReason(EPERM));
    }
    return true;
}

bool FileOutput::Write(const QByteArray &bytes, QString *error)
{
    return WritePart(bytes.constData(), bytes.size(), error) && Commit(error);
}

bool FileOutput::WritePart(const char *data, qint64 size, QString *error)
{
    return WriteAll(streamFd_ >= 0 ? streamFd_ : temporaryFd_, data, size, error);
}

qint64 FileOutput::Seek(qint64 offset, int whence) const
{
    return streamFd_ >= 0 ? -1 : ::lseek(temporaryFd_, offset, whence);
}

bool FileOutput::WriteAll(int fd, const char *data, qint64 size, QString *error) const
{
    if (fd < 0) {
        return Fail(error, SystemReason(EBADF));
    }
    return WriteAllTo(fd, data, size) || FailErrno(error);
}

bool WriteStandardOutput(const QByteArray &text, QString *error)
{
    std::fflush(stdout); // whatever went before comes first
    if (!WriteAllTo(STDOUT_FILENO, text.constData(), text.size())) {
        *error = QStringLiteral("cannot write standard output: %1").arg(SystemReason(errno));
        return false;
    }
    return true;
}

bool FileOutput::KeepAttributes(int fd, QString *error) const
{
    if (!replacing_) {
        return true;
    }
    const ssize_t size = ::listxattr(path_.constData(), nullptr, 0);
    if (size <= 0) {
        // None, or a file system without them.
        return size == 0 || errno == ENOTSUP || FailErrno(error);
    }
    QByteArray names(size, '\0');
    const ssize_t listed = ::listxattr(path_.constData(), names.data(), static_cast<size_t>(names.size()));
    if (listed < 0) {
        return FailErrno(error);
    }
    names.truncate(listed);
    for (const QByteArray &name : names.split('\0')) {
        if (name.isEmpty()) {
            continue;
        }
        const ssize_t length = ::getxattr(path_.constData(), name.constData(), nullptr, 0);
        QByteArray value(length > 0 ? length : 0, '\0');
        const bool kept = length >= 0 &&
                          ::getxattr(path_.constData(), name.constData(), value.data(), value.size()) == length &&
                          ::fsetxattr(fd, name.constData(), value.constData(), value.size(), 0) == 0;
        // Without an attribute such as the ACL the new file could be open to more
        // people than the old one: rather keep the old file.
        if (!kept) {
            return Fail(
                error,
                QStringLiteral("its attribute %1 cannot be kept: %2").arg(PrintableName(name), SystemReason(errno)));
        }
    }
    return true;
}

bool FileOutput::Commit(QString *error)
{
    if (streamFd_ >= 0) {
        return true;
    }
    const int fd = temporaryFd_;
    temporaryFd_ = -1;
    if (fd < 0) {
        return Fail(error, SystemReason(EBADF));
    }
    bool written = true;
    // fsync catches a full disk that the file system reports only late.
    if (::fsync(fd) != 0) {
        written = FailErrno(error);
    }
    // The attributes first: a mode set after the ACL keeps the ACL's mask.
    if (written) {
        written = KeepAttributes(fd, error);
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
    return temporary_.RenameTo(path_) || FailErrno(error);
}

} // namespace levyc
