#include "private/DiveSaver.h"

#include "output/FileOutput.h"
#include "video/DiveMovie.h"
#include "video/OutputSink.h"
#include "views/ViewNavigation.h"
#include "world/PictureWorld.h"

#include <QCoreApplication>
#include <QFile>

namespace levyc {

namespace {

QString Tr(const char *text)
{
    return QCoreApplication::translate("levyc::DiveSaver", text);
}

bool SaveDive(const QString &path, const std::vector<CurveRecord> &curves, const WorldWindow &view, QSize size,
              const SaveJob::Report &report, QString *error)
{
    const std::optional<DiveFormat> format = DiveFormatOf(QFile::encodeName(path));
    if (!format) {
        *error = Tr("A dive is saved as .mp4, .webm or .webp.");
        return false;
    }
    Dive dive = WindowDive(view, size);
    dive.format = *format;
    if (*format != DiveFormat::WebP) {
        // 4:2:0 video has even sides: the last column or row goes, each view
        // keeping its corner and its pixels' size.
        dive.size = QSize(size.width() & ~1, size.height() & ~1);
        dive.from = Resized(dive.from, size, dive.size);
        dive.to = Resized(view, size, dive.size);
    }
    FileOutput output(FileOutput::Wait::Never);
    if (!output.Open(QFile::encodeName(path), error)) {
        return false;
    }
    if (!output.Seekable() && !DiveStreams(*format)) {
        *error = Tr("An animated WebP dive is made whole: choose a file, not a stream.");
        return false;
    }
    DiveFigures figures;
    int total = 1;
    const bool made = MakeDive(dive, curves, OutputSink(output), &figures, error, [&](int done, int frames) {
        total = frames;
        return report(done, frames);
    });
    // Only a whole movie replaces the file, and not once cancelled.
    return made && report(total, total) && output.Commit(error);
}

} // namespace

Dive WindowDive(const WorldWindow &view, QSize size)
{
    // As levyc-render makes one by default.
    constexpr double Seconds = 10;
    constexpr int Fps = 30;
    return {PictureWorld, view, size, Seconds, Fps, DiveFormat::WebP, {}};
}

SaveJob::Work DiveWork(const QString &path, SharedCurves curves, const WorldWindow &view, QSize size)
{
    return [path, curves = std::move(curves), view, size](const SaveJob::Report &report, QString *error) {
        return SaveDive(path, *curves, view, size, report, error);
    };
}

} // namespace levyc
