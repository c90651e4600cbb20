#pragma once

#include <QByteArray>
#include <QString>

namespace levyc {

// File names are bytes: they go from the command line to the system as they
// came, and are decoded only to be shown.

// A name for a message: valid, printable UTF-8 as it is; control characters,
// backslashes and bytes that are not UTF-8 as \xNN, so that a name can neither
// break the message's line nor drive the terminal.
QString PrintableName(const QByteArray &name);

// The format a name's ending promises, as messages name it ("PNG", "WebP",
// "MP4", "WebM"); empty for none of those.
QString FormatNamed(const QByteArray &name);

// The descriptor a name stands for, as /dev/stdout, /dev/fd/3 or
// /proc/self/fd/3 do; -1 for any other name.
int DescriptorNamed(const QByteArray &name);

// Notes the descriptors open now: call first thing in main(), before any
// library opens its own. From then on only those, which the caller passed
// in, are descriptors that a name may stand for.
void NoteInheritedDescriptors();
// Whether a descriptor was passed in; every one is until the note is taken.
bool IsInheritedDescriptor(int fd);

} // namespace levyc
