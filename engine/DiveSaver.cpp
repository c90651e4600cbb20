#include "DiveSaver.h"

#include "output/FileOutput.h"
#include "video/DiveMovie.h"
#include "video/OutputSink.h"

#include <QCoreApplication>
#include <QFile>

namespace levyc {

namespace {

QString Tr(const char *text)
{
    return QCoreApplication::translate("levyc::DiveSaver", text);
}

bool SaveDive(const QString &path, const std::vector<CurveRecord> &curves, const Dive &dive,
              const SaveJob::Report &report, QString *error)
{
    FileOutput output(FileOutput::Wait::Never);
    if (!output.Open(QFile::encodeName(path), error)) {
        return false;
    }
    if (!output.Seekable() && !DiveStreams(dive.format)) {
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

SaveJob::Work DiveWork(const QString &path, SharedCurves curves, const Dive &dive)
{
    return [path, curves = std::move(curves), dive](const SaveJob::Report &report, QString *error) {
        return SaveDive(path, *curves, dive, report, error);
    };
}

} // namespace levyc
