#include "PendingTemporary.h"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>

namespace levyc {

namespace {

// A slot is Free; Busy while its own thread, with signals held, records a
// name or makes, renames or removes the file; Made while the file is ours.
enum State : int { Free, Busy, Made };

struct Slot
{
    std::atomic<int> state{Free};
    std::array<char, PATH_MAX> name = {};
};
static_assert(std::atomic<int>::is_always_lock_free, "read from a signal handler");

// More than the program ever writes at once.
std::array<Slot, 8> Slots;

// Holds every signal on this thread while it lives: one that ends the program
// lands on another thread, whose handler waits for the slot to settle, or
// here once it has.
class SignalsHeld
{
public:
    SignalsHeld()
    {
        sigset_t all;
        sigfillset(&all);
        pthread_sigmask(SIG_BLOCK, &all, &before_);
    }
    ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }
    SignalsHeld(const SignalsHeld &) = delete;
    SignalsHeld &operator=(const SignalsHeld &) = delete;
    SignalsHeld(SignalsHeld &&) = delete;
    SignalsHeld &operator=(SignalsHeld &&) = delete;

private:
    sigset_t before_ = {};
};

} // namespace

int PendingTemporary::Make(const QByteArray &name)
{
    Remove();
    if (name.size() >= static_cast<qsizetype>(Slots[0].name.size())) {
        errno = ENAMETOOLONG;
        return -1;
    }
    const SignalsHeld held;
    for (int slot = 0; slot < static_cast<int>(Slots.size()); ++slot) {
        int free = Free;
        if (Slots[slot].state.compare_exchange_strong(free, Busy)) {
            slot_ = slot;
            break;
        }
    }
    if (slot_ < 0) {
        errno = EMFILE;
        return -1;
    }
    Slot &slot = Slots[slot_];
    std::memcpy(slot.name.data(), name.constData(), static_cast<size_t>(name.size()) + 1);
    const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    const int reason = errno;
    if (fd < 0) {
        // Someone else's, or none: nothing of ours to remove.
        slot.state.store(Free);
        slot_ = -1;
        errno = reason;
        return -1;
    }
    slot.state.store(Made);
    name_ = name;
    return fd;
}

bool PendingTemporary::RenameTo(const QByteArray &target)
{
    if (slot_ < 0) {
        errno = ENOENT;
        return false;
    }
    const SignalsHeld held;
    Slot &slot = Slots[slot_];
    slot.state.store(Busy);
    const bool renamed = ::rename(name_.constData(), target.constData()) == 0;
    const int reason = errno;
    slot.state.store(renamed ? Free : Made);
    if (renamed) {
        slot_ = -1;
        name_.clear();
    }
    errno = reason;
    return renamed;
}

void PendingTemporary::Remove()
{
    if (slot_ < 0) {
        return;
    }
    const SignalsHeld held;
    Slot &slot = Slots[slot_];
    slot.state.store(Busy);
    ::unlink(name_.constData());
    slot.state.store(Free);
    slot_ = -1;
    name_.clear();
}

void PendingTemporary::RemoveAllForSignal()
{
    for (Slot &slot : Slots) {
        int state = slot.state.load();
        // Its thread holds signals while Busy, so this is another thread, and
        // the slot settles within one system call.
        while (state == Busy) {
            state = slot.state.load();
        }
        if (state == Made) {
            ::unlink(slot.name.data());
        }
    }
}

} // namespace levyc
