#include "DiveSaver.h"

#include "DiveMovie.h"
#include "FileOutput.h"
#include "OutputSink.h"
#include "PictureWorld.h"
#include "ViewNavigation.h"

#include <QCoreApplication>
#include <QFile>
#include <QProgressDialog>

namespace levyc {

namespace {

// A dive as levyc-render makes one by default.
constexpr double DiveSeconds = 10;
constexpr int DiveFps = 30;
constexpr int ProgressAfterMs = 500;

QString Tr(const char *text)
{
    return QCoreApplication::translate("levyc::DiveSaver", text);
}

} // namespace

bool SaveDive(QWidget *parent, const QString &path, const std::vector<CurveRecord> &curves, const WorldWindow &view,
              QSize size, QString *error)
{
    const std::optional<DiveFormat> format = DiveFormatOf(QFile::encodeName(path));
    if (!format) {
        *error = Tr("A dive is saved as .mp4, .webm or .webp.");
        return false;
    }
    Dive dive{PictureWorld, view, size, DiveSeconds, DiveFps, *format, {}};
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
    QProgressDialog progress(Tr("Saving the dive…"), Tr("Cancel"), 0, 1, parent);
    progress.setObjectName(QStringLiteral("DiveProgress"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(ProgressAfterMs);
    DiveFigures figures;
    const bool made = MakeDive(dive, curves, OutputSink(output), &figures, error, [&progress](int done, int frames) {
        progress.setMaximum(frames);
        progress.setValue(done);
        return !progress.wasCanceled();
    });
    if (progress.wasCanceled()) {
        error->clear();
        return false;
    }
    return made && output.Commit(error);
}

} // namespace levyc
