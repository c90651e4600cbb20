#include "PictureGeometry.h"
#include "PngOutput.h"
#include "RenderOptions.h"
#include "RenderPicture.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

namespace {

int Fail(const QString &message, int status = 1)
{
    std::fprintf(stderr, "levyc-render: %s\n", qPrintable(message));
    return status;
}

// Errors are this program's own lines; a library's messages would only repeat
// them in other words.
void Quiet(QtMsgType type, const QMessageLogContext & /*context*/, const QString &message)
{
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "levyc-render: %s\n", qPrintable(message));
    }
}

} // namespace

int main(int argc, char *argv[])
{
    using namespace levyc;
    qInstallMessageHandler(Quiet);
    // A closed pipe is an error to report, not a reason to vanish.
    std::signal(SIGPIPE, SIG_IGN);
    const QCoreApplication app(argc, argv);
    const QSize defaultSize = PictureSize;
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
    // Before rendering, which can take a while and much memory at large sizes.
    PngOutput output;
    QString error;
    if (!output.Open(options.output, &error)) {
        return Fail(error);
    }

    const RenderedPicture picture =
        options.icon ? RenderedPicture{RenderIcon(options.size.width())} : RenderPicture(options.size);
    if (picture.image.isNull()) {
        return Fail(
            QStringLiteral("not enough memory for a %1x%2 image").arg(options.size.width()).arg(options.size.height()));
    }
    if (options.time && !options.icon) {
        std::fprintf(stderr, "levyc-render: %lld lines in %.1f ms\n", static_cast<long long>(picture.lines),
                     picture.milliseconds);
    }
    if (!output.Write(picture.image, &error)) {
        return Fail(error);
    }
    return 0;
}
