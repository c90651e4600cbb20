#pragma once

#include <QSize>
#include <QString>

namespace levyc {

// What a save or a render says when memory runs out.
class OutOfMemory final
{
public:
    OutOfMemory() = delete;

    // The system's own words for it.
    [[nodiscard]] static QString Text();
    // "not enough memory for a WxH dive", for what was being made at `size`.
    [[nodiscard]] static QString For(const char *what, QSize size);
    // Whether a reason given for a failure is the system's words for it.
    [[nodiscard]] static bool Said(const QString &reason) { return reason.contains(Text()); }
};

} // namespace levyc
