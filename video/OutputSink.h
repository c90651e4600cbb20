#pragma once

#include "VideoEncoding.h"

namespace levyc {

class FileOutput;

// A video's bytes into an opened output: a regular file's temporary can seek,
// a stream cannot. `size`, when given, follows the furthest byte written.
VideoSink OutputSink(FileOutput &output, qint64 *size = nullptr);

} // namespace levyc
