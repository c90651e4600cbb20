// Preloaded into levyc-render: sends the process SIGTERM, as kill(1) does,
// the moment its temporary file is made, before the program can have noted
// the file anywhere. A thread of its own stands ready to take the signal when
// the thread that makes the file holds it.
#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

namespace {

bool IsTemporary(const char *path)
{
    const char *slash = std::strrchr(path, '/');
    const char *base = slash != nullptr ? slash + 1 : path;
    return std::strncmp(base, ".levyc-render-", 14) == 0;
}

void Made(const char *path)
{
    static std::atomic<bool> sent{false};
    if (IsTemporary(path) && !sent.exchange(true)) {
        ::kill(::getpid(), SIGTERM);
    }
}

void *Idle(void * /*unused*/)
{
    for (;;) {
        ::pause();
    }
}

__attribute__((constructor)) void StartIdleThread()
{
    pthread_t thread = {};
    if (pthread_create(&thread, nullptr, Idle, nullptr) == 0) {
        pthread_detach(thread);
    }
}

template <typename Function> Function Next(const char *name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

int OpenThrough(const char *name, const char *path, int flags, va_list arguments)
{
    const mode_t mode = (flags & O_CREAT) != 0 ? va_arg(arguments, mode_t) : 0;
    const int fd = Next<int (*)(const char *, int, ...)>(name)(path, flags, mode);
    if (fd >= 0 && (flags & O_CREAT) != 0) {
        Made(path);
    }
    return fd;
}

int MakeThrough(const char *name, char *pattern)
{
    const int fd = Next<int (*)(char *)>(name)(pattern);
    if (fd >= 0) {
        Made(pattern);
    }
    return fd;
}

} // namespace

// The C library's own parameter names are reserved ones.
// NOLINTBEGIN(readability-inconsistent-declaration-parameter-name)
extern "C" {

int open(const char *path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const int fd = OpenThrough("open", path, flags, arguments);
    va_end(arguments);
    return fd;
}

int open64(const char *path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const int fd = OpenThrough("open64", path, flags, arguments);
    va_end(arguments);
    return fd;
}

int mkstemp(char *pattern)
{
    return MakeThrough("mkstemp", pattern);
}

int mkstemp64(char *pattern)
{
    return MakeThrough("mkstemp64", pattern);
}
}
// NOLINTEND(readability-inconsistent-declaration-parameter-name)
