#include "private/RenderDive.h"

#include "RenderOptions.h"
#include "drawing/Passes.h"
#include "output/FileOutput.h"
#include "output/OutOfMemory.h"
#include "private/LibraryMessages.h"
#include "private/ProgressLine.h"
#include "video/DiveMovie.h"
#include "video/OutputSink.h"

#include <QElapsedTimer>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace levyc {

bool RenderDive(const RenderOptions &options, FileOutput &output, ProgressLine &progress, QString *error)
{
    const std::optional<DiveFormat> format = options.format;
    if (!format) {
        *error = QStringLiteral("no dive format");
        return false;
    }
    if (!output.Seekable() && !DiveStreams(*format)) {
        *error = QStringLiteral("an animated WebP dive is made whole: name a .webp file, not a stream");
        return false;
    }
    qint64 size = 0;
    const VideoSink sink = OutputSink(output, &size);
    Dive dive = DiveOfOptions(options);
    dive.format = *format;
    QElapsedTimer elapsed;
    elapsed.start();
    const auto shown = [&](int done, int frames) {
        QString left;
        if (done > 0) {
            const double seconds = static_cast<double>(elapsed.elapsed()) / 1000 * (frames - done) / done;
            left = QStringLiteral(", %1 s left").arg(seconds, 0, 'f', 0);
        }
        progress.Show(QStringLiteral("dive, frame %1 of %2%3").arg(done).arg(frames).arg(left));
        return true;
    };
    DiveFigures figures;
    const std::vector<CurveRecord> curves = PictureCurves();
    LibraryMessages messages;
    const bool made = MakeDive(dive, curves, sink, &figures, error, shown);
    // stderr back before the program's own lines.
    const QByteArray told = messages.End();
    if (!made && (LibraryMessages::TellOfNoMemory(told) || OutOfMemory::Said(*error))) {
        *error = OutOfMemory::For("dive", options.size);
    }
    if (!made || !output.Commit(error)) {
        return false;
    }
    progress.Clear();
    if (options.time) {
        std::fprintf(stderr,
                     "levyc-render: %d frames, views drawn in %.1f ms, encoded alongside in %.1f ms, %.1f ms in all, "
                     "%lld bytes\n",
                     figures.frames, figures.renderMs, figures.encodeMs, figures.totalMs, static_cast<long long>(size));
    }
    return true;
}

} // namespace levyc
