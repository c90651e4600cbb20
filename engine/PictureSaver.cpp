#include "PictureSaver.h"

#include "animation/CurveAnimation.h"
#include "encoding/PngEncoder.h"
#include "output/FileOutput.h"

#include <QCoreApplication>
#include <QFile>

namespace levyc {

SaveJob::Work PictureWork(const QString &path, PictureRender render)
{
    return [path, render = std::move(render)](const SaveJob::Report &report, QString *error) {
        FileOutput output(FileOutput::Wait::Never);
        if (!output.Open(QFile::encodeName(path), error) || !report(0, 1)) {
            return false;
        }
        const QImage picture = render(nullptr);
        QByteArray png;
        if (!report(1, 1)) {
            return false;
        }
        if (!EncodePng(picture, &png, error)) {
            *error = QStringLiteral("cannot encode the picture: %1").arg(*error);
            return false;
        }
        return output.Write(png, error);
    };
}

SaveJob::Work StillWebPWork(const QString &path, PictureRender render)
{
    return [path, render = std::move(render)](const SaveJob::Report &report, QString *error) {
        FileOutput output(FileOutput::Wait::Never);
        if (!output.Open(QFile::encodeName(path), error) || !report(0, 1)) {
            return false;
        }
        const QImage picture = render(nullptr).convertToFormat(QImage::Format_RGB32);
        QByteArray webp;
        return EncodeAnimation(
                   picture.size(), 1, [&picture](int) -> const QImage & { return picture; }, DrawAnimationTiming, &webp,
                   error) &&
               report(1, 1) && output.Write(webp, error);
    };
}

SaveJob::Work AnimationWork(const QString &path, std::vector<CurveRecord> curves, QSize size, const WorldWindow &view)
{
    return [path, curves = std::move(curves), size, view](const SaveJob::Report &report, QString *error) {
        FileOutput output(FileOutput::Wait::Never);
        if (!output.Open(QFile::encodeName(path), error)) {
            return false;
        }
        const int frames = static_cast<int>(curves.size()) + 1;
        QByteArray webp;
        return AnimateCurves(size, view, curves, DrawAnimationTiming, &webp, error,
                             [&report, frames](int added) { return report(added, frames); }) &&
               report(frames, frames) && output.Write(webp, error);
    };
}

SaveJob::Work PictureCopyWork(PictureRender render, std::shared_ptr<QImage> image)
{
    return [render = std::move(render), image = std::move(image)](const SaveJob::Report &report, QString *error) {
        if (!report(0, 1)) {
            return false;
        }
        *image = render(nullptr);
        if (image->isNull()) {
            *error = QCoreApplication::translate("levyc::PictureSaver", "not enough memory for the picture");
            return false;
        }
        return report(1, 1);
    };
}

} // namespace levyc
