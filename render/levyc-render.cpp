#include "PngOutput.h"
#include "RenderOptions.h"
#include "RenderPicture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace {

int Fail(const QString &message, int status = 1)
{
    std::fprintf(stderr, "levyc-render: %s\n", qPrintable(message));
    return status;
}

} // namespace

int main(int argc, char *argv[])
{
    const QCoreApplication app(argc, argv);
    const QSize defaultSize = DefaultPictureSize();
    const RenderOptions options = ParseRenderOptions(QCoreApplication::arguments().mid(1), defaultSize);
    if (options.help) {
        std::fputs(qPrintable(RenderUsage(defaultSize)), stdout);
        return 0;
    }
    if (options.version) {
        std::fputs("levyc-render " LEVYC_VERSION "\n", stdout);
        return 0;
    }
    if (!options.error.isEmpty()) {
        return Fail(options.error + QStringLiteral(" (see --help)"), 2);
    }
    // Before rendering, which can take a while at large sizes.
    const QDir directory = QFileInfo(options.output).absoluteDir();
    if (!directory.exists()) {
        return Fail(QStringLiteral("cannot write '%1': no directory '%2'").arg(options.output, directory.path()));
    }

    const RenderedPicture picture = RenderPicture(options.size);
    if (picture.image.isNull()) {
        return Fail(
            QStringLiteral("not enough memory for a %1x%2 image").arg(options.size.width()).arg(options.size.height()));
    }
    if (options.time) {
        std::fprintf(stderr, "levyc-render: %lld lines in %.1f ms\n", static_cast<long long>(picture.lines),
                     picture.milliseconds);
    }
    QString error;
    if (!WritePng(picture.image, options.output, &error)) {
        return Fail(error);
    }
    return 0;
}
