#include "RenderOptions.h"

#include "encoding/WebPAnimation.h"
#include "output/FileNames.h"
#include "video/DiveMovie.h"
#include "views/DivePath.h"
#include "views/ViewRender.h"
#include "views/ViewText.h"

#include <QLocale>
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

// The format a name's ending promises, such as "PNG"; empty for none.
QString FormatNamed(const QByteArray &name)
{
    const QByteArray lower = name.toLower();
    for (const char *format : {"PNG", "WebP", "MP4", "WebM"}) {
        if (lower.endsWith("." + QByteArray(format).toLower())) {
            return QLatin1String(format);
        }
    }
    return {};
}

// A dive's format as its name is written: "mp4" as "MP4".
QString FormatName(const QByteArray &format)
{
    return format == "webm"   ? QStringLiteral("WebM")
           : format == "webp" ? QStringLiteral("WebP")
                              : QStringLiteral("MP4");
}

// How many times as long as wide, with the digits that tell it from the limit:
// 16.0015 is not shown as 16.0.
QString AspectText(double aspect)
{
    int decimals = aspect < 100 ? 1 : 0;
    while (decimals < 15 && QString::number(aspect, 'f', decimals).toDouble() <= MaxPixelAspect) {
        ++decimals;
    }
    return QString::number(aspect, 'f', decimals);
}

QString WindowText(const WorldWindow &window)
{
    constexpr int Shortest = QLocale::FloatingPointShortest;
    return QStringLiteral("%1,%2,%3,%4")
        .arg(window.Left, 0, 'g', Shortest)
        .arg(window.Top, 0, 'g', Shortest)
        .arg(window.Right, 0, 'g', Shortest)
        .arg(window.Bottom, 0, 'g', Shortest);
}

QString BadWindow(const QByteArray &value)
{
    return QStringLiteral("bad window '%1': expected X1,Y1,X2,Y2, each side from %2 to %3 world units")
        .arg(PrintableName(value))
        .arg(MinViewSpan)
        .arg(MaxViewSpan)
        .arg(VideoSettings::MaxQuality)
        .arg(VideoSettings::DefaultQuality);
}

constexpr double MinDiveSeconds = DivePath::MinSeconds;
constexpr int MinDiveFrames = DivePath::MinFrames;

// Every frame's window drawable at the dive's size, or only the first and
// last: each side within the span limits, each pixel within the shape limit.
// Empty when all are.
QString DiveWindowsError(const RenderOptions &options, bool endsOnly)
{
    std::vector<WorldWindow> views{options.from};
    views.insert(views.end(), options.through.begin(), options.through.end());
    views.push_back(options.window);
    const DivePath path(views, options.seconds, options.fps, options.size);
    const int frames = path.Frames();
    // The two views the user gave first, then the frames between.
    for (int n = 0; n < (endsOnly ? std::min(frames, 2) : frames); ++n) {
        const int i = n == 0 ? 0 : n == 1 ? frames - 1 : n - 1;
        const WorldWindow frame = path.Frame(i);
        const QString which =
            i == 0 ? QStringLiteral("the dive's first view (--from %1)").arg(WindowText(frame))
            : i + 1 == frames
                ? QStringLiteral("the dive's last view (--window in --from's shape, %1)").arg(WindowText(frame))
                : QStringLiteral("the dive's frame %1 of %2 (%3)").arg(i + 1).arg(frames).arg(WindowText(frame));
        if (!IsDrawableWindow(frame)) {
            return QStringLiteral("%1 cannot be drawn: each side must be from %2 to %3 world units")
                .arg(which)
                .arg(MinViewSpan)
                .arg(MaxViewSpan);
        }
        if (const double aspect = PixelAspect(frame, options.size); !(aspect <= MaxPixelAspect)) {
            return QStringLiteral("%1: at %2x%3 its pixels are %4 times as long as wide, at most %5 (the work grows "
                                  "with it); give --from the image's shape")
                .arg(which)
                .arg(options.size.width())
                .arg(options.size.height())
                .arg(AspectText(aspect))
                .arg(MaxPixelAspect);
        }
    }
    return {};
}

// Far-apart views zoom out between them: the widest view on the way must
// still be drawable.
QString PathError(const RenderOptions &options)
{
    std::vector<WorldWindow> views{options.from};
    views.insert(views.end(), options.through.begin(), options.through.end());
    views.push_back(options.window);
    const WorldWindow widest = DivePath(views, options.seconds, options.fps, options.size).Widest();
    if (IsDrawableWindow(widest)) {
        return {};
    }
    return QStringLiteral("the dive's path zooms out to a view %1 by %2 world units, beyond %3: choose views nearer "
                          "each other")
        .arg(std::abs(widest.Width()), 0, 'g', 3)
        .arg(std::abs(widest.Height()), 0, 'g', 3)
        .arg(MaxViewSpan)
        .arg(VideoSettings::MaxQuality)
        .arg(VideoSettings::DefaultQuality);
}

// The dive's checks once every option is read; an empty string when it can be made.
QString DiveError(RenderOptions &options, bool sizeGiven, bool windowGiven, bool frameMsGiven, bool fromGiven)
{
    for (const auto &[given, name] :
         {std::pair{options.animate, "--animate"}, {frameMsGiven, "--frame-ms"}, {options.icon, "--icon"}}) {
        if (given) {
            return QStringLiteral("--dive does not go with %1").arg(QLatin1String(name));
        }
    }
    if (!windowGiven) {
        return QStringLiteral("--dive needs --window, the view it ends at");
    }
    const QString named = FormatNamed(options.output);
    if (options.format.isEmpty() && named != u"PNG") {
        options.format = named.toLatin1().toLower();
    }
    if (options.format.isEmpty() && named.isEmpty()) {
        return QStringLiteral("cannot tell the dive's format from '%1': name a .mp4, .webm or .webp file, or give "
                              "--format")
            .arg(PrintableName(options.output));
    }
    if (options.format.isEmpty()) {
        return QStringLiteral("a dive is MP4, WebM or WebP, not %1: '%2'").arg(named, PrintableName(options.output));
    }
    const QString format = FormatName(options.format);
    if (!named.isEmpty() && named != format) {
        return QStringLiteral("--format %1 writes %2, not %3: '%4'")
            .arg(QString::fromLatin1(options.format), format, named, PrintableName(options.output));
    }
    if (options.format == "webp" && options.output == "-") {
        return QStringLiteral("an animated WebP dive is made whole: name a .webp file, not a stream");
    }
    if (std::lround(options.seconds * options.fps) < MinDiveFrames) {
        return QStringLiteral("--seconds %1 at --fps %2 makes fewer than %3 frames")
            .arg(options.seconds)
            .arg(options.fps)
            .arg(MinDiveFrames);
    }
    if (!sizeGiven) {
        options.size = RenderOptions::DefaultDiveSize;
    }
    if (!fromGiven) {
        options.from = DivePath::StartAt(options.size);
    }
    if (options.format != "webp" && (options.size.width() % 2 != 0 || options.size.height() % 2 != 0)) {
        return QStringLiteral("%1 %2 dive needs an even width and height, not %3x%4")
            .arg(format == u"MP4" ? QStringLiteral("an") : QStringLiteral("a"), format)
            .arg(options.size.width())
            .arg(options.size.height());
    }
    const std::optional<DiveFormat> diveFormat = DiveFormatOf("." + options.format);
    if (QSize largest; diveFormat && !DiveSizeFits(*diveFormat, options.size, &largest)) {
        return QStringLiteral("a %1x%2 %3 dive is more than its encoder takes: at most %4 wide at that height, %5 "
                              "high at that width")
            .arg(options.size.width())
            .arg(options.size.height())
            .arg(format)
            .arg(largest.width())
            .arg(largest.height());
    }
    // The views given first, then the widest on the way, then every frame.
    if (QString error = DiveWindowsError(options, true); !error.isEmpty()) {
        return error;
    }
    if (QString error = PathError(options); !error.isEmpty()) {
        return error;
    }
    return DiveWindowsError(options, false);
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
               "       levyc-render [--size WxH] [--from X1,Y1,X2,Y2] [--through X1,Y1,X2,Y2]... --window X1,Y1,X2,Y2\n"
               "                    [--seconds S] [--fps N] [--format mp4|webm|webp] [--quality Q] [--time] [--quiet]\n"
               "                    --dive OUTPUT.mp4|.webm|.webp\n"
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
               "                   a FILE beginning with '-' is an option, and the file comes as OUTPUT;\n"
               "                   each side at most %20\n"
               "  --frame-ms N     each frame's time in milliseconds, 1 to %5 (default %6: the curves in about 5 s)\n"
               "  --dive FILE      write a zoom movie instead, from --from through each --through to --window,\n"
               "                   on van Wijk and Nuij's zoom-and-pan path: a target inside the view comes\n"
               "                   steadily to the centre, views far apart are joined by zooming out and in;\n"
               "                   one speed throughout, easing in and out over half a second; the widest\n"
               "                   view on the way at most %21 world units. Each frame is the view at its\n"
               "                   window, its lines leaning toward their next division so that the picture\n"
               "                   does not pulse; the first and last are exact. FILE.mp4 is H.264,\n"
               "                   FILE.webm VP9, FILE.webp a looping, lossless animated WebP. '-' and\n"
               "                   descriptors take MP4 (in fragments) and WebM, with --format. The later\n"
               "                   views take the first one's shape. FILE is taken as --animate takes its own;\n"
               "                   not with --animate, --frame-ms or --icon. Every frame's window is checked\n"
               "                   first, as --window's is, the first view's included; and the size, against\n"
               "                   what the encoder takes\n"
               "  --from X1,Y1,X2,Y2\n"
               "                   the view a dive starts at (default: the Draw's around its centre, with\n"
               "                   the pixels' shape it has at %2x%3, showing more at the sides of a wider film)\n"
               "  --through X1,Y1,X2,Y2\n"
               "                   a view a dive passes on its way, in its first view's shape; again for more,\n"
               "                   in order. A frame falls on each, and --seconds is the whole dive's length\n"
               "  --seconds S      a dive's length, %13 to %14 (default %15); with --fps, at least 2 frames\n"
               "  --fps N          a dive's frames a second, 1 to %16 (default %17)\n"
               "  --format FMT     a dive's format, mp4, webm or webp, when the name does not end in one\n"
               "                   (a dive's default --size is %18x%19; MP4 and WebM need even sides)\n"
               "  --quality Q      an MP4 or WebM dive's quality, 0 to %22 (default %23), mapped to each codec's\n"
               "                   own scale so that both come out alike; higher makes larger files. A WebP dive\n"
               "                   is lossless and ignores it. An MP4 file has its index first (fast start),\n"
               "                   and an H.264 level, at least 4.1, that its bitrate keeps to\n"
               "  --time           print the lines drawn, the render time and the encoding time to standard error\n"
               "  --quiet          no progress line on a terminal\n"
               "  --icon           write the application icon instead: the picture trimmed to its\n"
               "                   curves on a black square (a square --size; default %7x%7)\n"
               "  -h, --help       print this help and exit (a mistake anywhere is told instead, exit 2)\n"
               "  --version        print the version and exit\n"
               "  --               end of options: a later argument is the output file\n"
               "A known ending (.png, .webp, .mp4, .webm) must be the output's format. Exit status: 0 done,\n"
               "1 failed, 2 for arguments refused before any work.\n")
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
        .arg(RenderOptions::DefaultDiveSize.height())
        .arg(WebPAnimation::MaxSide)
        .arg(MaxViewSpan)
        .arg(VideoSettings::MaxQuality)
        .arg(VideoSettings::DefaultQuality);
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
    bool diveOptionGiven = false; // --from, --through, --seconds, --fps, --format or --quality
    bool fromGiven = false;
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
        } else if (is(argument, "--animate") || is(argument, "--dive")) {
            const bool animate = is(argument, "--animate");
            if (animate ? options.dive : options.animate) {
                options.error = QStringLiteral("--dive does not go with --animate");
                return options;
            }
            (animate ? options.animate : options.dive) = true;
            // A name that begins with '-' is an option, not the file: the file
            // then comes as OUTPUT, after "--" if it begins with '-' too.
            const QByteArray name = animate ? "--animate" : "--dive";
            const bool named = argument != name || (i + 1 < arguments.size() &&
                                                    (!arguments[i + 1].startsWith('-') || arguments[i + 1] == "-"));
            if (named && (!valueOf(i, name, &value) || !setOutput(value))) {
                return options;
            }
        } else if (is(argument, "--from")) {
            diveOptionGiven = true;
            fromGiven = true;
            if (!valueOf(i, "--from", &value) || !ParseWindow(value, options.from)) {
                options.error = BadWindow(value);
                return options;
            }
        } else if (is(argument, "--through")) {
            diveOptionGiven = true;
            WorldWindow through{};
            if (!valueOf(i, "--through", &value) || !ParseWindow(value, through)) {
                options.error = BadWindow(value);
                return options;
            }
            options.through.push_back(through);
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
        } else if (is(argument, "--quality")) {
            diveOptionGiven = true;
            bool number = false;
            options.quality = valueOf(i, "--quality", &value) ? value.toInt(&number) : -1;
            if (!number || options.quality < 0 || options.quality > VideoSettings::MaxQuality) {
                options.error = QStringLiteral("bad quality '%1': expected 0 to %2")
                                    .arg(PrintableName(value))
                                    .arg(VideoSettings::MaxQuality);
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
    // Help and the version take no output; a mistake before them is still one.
    if (options.help || options.version) {
        return options;
    }
    if (centreText || zoomText) {
        options.error = CentredWindow(options, centreText, zoomText, windowGiven, sizeGiven);
        if (!options.error.isEmpty()) {
            return options;
        }
        windowGiven = true;
    }
    if (options.output.isEmpty()) {
        options.error = options.animate ? QStringLiteral("--animate needs an output file such as draw.webp")
                        : options.dive  ? QStringLiteral("--dive needs an output file such as dive.mp4")
                                        : QStringLiteral("no output file given");
        return options;
    }
    const QString named = FormatNamed(options.output);
    if (options.dive) {
        options.error = DiveError(options, sizeGiven, windowGiven, frameMsGiven, fromGiven);
    } else if (diveOptionGiven) {
        options.error = QStringLiteral("--from, --through, --seconds, --fps, --format and --quality go with --dive");
    } else if (options.animate && options.icon) {
        options.error = QStringLiteral("--animate and --icon do not go together");
    } else if (frameMsGiven && !options.animate) {
        options.error = QStringLiteral("--frame-ms goes with --animate");
    } else if (options.icon && windowGiven) {
        options.error = QStringLiteral("--icon draws the whole picture: it takes no --window");
    } else if (!named.isEmpty() && named != u"WebP" && options.animate) {
        options.error = QStringLiteral("--animate writes WebP, not %1: '%2'").arg(named, PrintableName(options.output));
    } else if (!named.isEmpty() && named != u"PNG" && !options.animate) {
        options.error = QStringLiteral("'%1' would hold PNG, not %2: %3")
                            .arg(PrintableName(options.output), named,
                                 named == u"WebP" ? QStringLiteral("--animate writes WebP")
                                                  : QStringLiteral("--dive writes %1").arg(named));
    } else if (QSize largest; options.animate && !DiveSizeFits(DiveFormat::WebP, options.size, &largest)) {
        options.error = QStringLiteral("a %1x%2 animation is more than WebP takes: at most %3 wide, %4 high")
                            .arg(options.size.width())
                            .arg(options.size.height())
                            .arg(largest.width())
                            .arg(largest.height());
    } else if (windowGiven && !IsDrawWindow(options.window) &&
               !(PixelAspect(options.window, options.size) <= MaxPixelAspect)) {
        const double aspect = PixelAspect(options.window, options.size);
        options.error = QStringLiteral("bad window '%1': at %2x%3 its pixels are %4 times as long as wide, at most %5 "
                                       "(the work grows with it); give the window the image's shape")
                            .arg(PrintableName(windowText))
                            .arg(options.size.width())
                            .arg(options.size.height())
                            .arg(AspectText(aspect))
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
