#include "RenderOptions.h"

#include "encoding/WebPAnimation.h"
#include "output/FileNames.h"
#include "video/DiveMovie.h"
#include "views/DivePath.h"
#include "views/OptionText.h"
#include "views/OptionWords.h"
#include "views/ViewList.h"
#include "views/ViewRender.h"
#include "views/ViewText.h"

#include <QFile>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <optional>

namespace levyc {

namespace {

// "X1,Y1,X2,Y2": four numbers making a window IsDrawableWindow accepts.
std::optional<WorldWindow> DrawableWindow(const QByteArray &text)
{
    const std::optional<WorldWindow> window = OptionText::Window(QString::fromLatin1(text));
    return window && IsDrawableWindow(*window) ? window : std::nullopt;
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
    const DivePath path = DivePathOf(options);
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
    const WorldWindow widest = DivePathOf(options).Widest();
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

// The dive's format, from --format or the output's name, which must agree.
QString DiveFormatError(RenderOptions &options)
{
    const QString named = FormatNamed(options.output);
    if (!options.format && named != u"PNG") {
        options.format = DiveFormatNamed(named);
    }
    if (!options.format && named.isEmpty()) {
        return QStringLiteral("cannot tell the dive's format from '%1': name a .mp4, .webm or .webp file, or give "
                              "--format")
            .arg(PrintableName(options.output));
    }
    if (!options.format) {
        return QStringLiteral("a dive is MP4, WebM or WebP, not %1: '%2'").arg(named, PrintableName(options.output));
    }
    const QString format = DiveFormatName(*options.format);
    if (!named.isEmpty() && named != format) {
        return QStringLiteral("--format %1 writes %2, not %3: '%4'")
            .arg(format.toLower(), format, named, PrintableName(options.output));
    }
    return {};
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
    if (QString error = DiveFormatError(options); !error.isEmpty()) {
        return error;
    }
    const QString format = DiveFormatName(*options.format);
    if (options.format == DiveFormat::WebP && options.output == "-") {
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
    if (options.format != DiveFormat::WebP && (options.size.width() % 2 != 0 || options.size.height() % 2 != 0)) {
        return QStringLiteral("%1 %2 dive needs an even width and height, not %3x%4")
            .arg(format == u"MP4" ? QStringLiteral("an") : QStringLiteral("a"), format)
            .arg(options.size.width())
            .arg(options.size.height());
    }
    if (QSize largest; !DiveSizeFits(*options.format, options.size, &largest)) {
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
    const std::optional<WorldPoint> point = OptionText::Centre(QString::fromLatin1(*centre));
    if (!point) {
        return QStringLiteral("bad centre '%1': expected X,Y").arg(PrintableName(*centre));
    }
    const std::optional<double> scale = OptionText::Zoom(QString::fromLatin1(*zoom));
    if (!scale) {
        return QStringLiteral("bad zoom '%1': expected a number other than 0").arg(PrintableName(*zoom));
    }
    const QSize size = options.dive && !sizeGiven ? RenderOptions::DefaultDiveSize : options.size;
    options.window = CentredView(*point, *scale, size);
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

Dive DiveOfOptions(const RenderOptions &options)
{
    Dive dive{options.from,    options.window, options.size,
              options.seconds, options.fps,    options.format.value_or(DiveFormat::Mp4),
              options.through};
    if (options.quality >= 0) {
        dive.quality = options.quality;
    }
    dive.holds = options.holds;
    return dive;
}

DivePath DivePathOf(const RenderOptions &options)
{
    return PathOf(DiveOfOptions(options));
}

QString RenderUsage(QSize defaultSize)
{
    return QStringLiteral(
               "Usage: levyc-render [--size WxH] [--window X1,Y1,X2,Y2] [--time] [--quiet] OUTPUT.png\n"
               "       levyc-render [--size WxH] --centre X,Y --zoom Z [--time] [--quiet] OUTPUT.png\n"
               "       levyc-render [--size WxH] [--window X1,Y1,X2,Y2] [--frame-ms N] [--time] [--quiet]\n"
               "                    --animate OUTPUT.webp\n"
               "       levyc-render [--size WxH] [--from X1,Y1,X2,Y2] [--through X1,Y1,X2,Y2 [--hold S]]...\n"
               "                    --window X1,Y1,X2,Y2 [--seconds S] [--fps N] [--format mp4|webm|webp] [--quality "
               "Q]\n"
               "                    [--time] [--quiet] --dive OUTPUT.mp4|.webm|.webp\n"
               "       levyc-render [--size WxH] --path LIST [--seconds S] [--fps N] [--format mp4|webm|webp]\n"
               "                    [--quality Q] [--time] [--quiet] --dive OUTPUT.mp4|.webm|.webp\n"
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
               "                   more around the same centre at the same scale: the zoom the window's\n"
               "                   overlay shows, at any size of its picture; below 0 the view is turned\n"
               "                   half way round, as --window with both pairs of corners reversed\n"
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
               "                   but for its holds\n"
               "  --hold S         after a --through: the dive eases into that view, stays on it S seconds\n"
               "                   (0 to %14) and eases out; the hold adds to the film's length\n"
               "  --path LIST      a dive's views from the file LIST, one a line, as Copy View gives them:\n"
               "                   --window X1,Y1,X2,Y2 or --centre X,Y --zoom Z, then optionally\n"
               "                   --hold S and --name TEXT (the rest of the line, UTF-8); blank lines\n"
               "                   and lines starting with # are skipped. The first\n"
               "                   line is where the dive starts, the last where it ends. A line's --size is\n"
               "                   ignored: each view takes the film's size, with the Draw's pixels, around\n"
               "                   its own centre. Not with --from, --through, --window or --centre\n"
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
               "1 failed, 2 for arguments refused before any work, such as an option given twice (--through\n"
               "and --hold aside).\n")
        .arg(OptionText::MaxSide)
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

namespace {

// What is read so far: the options, and which were given.
struct Reading
{
    RenderOptions options;
    bool sizeGiven = false;
    bool frameMsGiven = false;
    bool windowGiven = false;
    bool fromGiven = false;
    bool diveOptionGiven = false; // --from, --through, --hold, --path, --seconds, --fps, --format or --quality
    QByteArray windowText;
    QByteArray lastOption;
    std::optional<QByteArray> pathFile;
    std::vector<double> throughHolds; // each --through's --hold, 0 for none
    std::optional<QByteArray> centreText;
    std::optional<QByteArray> zoomText;
};

// One option: its name, whether it takes a value, what a missing value
// should look like (empty: the value is read as empty), and what it does:
// the reason it is refused, or nothing.
struct Option
{
    const char *name;
    bool takesValue;
    const char *example;
    QString (*read)(Reading &reading, const QByteArray &value);
};

QString SetOutput(Reading &reading, const QByteArray &name)
{
    if (name.isEmpty()) {
        return QStringLiteral("an empty output file name");
    }
    if (!reading.options.output.isEmpty()) {
        return QStringLiteral("more than one output file: '%1'").arg(PrintableName(name));
    }
    reading.options.output = name;
    return {};
}

QString ReadSeconds(Reading &reading, const QByteArray &value)
{
    bool number = false;
    reading.options.seconds = value.toDouble(&number);
    if (number && reading.options.seconds >= MinDiveSeconds &&
        reading.options.seconds <= RenderOptions::MaxDiveSeconds) {
        return {};
    }
    return QStringLiteral("bad length '%1': expected seconds from %2 to %3")
        .arg(PrintableName(value))
        .arg(MinDiveSeconds)
        .arg(RenderOptions::MaxDiveSeconds);
}

QString ReadFps(Reading &reading, const QByteArray &value)
{
    bool number = false;
    reading.options.fps = value.toInt(&number);
    if (number && reading.options.fps >= 1 && reading.options.fps <= RenderOptions::MaxDiveFps) {
        return {};
    }
    return QStringLiteral("bad frame rate '%1': expected frames a second from 1 to %2")
        .arg(PrintableName(value))
        .arg(RenderOptions::MaxDiveFps);
}

QString ReadFormat(Reading &reading, const QByteArray &value)
{
    const QByteArray format = value.toLower();
    const std::optional<DiveFormat> known = DiveFormatNamed(QString::fromLatin1(format));
    if (!known) {
        return QStringLiteral("bad format '%1': expected mp4, webm or webp").arg(PrintableName(value));
    }
    reading.options.format = *known;
    return {};
}

QString ReadQuality(Reading &reading, const QByteArray &value)
{
    bool number = false;
    reading.options.quality = value.toInt(&number);
    if (number && reading.options.quality >= 0 && reading.options.quality <= VideoSettings::MaxQuality) {
        return {};
    }
    return QStringLiteral("bad quality '%1': expected 0 to %2")
        .arg(PrintableName(value))
        .arg(VideoSettings::MaxQuality);
}

QString ReadFrameMs(Reading &reading, const QByteArray &value)
{
    bool number = false;
    reading.options.frameMs = value.toInt(&number);
    reading.frameMsGiven = true;
    if (number && reading.options.frameMs >= 1 && reading.options.frameMs <= RenderOptions::MaxFrameMs) {
        return {};
    }
    return QStringLiteral("bad frame time '%1': expected milliseconds from 1 to %2")
        .arg(PrintableName(value))
        .arg(RenderOptions::MaxFrameMs);
}

QString ReadWindow(Reading &reading, const QByteArray &value)
{
    reading.windowGiven = true;
    reading.windowText = value;
    const std::optional<WorldWindow> window = DrawableWindow(value);
    if (!window) {
        return QStringLiteral("bad window '%1': expected X1,Y1,X2,Y2, each side from %2 to %3 world units")
            .arg(PrintableName(value))
            .arg(MinViewSpan)
            .arg(MaxViewSpan);
    }
    reading.options.window = *window;
    return {};
}

QString ReadSize(Reading &reading, const QByteArray &value)
{
    reading.sizeGiven = true;
    const std::optional<QSize> size = OptionText::Size(QString::fromUtf8(value));
    if (!size) {
        return QStringLiteral("bad size '%1': expected WxH, each side from 1 to %2")
            .arg(PrintableName(value))
            .arg(OptionText::MaxSide);
    }
    reading.options.size = *size;
    return {};
}

// A dive's view: --from, or one more --through.
QString ReadDiveView(WorldWindow &view, const QByteArray &value)
{
    const std::optional<WorldWindow> window = DrawableWindow(value);
    if (!window) {
        return BadWindow(value);
    }
    view = *window;
    return {};
}

// A --hold after a --through: the seconds the dive stays on that view.
QString ReadHold(Reading &reading, const QByteArray &value)
{
    if (reading.lastOption != "--through") {
        return QStringLiteral("--hold goes after a --through, once: the view it holds on");
    }
    bool number = false;
    const double seconds = value.toDouble(&number);
    if (!number || !(seconds >= 0 && seconds <= RenderOptions::MaxDiveSeconds)) {
        return QStringLiteral("bad hold '%1': expected seconds from 0 to %2")
            .arg(PrintableName(value))
            .arg(RenderOptions::MaxDiveSeconds);
    }
    reading.throughHolds.resize(reading.options.through.size());
    reading.throughHolds.back() = seconds;
    return {};
}

// --through and --hold alone may be given more than once; --animate and --dive take
// their file apart from this table.
constexpr Option Options[] = {
    {"--help", false, "", [](Reading &r, const QByteArray &) { return r.options.help = true, QString(); }},
    {"-h", false, "", [](Reading &r, const QByteArray &) { return r.options.help = true, QString(); }},
    {"--version", false, "", [](Reading &r, const QByteArray &) { return r.options.version = true, QString(); }},
    {"--time", false, "", [](Reading &r, const QByteArray &) { return r.options.time = true, QString(); }},
    {"--quiet", false, "", [](Reading &r, const QByteArray &) { return r.options.quiet = true, QString(); }},
    {"--icon", false, "", [](Reading &r, const QByteArray &) { return r.options.icon = true, QString(); }},
    {"--from", true, "",
     [](Reading &r, const QByteArray &value) {
         r.fromGiven = true;
         return ReadDiveView(r.options.from, value);
     }},
    {"--through", true, "",
     [](Reading &r, const QByteArray &value) {
         QString error = ReadDiveView(r.options.through.emplace_back(), value);
         return error;
     }},
    {"--hold", true, "", ReadHold},
    {"--path", true, "", [](Reading &r, const QByteArray &value) { return r.pathFile = value, QString(); }},
    {"--seconds", true, "", ReadSeconds},
    {"--fps", true, "", ReadFps},
    {"--format", true, "", ReadFormat},
    {"--quality", true, "", ReadQuality},
    {"--frame-ms", true, "30", ReadFrameMs},
    {"--window", true, "-300,410,510,-500", ReadWindow},
    {"--centre", true, "105,-45", [](Reading &r, const QByteArray &value) { return r.centreText = value, QString(); }},
    {"--zoom", true, "1", [](Reading &r, const QByteArray &value) { return r.zoomText = value, QString(); }},
    {"--size", true, "1920x1080", ReadSize},
};

bool IsDiveOption(const QByteArray &name)
{
    return QList<QByteArray>{"--from", "--through", "--hold", "--path", "--seconds", "--fps", "--format", "--quality"}
        .contains(name);
}

// --animate or --dive, with the file when it follows. A name that begins with
// '-' is an option, not the file: the file then comes as OUTPUT, after "--"
// if it begins with '-' too.
QString ReadMovie(Reading &reading, OptionWords &words)
{
    const bool animate = words.Name() == "--animate";
    RenderOptions &options = reading.options;
    if (animate ? options.dive : options.animate) {
        return QStringLiteral("--dive does not go with --animate");
    }
    (animate ? options.animate : options.dive) = true;
    const QByteArray following = words.Following();
    const bool named =
        words.Word() != words.Name() || (!following.isNull() && (!following.startsWith('-') || following == "-"));
    if (!named) {
        words.Take();
        return {};
    }
    return SetOutput(reading, words.TakeValue().value_or(QByteArray()));
}

// Every option read, each once (--through aside), and the output; the first
// mistake stops the reading.
QString ReadArguments(Reading &reading, const QList<QByteArray> &arguments)
{
    QList<QByteArray> seen;
    bool optionsEnded = false;
    for (OptionWords words(arguments); !words.AtEnd();) {
        const QByteArray &word = words.Word();
        const QByteArray name = words.Name();
        if (optionsEnded || !word.startsWith('-') || word == "-") {
            if (QString error = SetOutput(reading, words.Take()); !error.isEmpty()) {
                return error;
            }
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
            words.Take();
            continue;
        }
        const auto *const option = std::find_if(std::begin(Options), std::end(Options), [&](const Option &one) {
            return one.takesValue ? name == one.name : word == one.name;
        });
        const bool movie = name == "--animate" || name == "--dive";
        if (option == std::end(Options) && !movie) {
            return QStringLiteral("unknown option '%1'").arg(PrintableName(word));
        }
        if (name != "--through" && name != "--hold" && seen.contains(name)) {
            return QStringLiteral("%1 given twice").arg(QString::fromLatin1(name));
        }
        seen << name;
        reading.diveOptionGiven = reading.diveOptionGiven || IsDiveOption(name);
        QString error;
        if (movie) {
            error = ReadMovie(reading, words);
        } else if (!option->takesValue) {
            error = option->read(reading, words.Take());
        } else if (const std::optional<QByteArray> value = words.TakeValue(); value || !*option->example) {
            error = option->read(reading, value.value_or(QByteArray()));
        } else {
            error = QStringLiteral("%1 needs a value such as %2")
                        .arg(QLatin1String(option->name), QLatin1String(option->example));
        }
        if (!error.isEmpty()) {
            return error;
        }
        reading.lastOption = name;
    }
    return {};
}

// The views --path gives, read from its file at the film's size, each in the
// film's shape around its own centre; or the holds --hold gives.
QString DiveViews(Reading &reading)
{
    RenderOptions &options = reading.options;
    if (!reading.pathFile) {
        if (std::any_of(reading.throughHolds.begin(), reading.throughHolds.end(), [](double s) { return s > 0; })) {
            options.holds = {0};
            options.holds.insert(options.holds.end(), reading.throughHolds.begin(), reading.throughHolds.end());
            options.holds.resize(options.through.size() + 2);
        }
        return {};
    }
    if (reading.fromGiven || !options.through.empty() || reading.windowGiven) {
        return QStringLiteral("--path gives the dive's views: it does not go with --from, --through, --window or "
                              "--centre");
    }
    const QString name = PrintableName(*reading.pathFile);
    QFile file(QFile::decodeName(*reading.pathFile));
    if (!file.open(QIODevice::ReadOnly)) {
        return QStringLiteral("cannot read --path '%1': %2").arg(name, file.errorString());
    }
    const QSize size = reading.sizeGiven ? options.size : RenderOptions::DefaultDiveSize;
    const ParsedViewList list = ParseViewList(QString::fromUtf8(file.readAll()), size, false);
    if (!list.error.isEmpty()) {
        return QStringLiteral("--path '%1', %2").arg(name, list.error);
    }
    if (list.views.size() < 2) {
        return QStringLiteral("--path '%1' needs two views or more, where the dive starts and where it ends").arg(name);
    }
    const WorldWindow shape = DivePath::StartAt(size);
    std::vector<WorldWindow> views;
    for (std::size_t i = 0; i < list.views.size(); ++i) {
        views.push_back(DivePath::WithShapeOf(list.views[i].window, shape));
        if (!IsDrawableWindow(views.back())) {
            return QStringLiteral("--path '%1', line %2: in the film's shape the view is %3 by %4 world units, each "
                                  "side must be from %5 to %6")
                .arg(name)
                .arg(list.lines[i])
                .arg(std::abs(views.back().Width()), 0, 'g', 3)
                .arg(std::abs(views.back().Height()), 0, 'g', 3)
                .arg(MinViewSpan)
                .arg(MaxViewSpan);
        }
        options.holds.push_back(list.views[i].hold);
    }
    options.from = views.front();
    options.window = views.back();
    options.through.assign(views.begin() + 1, views.end() - 1);
    reading.fromGiven = true;
    reading.windowGiven = true;
    return {};
}

// A picture's, an icon's or an animation's checks once every option is read.
void CheckStill(Reading &reading)
{
    RenderOptions &options = reading.options;
    const bool sizeGiven = reading.sizeGiven;
    const bool windowGiven = reading.windowGiven;
    const bool frameMsGiven = reading.frameMsGiven;
    const QByteArray &windowText = reading.windowText;
    const QString named = FormatNamed(options.output);
    if (reading.diveOptionGiven) {
        options.error = QStringLiteral(
            "--from, --through, --hold, --path, --seconds, --fps, --format and --quality go with --dive");
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
}

} // namespace

RenderOptions ParseRenderOptions(const QList<QByteArray> &arguments, QSize defaultSize)
{
    Reading reading;
    reading.options.size = defaultSize;
    RenderOptions &options = reading.options;
    options.error = ReadArguments(reading, arguments);
    // Help and the version take no output; a mistake before them is still one.
    if (!options.error.isEmpty() || options.help || options.version) {
        return options;
    }
    if (reading.centreText || reading.zoomText) {
        options.error =
            CentredWindow(options, reading.centreText, reading.zoomText, reading.windowGiven, reading.sizeGiven);
        if (!options.error.isEmpty()) {
            return options;
        }
        reading.windowGiven = true;
    }
    if (options.output.isEmpty()) {
        options.error = options.animate ? QStringLiteral("--animate needs an output file such as draw.webp")
                        : options.dive  ? QStringLiteral("--dive needs an output file such as dive.mp4")
                                        : QStringLiteral("no output file given");
    } else if (options.dive) {
        options.error = DiveViews(reading);
        if (!options.error.isEmpty()) {
            return options;
        }
        options.error =
            DiveError(options, reading.sizeGiven, reading.windowGiven, reading.frameMsGiven, reading.fromGiven);
    } else {
        CheckStill(reading);
    }
    return options;
}

} // namespace levyc
