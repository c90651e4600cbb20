#include "OutputSink.h"

#include "output/FileOutput.h"

#include <algorithm>
#include <memory>

namespace levyc {

VideoSink OutputSink(FileOutput &output, qint64 *size)
{
    // Where the next byte goes, shared by the two calls.
    const auto position = std::make_shared<qint64>(0);
    VideoSink sink;
    sink.write = [&output, size, position](const char *data, qint64 length, QString *error) {
        if (!output.WritePart(data, length, error)) {
            return false;
        }
        *position += length;
        if (size != nullptr) {
            *size = std::max(*size, *position);
        }
        return true;
    };
    if (output.Seekable()) {
        sink.seek = [&output, position](qint64 offset, int whence) {
            const qint64 moved = output.Seek(offset, whence);
            if (moved >= 0) {
                *position = moved;
            }
            return moved;
        };
    }
    return sink;
}

} // namespace levyc
