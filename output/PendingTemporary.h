#pragma once

#include <QByteArray>

namespace levyc {

// A temporary file that a signal ending the program takes away, on whichever
// thread the signal lands. The name is recorded before the file is made; the
// file is made, renamed and removed with signals held on its own thread, and a
// handler on another thread waits for that to settle. So a handler removes
// the file only once it is known to be ours, never one that someone else made
// under the same name.
class PendingTemporary
{
public:
    PendingTemporary() = default;
    ~PendingTemporary() { Remove(); }
    PendingTemporary(const PendingTemporary &) = delete;
    PendingTemporary &operator=(const PendingTemporary &) = delete;
    PendingTemporary(PendingTemporary &&) = delete;
    PendingTemporary &operator=(PendingTemporary &&) = delete;

    // Makes a new file, open for reading and writing, that nothing had taken:
    // its descriptor, or -1 with errno set (EEXIST when the name was taken).
    int Make(const QByteArray &name);
    // Renames the file to `target`; false with errno set, the file still ours.
    bool RenameTo(const QByteArray &target);
    // Removes the file, if ours still.
    void Remove();
    [[nodiscard]] const QByteArray &Name() const { return name_; }

    // For a signal handler: removes every such file, and does only what a handler may.
    static void RemoveAllForSignal();

private:
    int slot_ = -1; // in the record, while the file is ours
    QByteArray name_;
};

} // namespace levyc
