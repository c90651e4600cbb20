#include "Program.h"

#include "DestroyedWindowWatcher.h"
#include "Form1.h"
#include "Translations.h"
#include "WaylandGraphics.h"

#include <QApplication>
#include <QLocale>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <utility>
#include <vector>

namespace levyc {

namespace {

constexpr const char *Usage = "Usage: levyc [--help | --version]\n"
                              "Opens a window that draws a fan of Levy C curves: press the draw button (描画)\n"
                              "to draw, the stop button (描画中止) to stop.\n"
                              "\n"
                              "  -h, --help  print this help and exit\n"
                              "  --version   print the version and exit\n"
                              "Qt's own options, such as -platform, are taken as well.\n";

// What the toolkit said while it connected to the window system: held back,
// since a failure there is told in one line of our own instead.
std::vector<std::pair<QtMsgType, QString>> HeldMessages;
QtMessageHandler ToolkitHandler = nullptr;

QString Described(const char *variable)
{
    if (!qEnvironmentVariableIsSet(variable)) {
        return QStringLiteral("%1 is not set").arg(QLatin1String(variable));
    }
    return QStringLiteral("%1 is '%2'").arg(QLatin1String(variable), qEnvironmentVariable(variable));
}

void HoldWhileConnecting(QtMsgType type, const QMessageLogContext & /*context*/, const QString &message)
{
    if (type != QtFatalMsg) {
        HeldMessages.emplace_back(type, message);
        return;
    }
    // The toolkit would abort: a crash to any launcher or script. Its own
    // account of why, held back so far, follows on the next line.
    QStringList variables;
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        variables << Described("QT_QPA_PLATFORM");
    }
    variables << Described("DISPLAY") << Described("WAYLAND_DISPLAY");
    std::fprintf(stderr, "levyc: no display could be opened (%s)\n", qPrintable(variables.join(QStringLiteral(", "))));
    QStringList reasons;
    for (const auto &[heldType, held] : HeldMessages) {
        if (heldType != QtDebugMsg && heldType != QtInfoMsg) {
            reasons << held.section(u'\n', 0, 0).trimmed();
        }
    }
    if (!reasons.isEmpty()) {
        std::fprintf(stderr, "levyc: %s\n", qPrintable(reasons.join(QStringLiteral("; "))));
    }
    std::fflush(stderr);
    std::_Exit(EXIT_FAILURE);
}

} // namespace

int RunProgram(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument(argv[i]);
        if (argument == "--help" || argument == "-h") {
            std::fputs(Usage, stdout);
            return EXIT_SUCCESS;
        }
        if (argument == "--version") {
            std::puts("levyc " LEVYC_VERSION);
            return EXIT_SUCCESS;
        }
    }
    SkipGraphicsIntegrationOnWayland();
    ToolkitHandler = qInstallMessageHandler(HoldWhileConnecting);
    QApplication app(argc, argv);
    qInstallMessageHandler(ToolkitHandler);
    for (const auto &[type, message] : std::exchange(HeldMessages, {})) {
        ToolkitHandler(type, QMessageLogContext(), message);
    }

    InstallTranslations(app, QLocale());
    Form1 form;
    form.show();
    DestroyedWindowWatcher watcher(&form);
    app.installNativeEventFilter(&watcher);
    const int status = QApplication::exec();
    if (QGuiApplication::platformName() == u"wayland") {
        // Qt 6.4's Wayland plugin can wait for ever in its teardown, for an event
        // thread stuck in wl_display_read_events; the window is gone and
        // nothing is left to save, so end here.
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}

} // namespace levyc
