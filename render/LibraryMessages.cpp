#include "private/LibraryMessages.h"

#include <cstdlib>

namespace levyc {

// The GNU C library's stderr is a variable that may be set.
LibraryMessages::LibraryMessages()
    : own_(stderr)
{
    std::fflush(stderr);
    kept_ = ::open_memstream(&text_, &size_);
    if (kept_ != nullptr) {
        stderr = kept_;
    }
}

LibraryMessages::~LibraryMessages()
{
    End();
    std::free(text_);
}

QByteArray LibraryMessages::End()
{
    if (kept_ != nullptr) {
        stderr = own_;
        std::fclose(kept_);
        kept_ = nullptr;
    }
    return {text_, static_cast<qsizetype>(size_)};
}

bool LibraryMessages::TellOfNoMemory(const QByteArray &messages)
{
    // x264's "malloc of size N failed", libvpx's "Memory allocation error".
    return messages.contains("malloc") || messages.contains("emory allocation");
}

} // namespace levyc
