#include "SaveWork.h"

#include "animation/CurveAnimation.h"
#include "encoding/PngEncoder.h"
#include "output/FileOutput.h"
#include "video/OutputSink.h"

#include <QCoreApplication>
#include <QFile>

namespace levyc {

namespace {

QString Tr(const char *text)
{
    return QCoreApplication::translate("levyc::SaveWork", text);
}

// Bytes made whole, then written: the file is opened first, so that whatever
// keeps it from being written shows before the work is done.
using MakeBytes = std::function<bool(const SaveJob::Report &report, QByteArray *bytes, QString *error)>;

SaveJob::Work FileWork(const QString &path, MakeBytes make)
{
    return [path, make = std::move(make)](const SaveJob::Report &report, QString *error) {
        FileOutput output(FileOutput::Wait::Never);
        QByteArray bytes;
        return output.Open(QFile::encodeName(path), error) && make(report, &bytes, error) && output.Write(bytes, error);
    };
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

SaveJob::Work PictureWork(const QString &path, PictureRender render)
{
    return FileWork(path, [render = std::move(render)](const SaveJob::Report &report, QByteArray *png, QString *error) {
        if (!report(0, 1)) {
            return false;
        }
        const QImage picture = render(nullptr);
        if (!report(1, 1)) {
            return false;
        }
        if (!EncodePng(picture, png, error)) {
            *error = QStringLiteral("cannot encode the picture: %1").arg(*error);
            return false;
        }
        return true;
    });
}

SaveJob::Work StillWebPWork(const QString &path, PictureRender render)
{
    return FileWork(path,
                    [render = std::move(render)](const SaveJob::Report &report, QByteArray *webp, QString *error) {
                        if (!report(0, 1)) {
                            return false;
                        }
                        const QImage picture = render(nullptr).convertToFormat(QImage::Format_RGB32);
                        return EncodeAnimation(
                                   picture.size(), 1, [&picture](int) -> const QImage & { return picture; },
                                   DrawAnimationTiming, webp, error) &&
                               report(1, 1);
                    });
}

SaveJob::Work AnimationWork(const QString &path, std::vector<CurveRecord> curves, QSize size, const WorldWindow &view)
{
    return FileWork(path, [curves = std::move(curves), size, view](const SaveJob::Report &report, QByteArray *webp,
                                                                   QString *error) {
        const int frames = static_cast<int>(curves.size()) + 1;
        return AnimateCurves(size, view, curves, DrawAnimationTiming, webp, error,
                             [&report, frames](int added) { return report(added, frames); }) &&
               report(frames, frames);
    });
}

SaveJob::Work PictureCopyWork(PictureRender render, std::shared_ptr<QImage> image)
{
    return [render = std::move(render), image = std::move(image)](const SaveJob::Report &report, QString *error) {
        if (!report(0, 1)) {
            return false;
        }
        *image = render(nullptr);
        if (image->isNull()) {
            *error = Tr("not enough memory for the picture");
            return false;
        }
        return report(1, 1);
    };
}

SaveJob::Work DiveWork(const QString &path, SharedCurves curves, const Dive &dive)
{
    return [path, curves = std::move(curves), dive](const SaveJob::Report &report, QString *error) {
        return SaveDive(path, *curves, dive, report, error);
    };
}

} // namespace levyc
