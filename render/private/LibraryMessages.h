#pragma once

#include <QByteArray>

#include <cstdio>

namespace levyc {

// While it lives, what libraries print through the C library's stderr stream
// is kept here instead, to be read and told in the program's own words: x264
// prints a failed allocation there and returns a generic error. Descriptor 2
// itself stays as it was, for the program's own lines and for crash reports.
class LibraryMessages
{
public:
    LibraryMessages();
    ~LibraryMessages();
    LibraryMessages(const LibraryMessages &) = delete;
    LibraryMessages &operator=(const LibraryMessages &) = delete;
    LibraryMessages(LibraryMessages &&) = delete;
    LibraryMessages &operator=(LibraryMessages &&) = delete;

    // Puts stderr back and gives what was printed.
    QByteArray End();
    // Whether the libraries told of memory they could not have.
    static bool TellOfNoMemory(const QByteArray &messages);

private:
    FILE *own_;
    FILE *kept_ = nullptr;
    char *text_ = nullptr;
    size_t size_ = 0;
};

} // namespace levyc
