#pragma once

#include "PendingTemporary.h"

#include <QByteArray>
#include <QString>

#include <sys/stat.h>
#include <sys/types.h>

namespace levyc {

// Where a file of the picture goes (levyc-render's PNG or animation,
// the window's Save As…), opened and checked before any work is done so that a destination
// that cannot be written fails at once.
// - "-" is standard output, and /dev/stdout, /dev/fd/N and the like are the
//   descriptors they name (refused when a terminal), written at their offset.
// - A FIFO, a device or another special file is written straight through.
// - A regular file is written to a temporary file beside it and renamed into
//   place only when complete, keeping the old file's mode, owner, group and
//   extended attributes (its ACL among them); a new file gets the usual mode
//   for new files.
// Every error is one line with the system's reason, and no temporary file is left.
class FileOutput
{
public:
    // Whether opening may wait for a FIFO's reader. The window must never
    // block, so it refuses a FIFO that nothing reads yet.
    enum class Wait { ForReader, Never };

    explicit FileOutput(Wait wait = Wait::ForReader)
        : wait_(wait)
    {
    }
    ~FileOutput();
    FileOutput(const FileOutput &) = delete;
    FileOutput &operator=(const FileOutput &) = delete;
    FileOutput(FileOutput &&) = delete;
    FileOutput &operator=(FileOutput &&) = delete;

    // False with a one-line reason when the destination cannot be written.
    bool Open(const QByteArray &path, QString *error);
    // Writes the file's bytes, encoded already; false with a one-line reason on
    // failure, in which case an existing regular file is left as it was. Once
    // only: the file is complete when it returns.
    bool Write(const QByteArray &bytes, QString *error);

    // Output made piece by piece (a video): parts written in order, then
    // Commit, which completes the file as Write does. Seek works on a
    // regular file's temporary only: for a stream, Seekable is false.
    bool WritePart(const char *data, qint64 size, QString *error);
    [[nodiscard]] bool Seekable() const { return streamFd_ < 0; }
    [[nodiscard]] qint64 Seek(qint64 offset, int whence) const;
    bool Commit(QString *error);

    // Removes the temporary file of the output being written, if any: for a
    // signal handler, so it does only what such a handler may.
    static void RemovePendingTemporary();

private:
    bool Fail(QString *error, const QString &why) const;
    bool FailErrno(QString *error) const;
    bool OpenDescriptor(int fd, QString *error);
    // A FIFO, a terminal or a device, written as it is.
    bool OpenSpecial(const struct stat &status, QString *error);
    // The file written in the target's place until it is whole.
    bool MakeTemporary(QString *error);
    bool CheckReplaceable(const struct stat &status, QString *error) const;
    bool WriteAll(int fd, const char *data, qint64 size, QString *error) const;
    bool KeepAttributes(int fd, QString *error) const;

    Wait wait_;
    QByteArray path_;
    QString shownName_; // the name in messages
    int streamFd_ = -1; // a descriptor or an opened special file
    bool ownsStream_ = false;
    bool replacing_ = false; // an existing regular file
    mode_t mode_ = 0;
    uid_t owner_ = 0;
    gid_t group_ = 0;
    PendingTemporary temporary_; // the file written, renamed into place when complete
    int temporaryFd_ = -1;
};

// Writes text such as --help's to standard output, terminal or not; false
// with a one-line reason when it cannot all be written.
bool WriteStandardOutput(const QByteArray &text, QString *error);

} // namespace levyc
