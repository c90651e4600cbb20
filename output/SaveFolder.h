#pragma once

#include <QString>

namespace levyc {

// Where a file dialog starts: the folder of the last save that worked, else
// the working folder; the home folder instead of one the kernel makes up
// (/proc, /sys…), which is no place to save.
QString SaveFolder(const QString &lastSaved);

} // namespace levyc
