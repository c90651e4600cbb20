#include "Program.h"

#include "StartView.h"
#include "Translations.h"
#include "output/FileNames.h"
#include "output/FileOutput.h"
#include "private/WaylandGraphics.h"
#include "views/OptionWords.h"
#include "widgets/Form1.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QFile>
#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include <xcb/xproto.h>

namespace levyc {

namespace {

constexpr const char *Usage = "Usage: levyc [--help | --version]\n"
                              "       levyc --window X1,Y1,X2,Y2 [--size WxH]\n"
                              "       levyc --centre X,Y --zoom Z [--size WxH]\n"
                              "       levyc FILE.png\n"
                              "Opens a window that draws a fan of Levy C curves: press the draw button (描画)\n"
                              "to draw, the stop button (描画中止) to stop.\n"
                              "\n"
                              "  -h, --help              print this help and exit\n"
                              "  --version               print the version and exit\n"
                              "  --window X1,Y1,X2,Y2    draw, then show the view whose top-left corner is the\n"
                              "                          world point X1,Y1 and whose bottom-right is X2,Y2\n"
                              "  --centre X,Y --zoom Z   draw, then show the view centred on X,Y at zoom Z\n"
                              "                          (1 is the Draw's view at 573x413 pixels; the zoom\n"
                              "                          the overlay shows, at any size of the picture;\n"
                              "                          below 0 the view is turned half way round)\n"
                              "  --size WxH              the size the view was shared at, as the picture's\n"
                              "                          context menu Copy View gives it (default: the picture's)\n"
                              "  FILE.png                draw, then show the view the PNG holds: one saved or\n"
                              "                          copied from a view, or made by levyc-render with\n"
                              "                          --window or --centre (exit 2 if it holds none)\n"
                              "A view of another shape than the picture is widened to hold all of it, centred.\n"
                              "Copy View and Go to View... (Ctrl+G) in the picture's context menu copy these\n"
                              "lines and take them back; a PNG saved or copied from a view holds its --window\n"
                              "line in its text chunk \"levyc-view\"; Open View... (Ctrl+O) and a PNG dropped on\n"
                              "the window show it. Ctrl+D keeps the view as a bookmark, and Ctrl+B lists them.\n"
                              "Qt's own options, such as -platform xcb or -platform=xcb, are taken as well.\n";

// Qt's own options, which QApplication takes out of the arguments: with one
// dash or two, a value after them or after '='.
constexpr std::array<std::string_view, 14> QtOptionsWithValue = {
    "platform",    "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "session",       "display", "geometry",
    "style",       "stylesheet",         "name",          "title"};
constexpr std::array<std::string_view, 9> QtFlags = {"reverse",       "widgetcount", "nograb",     "dograb",     "sync",
                                                     "qmljsdebugger", "dialogs",     "fontengine", "testability"};

// An option's name without its one dash or two.
std::string_view Undashed(const QByteArray &name)
{
    std::string_view undashed(name.constData(), static_cast<std::size_t>(name.size()));
    undashed.remove_prefix(undashed.starts_with("--") ? 2 : undashed.starts_with('-') ? 1 : 0);
    return undashed;
}

bool IsHelpOrVersion(std::string_view argument)
{
    return argument == "--help" || argument == "-h" || argument == "--version";
}

// The platform asked for with -platform, if any.
QString PlatformArgument;

// Why the arguments, all of them Qt's but --help and --version, will not do;
// empty when they will. Qt's "-name=value", which Qt itself would pass over,
// goes into `forQt` as "-name value"; `forQt` gets every argument for Qt.
QString ArgumentsRefused(int argc, char *argv[], std::vector<QByteArray> *forQt, StartView *view)
{
    forQt->emplace_back(argv[0]);
    QList<QByteArray> words;
    for (int i = 1; i < argc; ++i) {
        words << QByteArray(argv[i]);
    }
    for (OptionWords reading(words); !reading.AtEnd();) {
        const QByteArray word = reading.Word();
        const QByteArray name = reading.Name();
        const bool qtOption =
            std::find(QtOptionsWithValue.begin(), QtOptionsWithValue.end(), Undashed(name)) != QtOptionsWithValue.end();
        if (IsHelpOrVersion(word.toStdString())) {
            reading.Take();
        } else if (word.size() < 2 || word[0] != '-') {
            if (!view->Png().isEmpty()) {
                return QStringLiteral("more than one file: '%1'").arg(PrintableName(word));
            }
            view->SetPng(QFile::decodeName(reading.Take()));
        } else if (StartView::Takes(name) || qtOption) {
            const std::optional<QByteArray> value = reading.TakeValue();
            if (!value) {
                return QStringLiteral("option '%1' needs a value").arg(PrintableName(word));
            }
            if (!qtOption) {
                view->Add(name, *value);
                continue;
            }
            if (Undashed(name) == "platform") {
                PlatformArgument = QString::fromLocal8Bit(*value);
            }
            forQt->push_back("-" + QByteArray(Undashed(name).data(), qsizetype(Undashed(name).size())));
            forQt->push_back(*value);
        } else if (std::find(QtFlags.begin(), QtFlags.end(), Undashed(name)) != QtFlags.end()) {
            forQt->push_back(reading.Take());
        } else {
            return QStringLiteral("unknown option '%1'").arg(PrintableName(word));
        }
    }
    return {};
}

// --help or --version, the first of them given: printed, with the exit
// status; nothing when neither is.
std::optional<int> HelpOrVersion(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument(argv[i]);
        if (IsHelpOrVersion(argument)) {
            QString error;
            if (!WriteStandardOutput(
                    argument == "--version" ? QByteArray("levyc " LEVYC_VERSION "\n") : QByteArray(Usage), &error)) {
                std::fprintf(stderr, "levyc: %s\n", qPrintable(error));
                return EXIT_FAILURE;
            }
            return EXIT_SUCCESS;
        }
    }
    return std::nullopt;
}

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
    // account of why, held back so far, follows on the next line. The
    // display variables are named only for the platforms that read them.
    QStringList variables;
    QString platforms;
    if (!PlatformArgument.isNull()) {
        variables << QStringLiteral("-platform is '%1'").arg(PlatformArgument);
        platforms = PlatformArgument;
    } else if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        variables << Described("QT_QPA_PLATFORM");
        platforms = qEnvironmentVariable("QT_QPA_PLATFORM");
    }
    // "xcb:option;wayland": each platform tried, with its options.
    const QStringList tried = platforms.split(u';', Qt::SkipEmptyParts);
    const auto uses = [&](const char *name) {
        return platforms.isEmpty() || tried.contains(QLatin1String(name)) ||
               std::any_of(tried.begin(), tried.end(),
                           [name](const QString &one) { return one.section(u':', 0, 0) == QLatin1String(name); });
    };
    if (uses("xcb")) {
        variables << Described("DISPLAY");
    }
    if (uses("wayland")) {
        variables << Described("WAYLAND_DISPLAY");
    }
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

// Closes a window whose X11 window another client destroyed (xdotool
// windowclose, xkill -id): the toolkit would go on with no window at all.
class DestroyedWindowWatcher final : public QAbstractNativeEventFilter
{
public:
    explicit DestroyedWindowWatcher(QWidget *window)
        : window_(window)
    {
    }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr * /*result*/) override
    {
        if (eventType != "xcb_generic_event_t") {
            return false;
        }
        const auto *event = static_cast<const xcb_generic_event_t *>(message);
        // The top bit marks an event another client sent.
        if ((event->response_type & 0x7F) == XCB_DESTROY_NOTIFY &&
            reinterpret_cast<const xcb_destroy_notify_event_t *>(event)->window == window_->winId()) {
            // From the event loop: a drawing on the stack ends first, as on any close.
            QMetaObject::invokeMethod(window_, &QWidget::close, Qt::QueuedConnection);
        }
        return false;
    }

private:
    QWidget *window_;
};

} // namespace

int RunProgram(int argc, char *argv[])
{
    NoteInheritedDescriptors();
    // A mistake is one wherever --help stands.
    std::vector<QByteArray> forQt;
    StartView view;
    if (const QString refused = ArgumentsRefused(argc, argv, &forQt, &view); !refused.isEmpty()) {
        std::fprintf(stderr, "levyc: %s (see --help)\n", qPrintable(refused));
        return 2;
    }
    // So is a PNG that holds no view, or one given with another view.
    if (const QString refused = view.ReadPng(); !refused.isEmpty()) {
        std::fprintf(stderr, "levyc: %s\n", qPrintable(refused));
        return 2;
    }
    // So is a view that cannot be shown, before any window opens.
    if (const QString refused = view.Given() ? view.Refused() : QString(); !refused.isEmpty()) {
        std::fprintf(stderr, "levyc: %s (see --help)\n", qPrintable(refused));
        return 2;
    }
    if (const std::optional<int> status = HelpOrVersion(argc, argv)) {
        return *status;
    }
    std::vector<char *> qtArgv;
    qtArgv.reserve(forQt.size() + 1);
    for (QByteArray &argument : forQt) {
        qtArgv.push_back(argument.data());
    }
    qtArgv.push_back(nullptr);
    int qtArgc = static_cast<int>(forQt.size());
    SkipGraphicsIntegrationOnWayland();
    ToolkitHandler = qInstallMessageHandler(HoldWhileConnecting);
    QApplication app(qtArgc, qtArgv.data());
    qInstallMessageHandler(ToolkitHandler);
    for (const auto &[type, message] : std::exchange(HeldMessages, {})) {
        ToolkitHandler(type, QMessageLogContext(), message);
    }

    InstallQtTranslations(app, QLocale());
    InstallTranslations(app, QLocale());
    Form1 form;
    form.show();
    if (view.Given()) {
        QMetaObject::invokeMethod(
            &form, [&form, &view] { view.DrawThenShow(form); }, Qt::QueuedConnection);
    }
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
