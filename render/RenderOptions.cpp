#include "RenderOptions.h"

#include "FileNames.h"
#include "ViewRender.h"
#include "ViewText.h"

#include <QRegularExpression>

#include <cmath>
#include <optional>

namespace levyc {

namespace {

// "WxH" with whole numbers from 1 to MaxSide; an empty size when malformed.
QSize ParseSize(const QByteArray &text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,9})x(\\d{1,9})$"));
    const QRegularExpressionMatch match = pattern.match(QString::fromLatin1(text));
    if (!match.hasMatch()) {
        return {};
    }
    const int width = match.captured(1).toInt();
    const int height = match.captured(2).toInt();
    if (width < 1 || height < 1 || width > RenderOptions::MaxSide || height > RenderOptions::MaxSide) {
        return {};
    }
    return {width, height};
}

// "X1,Y1,X2,Y2": four numbers making a window IsDrawableWindow accepts.
bool ParseWindow(const QByteArray &text, WorldWindow &window)
{
    const QList<QByteArray> parts = text.split(',');
    if (parts.size() != 4) {
        return false;
    }
    double values[4] = {};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = parts[i].trimmed().toDouble(&ok);
        if (!ok) {
            return false;
        }
    }
    window = {values[0], values[1], values[2], values[3]};
    return IsDrawableWindow(window);
}

// The image format a name's ending promises, such as "PNG"; empty for none.
QString FormatNamed(const QByteArray &name)
{
    const QByteArray lower = name.toLower();
    if (lower.endsWith(".png")) {
        return QStringLiteral("PNG");
    }
    return lower.endsWith(".webp") ? QStringLiteral("WebP") : QString();
}

QString BadWindow(const QByteArray &value)
{
    return QStringLiteral("bad window '%1': expected X1,Y1,X2,Y2, each side from %2 to %3 world units")
        .arg(PrintableName(value))
        .arg(MinViewSpan)
        .arg(MaxViewSpan);
}

// A dive's frames: at least two, whatever the rate.
constexpr double MinDiveSeconds = 0.1;

// The dive's checks once every option is read; an empty string when it can be made.
QString DiveError(RenderOptions &options, bool sizeGiven, bool windowGiven)
{
    if (options.animate || options.icon) {
        return QStringLiteral("--dive does not go with --animate or --icon");
    }
    if (!windowGiven) {
        return QStringLiteral("--dive needs --window, the view it ends at");
    }
    if (options.format.isEmpty()) {
        const QByteArray lower = options.output.toLower();
        for (const char *ending : {"mp4", "webm", "webp"}) {
            if (lower.endsWith(QByteArray(".") + ending)) {
                options.format = ending;
            }
        }
    }
    if (options.format.isEmpty()) {
        return QStringLiteral("cannot tell the dive's format from '%1': name a .mp4, .webm or .webp file, or give "
                              "--format")
            .arg(PrintableName(options.output));
    }
    if (!sizeGiven) {
        options.size = RenderOptions::DefaultDiveSize;
    }
    if (options.format != "webp" && (options.size.width() % 2 != 0 || options.size.height() % 2 != 0)) {
        return QStringLiteral("a %1 dive needs an even width and height, not %2x%3")
            .arg(QString::fromLatin1(options.format).toUpper())
            .arg(options.size.width())
            .arg(options.size.height());
    }
    return {};
}

// The window --centre and --zoom give, at the image's size; the reason when they
// give none.
QString CentredWindow(RenderOptions &options, const std::optional<QByteArray> &centre,
                      const std::optional<QByteArray> &zoom, bool windowGiven, bool sizeGiven)
{
    if (windowGiven || options.icon) {
        return QStringLiteral("--centre and --zoom give the view: they do not go with %1")
            .arg(options.icon ? u"--icon" : u"--window");
    }
    if (!centre || !zoom) {
        return centre ? QStringLiteral("--centre needs --zoom") : QStringLiteral("--zoom needs --centre");
    }
    WorldPoint point;
    double scale = 0;
    if (!ParseCentre(QString::fromLatin1(*centre), point)) {
        return QStringLiteral("bad centre '%1': expected X,Y").arg(PrintableName(*centre));
    }
    if (!ParseZoom(QString::fromLatin1(*zoom), scale)) {
        return QStringLiteral("bad zoom '%1': expected a number above 0").arg(PrintableName(*zoom));
    }
    const QSize size = options.dive && !sizeGiven ? RenderOptions::DefaultDiveSize : options.size;
    options.window = CentredView(point, scale, size);
    if (!IsDrawableWindow(options.window)) {
        return QStringLiteral("bad zoom '%1': at %2x%3 the view is %4 by %5 world units, each side must be from %6 "
                              "to %7")
            .arg(PrintableName(*zoom))
            .arg(size.width())
            .arg(size.height())
            .arg(std::abs(options.window.Width()))
            .arg(std::abs(options.window.Height()))
            .arg(MinViewSpan)
            .arg(MaxViewSpan);
    }
    return {};
}

} // namespace

QString RenderUsage(QSize defaultSize)
{
    return QStringLiteral(
               "Usage: levyc-render [--size WxH] [--window X1,Y1,X2,Y2] [--time] [--quiet] OUTPUT.png\n"
               "       levyc-render [--size WxH] --centre X,Y --zoom Z [--time] [--quiet] OUTPUT.png\n"
               "       levyc-render [--size WxH] [--window X1,Y1,X2,Y2] [--frame-ms N] [--time] [--quiet]\n"
               "                    --animate OUTPUT.webp\n"
               "       levyc-render [--size WxH] [--from X1,Y1,X2,Y2] --window X1,Y1,X2,Y2 [--seconds S] [--fps N]\n"
               "                    [--format mp4|webm|webp] [--time] [--quiet] --dive OUTPUT.mp4|.webm|.webp\n"
               "Renders the complete Levy C picture without a display and writes it as PNG\n"
               "to OUTPUT.png, or to standard output when OUTPUT.png is '-'.\n"
               "\n"
               "  --size WxH       image size in pixels, each side 1 to %1 (default: the window's picture, %2x%3)\n"
               "  --window X1,Y1,X2,Y2\n"
               "                   draw the world window with (X1, Y1) at the top-left corner and\n"
               "                   (X2, Y2) at the bottom-right, detail down to the pixel, as the\n"
               "                   window shows it zoomed there (default: the Draw's, %8,%9,%10,%11);\n"
               "                   its pixels at most %12 times as long as wide, as the work grows with that\n"
               "  --centre X,Y --zoom Z\n"
               "                   draw the view centred on the world point (X, Y) instead, its pixels the\n"
               "                   Draw's shape at any size and Z times smaller: zoom 1 at %2x%3 about the\n"
               "                   Draw's centre, 105,-45, is the Draw's window, and a larger --size shows\n"
               "                   more around the same centre at the same scale\n"
               "  --animate FILE   write the drawing as a looping, lossless animated WebP instead: the\n"
               "                   cleared picture, then one frame after each curve, the last held %4 s;\n"
               "                   a FILE beginning with '-' is an option, and the file comes as OUTPUT\n"
               "  --frame-ms N     each frame's time in milliseconds, 1 to %5 (default %6: the curves in about 5 s)\n"
               "  --dive FILE      write a zoom movie instead, from --from to --window: a steady zoom about the\n"
               "                   point that stays in place on screen, easing in and out over half a second,\n"
               "                   each frame the exact view. FILE.mp4 is H.264, FILE.webm VP9, FILE.webp a\n"
               "                   looping, lossless animated WebP. '-' and descriptors take MP4 (in fragments)\n"
               "                   and WebM, with --format. The end view takes the first one's shape\n"
               "  --from X1,Y1,X2,Y2\n"
               "                   the view a dive starts at (default: the Draw's)\n"
               "  --seconds S      a dive's length, %13 to %14 (default %15)\n"
               "  --fps N          a dive's frames a second, 1 to %16 (default %17)\n"
               "  --format FMT     a dive's format, mp4, webm or webp, when the name does not end in one\n"
               "                   (a dive's default --size is %18x%19; MP4 and WebM need even sides)\n"
               "  --time           print the lines drawn, the render time and the encoding time to standard error\n"
               "  --quiet          no progress line on a terminal\n"
               "  --icon           write the application icon instead: the picture trimmed to its\n"
               "                   curves on a black square (a square --size; default %7x%7)\n"
               "  -h, --help       print this help and exit\n"
               "  --version        print the version and exit\n"
               "  --               end of options: a later argument is the output file\n")
        .arg(RenderOptions::MaxSide)
        .arg(defaultSize.width())
        .arg(defaultSize.height())
        .arg(RenderOptions::HoldMs / 1000)
        .arg(RenderOptions::MaxFrameMs)
        .arg(RenderOptions::DefaultFrameMs)
        .arg(RenderOptions::DefaultIconSide)
        .arg(PictureWorld.Left)
        .arg(PictureWorld.Top)
        .arg(PictureWorld.Right)
        .arg(PictureWorld.Bottom)
        .arg(MaxPixelAspect)
        .arg(MinDiveSeconds)
        .arg(RenderOptions::MaxDiveSeconds)
        .arg(RenderOptions::DefaultDiveSeconds)
        .arg(RenderOptions::MaxDiveFps)
        .arg(RenderOptions::DefaultDiveFps)
        .arg(RenderOptions::DefaultDiveSize.width())
        .arg(RenderOptions::DefaultDiveSize.height());
}

RenderOptions ParseRenderOptions(const QList<QByteArray> &arguments, QSize defaultSize)
{
    RenderOptions options;
    options.size = defaultSize;
    bool optionsEnded = false;
    bool sizeGiven = false;
    bool frameMsGiven = false;
    bool windowGiven = false;
    QByteArray windowText;
    std::optional<QByteArray> centreText;
    std::optional<QByteArray> zoomText;
    bool diveOptionGiven = false; // --from, --seconds, --fps or --format
    // The value of "--name VALUE" or "--name=VALUE"; false when it is missing.
    const auto valueOf = [&arguments](qsizetype &i, const QByteArray &name, QByteArray *value) {
        const QByteArray &argument = arguments[i];
        if (argument != name) {
            *value = argument.mid(name.size() + 1);
            return true;
        }
        if (i + 1 >= arguments.size()) {
            return false;
        }
        *value = arguments[++i];
        return true;
    };
    const auto setOutput = [&options](const QByteArray &name) {
        if (name.isEmpty()) {
            options.error = QStringLiteral("an empty output file name");
        } else if (!options.output.isEmpty()) {
            options.error = QStringLiteral("more than one output file: '%1'").arg(PrintableName(name));
        } else {
            options.output = name;
        }
        return options.error.isEmpty();
    };
    const auto is = [](const QByteArray &argument, const char *name) {
        return argument == name || argument.startsWith(QByteArray(name) + '=');
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QByteArray &argument = arguments[i];
        QByteArray value;
        if (optionsEnded || !argument.startsWith('-') || argument == "-") {
            if (!setOutput(argument)) {
                return options;
            }
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else if (argument == "--time") {
            options.time = true;
        } else if (argument == "--quiet") {
            options.quiet = true;
        } else if (argument == "--icon") {
            options.icon = true;
        } else if (is(argument, "--animate")) {
            options.animate = true;
            // A name that begins with '-' is an option, not the file: the file
            // then comes as OUTPUT, after "--" if it begins with '-' too.
            const bool named =
                argument != "--animate" ||
                (i + 1 < arguments.size() && (!arguments[i + 1].startsWith('-') || arguments[i + 1] == "-"));
            if (named && (!valueOf(i, "--animate", &value) || !setOutput(value))) {
                return options;
            }
        } else if (is(argument, "--dive")) {
            if (!valueOf(i, "--dive", &value)) {
                options.error = QStringLiteral("--dive needs an output file such as dive.mp4");
                return options;
            }
            options.dive = true;
            if (!setOutput(value)) {
                return options;
            }
        } else if (is(argument, "--from")) {
            diveOptionGiven = true;
            if (!valueOf(i, "--from", &value) || !ParseWindow(value, options.from)) {
                options.error = BadWindow(value);
                return options;
            }
        } else if (is(argument, "--seconds")) {
            diveOptionGiven = true;
            bool number = false;
            options.seconds = valueOf(i, "--seconds", &value) ? value.toDouble(&number) : 0;
            if (!number || !(options.seconds >= MinDiveSeconds && options.seconds <= RenderOptions::MaxDiveSeconds)) {
                options.error = QStringLiteral("bad length '%1': expected seconds from %2 to %3")
                                    .arg(PrintableName(value))
                                    .arg(MinDiveSeconds)
                                    .arg(RenderOptions::MaxDiveSeconds);
                return options;
            }
        } else if (is(argument, "--fps")) {
            diveOptionGiven = true;
            bool number = false;
            options.fps = valueOf(i, "--fps", &value) ? value.toInt(&number) : 0;
            if (!number || options.fps < 1 || options.fps > RenderOptions::MaxDiveFps) {
                options.error = QStringLiteral("bad frame rate '%1': expected frames a second from 1 to %2")
                                    .arg(PrintableName(value))
                                    .arg(RenderOptions::MaxDiveFps);
                return options;
            }
        } else if (is(argument, "--format")) {
            diveOptionGiven = true;
            options.format = valueOf(i, "--format", &value) ? value.toLower() : QByteArray();
            if (options.format != "mp4" && options.format != "webm" && options.format != "webp") {
                options.error = QStringLiteral("bad format '%1': expected mp4, webm or webp").arg(PrintableName(value));
                return options;
            }
        } else if (is(argument, "--frame-ms")) {
            if (!valueOf(i, "--frame-ms", &value)) {
                options.error = QStringLiteral("--frame-ms needs a value such as 30");
                return options;
            }
            bool number = false;
            options.frameMs = value.toInt(&number);
            frameMsGiven = true;
            if (!number || options.frameMs < 1 || options.frameMs > RenderOptions::MaxFrameMs) {
                options.error = QStringLiteral("bad frame time '%1': expected milliseconds from 1 to %2")
                                    .arg(PrintableName(value))
                                    .arg(RenderOptions::MaxFrameMs);
                return options;
            }
        } else if (is(argument, "--window")) {
            if (!valueOf(i, "--window", &value)) {
                options.error = QStringLiteral("--window needs a value such as -300,410,510,-500");
                return options;
            }
            windowGiven = true;
            windowText = value;
            if (!ParseWindow(value, options.window)) {
                options.error = QStringLiteral("bad window '%1': expected X1,Y1,X2,Y2, each side from %2 to %3 world "
                                               "units")
                                    .arg(PrintableName(value))
                                    .arg(MinViewSpan)
                                    .arg(MaxViewSpan);
                return options;
            }
        } else if (is(argument, "--centre") || is(argument, "--zoom")) {
            const bool centre = argument.startsWith("--centre");
            const QByteArray name = centre ? "--centre" : "--zoom";
            if (!valueOf(i, name, &value)) {
                options.error = QStringLiteral("%1 needs a value such as %2")
                                    .arg(QString::fromLatin1(name), centre ? u"105,-45" : u"1");
                return options;
            }
            (centre ? centreText : zoomText) = value;
        } else if (is(argument, "--size")) {
            if (!valueOf(i, "--size", &value)) {
                options.error = QStringLiteral("--size needs a value such as 1920x1080");
                return options;
            }
            options.size = ParseSize(value);
            sizeGiven = true;
            if (options.size.isEmpty()) {
                options.error = QStringLiteral("bad size '%1': expected WxH, each side from 1 to %2")
                                    .arg(PrintableName(value))
                                    .arg(RenderOptions::MaxSide);
                return options;
            }
        } else {
            options.error = QStringLiteral("unknown option '%1'").arg(PrintableName(argument));
            return options;
        }
    }
    if (!options.help && !options.version && options.output.isEmpty()) {
        options.error = options.animate ? QStringLiteral("--animate needs an output file such as draw.webp")
                                        : QStringLiteral("no output file given");
    }
    if (!options.error.isEmpty()) {
        return options;
    }
    if (centreText || zoomText) {
        options.error = CentredWindow(options, centreText, zoomText, windowGiven, sizeGiven);
        if (!options.error.isEmpty()) {
            return options;
        }
        windowGiven = true;
    }
    if (options.dive && !frameMsGiven) {
        options.error = DiveError(options, sizeGiven, windowGiven);
    } else if (diveOptionGiven && !options.dive) {
        options.error = QStringLiteral("--from, --seconds, --fps and --format go with --dive");
    } else if (options.animate && options.icon) {
        options.error = QStringLiteral("--animate and --icon do not go together");
    } else if (frameMsGiven && !options.animate) {
        options.error = QStringLiteral("--frame-ms goes with --animate");
    } else if (options.icon && windowGiven) {
        options.error = QStringLiteral("--icon draws the whole picture: it takes no --window");
    } else if (const QString format = FormatNamed(options.output);
               !format.isEmpty() && format != u"WebP" && options.animate) {
        options.error =
            QStringLiteral("--animate writes WebP, not %1: '%2'").arg(format, PrintableName(options.output));
    } else if (!format.isEmpty() && format != u"PNG" && !options.animate) {
        options.error = QStringLiteral("'%1' would hold PNG, not %2: --animate writes WebP")
                            .arg(PrintableName(options.output), format);
    } else if (windowGiven && !IsDrawWindow(options.window) &&
               !(PixelAspect(options.window, options.size) <= MaxPixelAspect)) {
        const double aspect = PixelAspect(options.window, options.size);
        options.error = QStringLiteral("bad window '%1': at %2x%3 its pixels are %4 times as long as wide, at most %5 "
                                       "(the work grows with it); give the window the image's shape")
                            .arg(PrintableName(windowText))
                            .arg(options.size.width())
                            .arg(options.size.height())
                            .arg(aspect, 0, 'f', aspect < 100 ? 1 : 0)
                            .arg(MaxPixelAspect);
    } else if (options.icon) {
        if (!sizeGiven) {
            options.size = QSize(RenderOptions::DefaultIconSide, RenderOptions::DefaultIconSide);
        } else if (options.size.width() != options.size.height()) {
            options.error = QStringLiteral("--icon needs a square size, such as 256x256");
        }
    }
    return options;
}

} // namespace levyc
