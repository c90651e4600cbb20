#include "RenderOptions.h"

#include "RenderPicture.h"
#include "animation/CurveAnimation.h"
#include "drawing/Passes.h"
#include "drawing/PictureSize.h"
#include "encoding/PngEncoder.h"
#include "output/FileNames.h"
#include "output/FileOutput.h"
#include "output/OutOfMemory.h"
#include "private/DiveFormats.h"
#include "private/ProgressLine.h"
#include "private/RenderDive.h"
#include "views/ViewText.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <new>

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

// A standard descriptor that came closed would be the next one the toolkit
// opens. On /dev/null, read-only, it is out of the way, and writing to it
// fails as writing to a closed descriptor does.
void OpenClosedStandardDescriptors()
{
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) < 0 && errno == EBADF) {
            // The lowest free descriptor: this one.
            static_cast<void>(::open("/dev/null", O_RDONLY));
        }
    }
}

extern "C" void RemoveTemporaryAndDie(int signal)
{
    levyc::FileOutput::RemovePendingTemporary();
    levyc::ProgressLine::EndForSignal();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Every signal that ends the program, but SIGKILL, takes the temporary file
// with it; a signal somebody chose to ignore (nohup) stays ignored.
void RemoveTemporaryOnSignals()
{
    for (const int signal : {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGUSR1, SIGUSR2, SIGALRM, SIGXCPU, SIGVTALRM, SIGPROF,
                             SIGPOLL, SIGPWR, SIGSYS, SIGTRAP, SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL}) {
        struct sigaction current = {};
        if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler != SIG_IGN) {
            std::signal(signal, RemoveTemporaryAndDie);
        }
    }
}

int Run(int argc, char *argv[])
{
    using namespace levyc;
    const QCoreApplication app(argc, argv);
    const QSize defaultSize = PictureSize;
    QList<QByteArray> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.append(QByteArray(argv[i]));
    }
    const RenderOptions options = ParseRenderOptions(arguments, defaultSize);
    // A mistake is one wherever --help stands.
    if (!options.error.isEmpty()) {
        return Fail(options.error + QStringLiteral(" (see --help)"), 2);
    }
    if (options.help || options.version) {
        const QByteArray text =
            options.help ? (RenderUsage(defaultSize) + DiveFormatsLine()).toUtf8() : "levyc-render " LEVYC_VERSION "\n";
        QString error;
        return WriteStandardOutput(text, &error) ? 0 : Fail(error);
    }
    QString error;
    // Before any work, and before the output is touched.
    if (options.dive && !DiveFormatReady(*options.format, &error)) {
        return Fail(error);
    }
    // Before rendering, which can take a while and much memory at large sizes.
    FileOutput output;
    if (!output.Open(options.output, &error)) {
        return Fail(error);
    }

    ProgressLine progress(!options.quiet);
    const auto fail = [&progress](const QString &message) {
        progress.Clear();
        return Fail(message);
    };
    QElapsedTimer timer;
    timer.start();
    QByteArray bytes;
    if (options.dive) {
        // Written as it is made.
        if (!RenderDive(options, output, progress, &error)) {
            return fail(error);
        }
        return 0;
    }
    if (options.animate) {
        const std::vector<CurveRecord> curves = PictureCurves();
        const int frames = static_cast<int>(curves.size()) + 1;
        const auto shown = [&progress, frames](int added) {
            progress.Show(QStringLiteral("drawing and encoding, frame %1 of %2").arg(added).arg(frames));
            return true;
        };
        if (!AnimateCurves(options.size, options.window, curves, {options.frameMs, RenderOptions::HoldMs}, &bytes,
                           &error, shown)) {
            return fail(QStringLiteral("cannot make the animation: %1").arg(error));
        }
        progress.Clear();
        if (options.time) {
            std::fprintf(stderr, "levyc-render: %d frames drawn and encoded in %.1f ms, %lld bytes\n", frames,
                         static_cast<double>(timer.nsecsElapsed()) / 1e6, static_cast<long long>(bytes.size()));
        }
    } else {
        constexpr int Curves = LastPass + 2;
        RenderedPicture picture =
            options.icon ? RenderIcon(options.size.width())
                         : RenderPicture(options.size, options.window, [&progress](int drawn) {
                               progress.Show(QStringLiteral("drawing, curve %1 of %2").arg(drawn).arg(Curves));
                           });
        if (picture.image.isNull()) {
            return fail(OutOfMemory::For("image", options.size));
        }
        // A view's picture says which view it is, as the window's does, so that it opens there.
        if (!options.icon) {
            picture.image.setText(QString::fromLatin1(ViewTextKey), WindowLine(options.window, options.size));
        }
        timer.restart();
        const auto encoded = [&progress](double done) {
            progress.Show(QStringLiteral("encoding, %1%").arg(static_cast<int>(done * 100)));
        };
        if (!EncodePng(picture.image, &bytes, &error, encoded)) {
            return fail(QStringLiteral("cannot encode the image: %1").arg(error));
        }
        progress.Clear();
        if (options.time) {
            std::fprintf(stderr, "levyc-render: %lld lines in %.1f ms\n", static_cast<long long>(picture.lines),
                         picture.milliseconds);
            std::fprintf(stderr, "levyc-render: PNG encoded in %.1f ms, %lld bytes\n",
                         static_cast<double>(timer.nsecsElapsed()) / 1e6, static_cast<long long>(bytes.size()));
        }
    }
    if (!output.Write(bytes, &error)) {
        return Fail(error);
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    levyc::NoteInheritedDescriptors();
    OpenClosedStandardDescriptors();
    qInstallMessageHandler(Quiet);
    // A closed pipe and a file past the size limit are errors to report, not
    // reasons to vanish.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    RemoveTemporaryOnSignals();
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc &) {
        // The output, and its temporary file, went as the stack unwound.
        return Fail(QStringLiteral("not enough memory"));
    }
}
