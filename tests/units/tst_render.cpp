#include "drawing/PictureSize.h"
#include "encoding/PngEncoder.h"
#include "render/RenderOptions.h"
#include "render/RenderPicture.h"
#include "widgets/Form1.h"
#include "widgets/PictureBox.h"

#include "RenderRun.h"

#include <QImageReader>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

#include <sys/stat.h>
#include <unistd.h>

using namespace levyc;

namespace {

QImage Reference(QSize size)
{
    return QImage(QStringLiteral(LEVYC_TEST_DATA "/picture-%1x%2.png").arg(size.width()).arg(size.height()))
        .convertToFormat(QImage::Format_RGB32);
}

// Where the picture's curves must lie, from their definition and the world
// window alone, apart from the drawing code: pass i draws a curve 100 + i
// long to the right from a point on a half-ellipse, and a curve along (L, 0)
// stays within x from -L/2 to 3L/2 and y from -L to L/4 of its start.
struct ExpectedCurve
{
    double x = 0;
    double y = 0;
    double length = 0;

    static ExpectedCurve Pass(int i)
    {
        return {100 - std::sqrt(2500.0 - (i - 50.0) * (i - 50.0)), 100.0 - 3 * i, 100.0 + i};
    }
    static ExpectedCurve White() { return {100, -200, 200}; }

    // In pixel coordinates, through the picture's world window.
    [[nodiscard]] QRectF Reach(QSize size) const
    {
        return {ToPixel(size, x - length / 2, y + length / 4), ToPixel(size, x + 3 * length / 2, y - length)};
    }
    static QPointF ToPixel(QSize size, double x, double y)
    {
        const WorldWindow &w = PictureWorld;
        return {(x - w.Left) * size.width() / (w.Right - w.Left), (y - w.Top) * size.height() / (w.Bottom - w.Top)};
    }
};

constexpr QRgb Black = qRgb(0, 0, 0);
constexpr QRgb White = qRgb(255, 255, 255);

QRect PixelsOf(const QImage &image, QRgb colour)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == colour) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

// The pixel holding a world point; a point within rounding of a pixel edge may
// land on either side, so both are looked at.
bool AnyPixelAt(const QImage &image, double x, double y, const std::function<bool(QRgb)> &wanted)
{
    const QPointF p = ExpectedCurve::ToPixel(image.size(), x, y);
    constexpr double Slack = 1e-3;
    for (const double px : {std::floor(p.x() - Slack), std::floor(p.x() + Slack)}) {
        for (const double py : {std::floor(p.y() - Slack), std::floor(p.y() + Slack)}) {
            if (image.valid(static_cast<int>(px), static_cast<int>(py)) &&
                wanted(image.pixel(static_cast<int>(px), static_cast<int>(py)))) {
                return true;
            }
        }
    }
    return false;
}

// Compares pixel for pixel; on a mismatch writes the difference (differing
// pixels red over a dimmed reference) into the working directory and names
// the first differing pixel.
QString Difference(const QImage &expected, const QImage &actual, const QString &name)
{
    if (expected.size() != actual.size()) {
        return QStringLiteral("size %1x%2, expected %3x%4")
            .arg(actual.width())
            .arg(actual.height())
            .arg(expected.width())
            .arg(expected.height());
    }
    QImage difference(expected.size(), QImage::Format_RGB32);
    QPoint first(-1, -1);
    qint64 count = 0;
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            const QRgb want = expected.pixel(x, y);
            const bool same = want == actual.pixel(x, y);
            const int grey = qGray(want) / 4;
            difference.setPixel(x, y, same ? qRgb(grey, grey, grey) : qRgb(255, 0, 0));
            if (!same && count++ == 0) {
                first = {x, y};
            }
        }
    }
    if (count == 0) {
        return {};
    }
    const QString path = QDir::current().filePath(name + QStringLiteral("-difference.png"));
    difference.save(path);
    return QStringLiteral("%1 pixels differ, the first at (%2, %3): expected #%4, got #%5; difference in %6")
        .arg(count)
        .arg(first.x())
        .arg(first.y())
        .arg(expected.pixel(first) & 0xffffff, 6, 16, QChar(u'0'))
        .arg(actual.pixel(first) & 0xffffff, 6, 16, QChar(u'0'))
        .arg(path);
}

} // namespace

class TestRender : public QObject
{
    Q_OBJECT

private slots:
    void options_data();
    void options();
    void palettePngRoundTrips_data();
    void palettePngRoundTrips();
    void referencesHoldTheCurvesGeometry_data();
    void referencesHoldTheCurvesGeometry();
    void matchesTheReference_data();
    void matchesTheReference();
    void defaultSizeIsThePictureTheWindowShows();
    void sizeAndTime_data();
    void sizeAndTime();
    void theDrawsWindowIsTheDefault();
    void centreAndZoom_data();
    void centreAndZoom();
    void help();
};

void TestRender::options_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("time");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("frameMs");
    QTest::addColumn<bool>("quiet");

    const QSize normal = PictureSize;
    const int normalMs = RenderOptions::DefaultFrameMs;
    QTest::newRow("output only") << QStringList{"a.png"} << normal << false << "a.png"
                                 << "" << normalMs << false;
    QTest::newRow("size and time") << QStringList{"--size", "3840x2160", "--time", "b.png"} << QSize(3840, 2160) << true
                                   << "b.png"
                                   << "" << normalMs << false;
    QTest::newRow("size with =") << QStringList{"--size=1x16384", "c.png"} << QSize(1, 16384) << false << "c.png"
                                 << "" << normalMs << false;
    QTest::newRow("dash file after --") << QStringList{"--", "-x.png"} << normal << false << "-x.png"
                                        << "" << normalMs << false;
    QTest::newRow("no output") << QStringList{"--time"} << normal << true << ""
                               << "no output file" << normalMs << false;
    QTest::newRow("empty name") << QStringList{"", "o.png"} << normal << false << ""
                                << "an empty output file name" << normalMs << false;
    QTest::newRow("icon, default size") << QStringList{"--icon", "i.png"} << QSize(256, 256) << false << "i.png"
                                        << "" << normalMs << false;
    QTest::newRow("icon, not square") << QStringList{"--icon", "--size", "64x32", "i.png"} << QSize() << false << ""
                                      << "--icon needs a square size" << normalMs << false;
    QTest::newRow("two outputs") << QStringList{"a.png", "b.png"} << normal << false << "a.png"
                                 << "more than one output" << normalMs << false;
    QTest::newRow("unknown option") << QStringList{"--colour", "a.png"} << normal << false << ""
                                    << "unknown option" << normalMs << false;
    QTest::newRow("size missing its value") << QStringList{"--size"} << normal << false << ""
                                            << "--size needs" << normalMs << false;
    for (const char *bad :
         {"0x10", "10x0", "16385x1", "1x16385", "12x", "x12", "axb", "-5x5", "5x5x5", "99999999999x1", "5 5"}) {
        QTest::addRow("bad size '%s'", bad)
            << QStringList{"--size", QString::fromLatin1(bad), "a.png"} << QSize() << false << ""
            << "bad size" << normalMs << false;
    }
    // As the dive dialog and Go to View read a size.
    QTest::newRow("size as W × H, with spaces")
        << QStringList{"--size", " 640 × 360 ", "s.png"} << QSize(640, 360) << false << "s.png"
        << "" << normalMs << false;
    QTest::newRow("an option given twice")
        << QStringList{"--size", "8x8", "--size=9x9", "a.png"} << normal << false << ""
        << "--size given twice" << normalMs << false;
    QTest::newRow("animate") << QStringList{"--animate", "a.webp"} << normal << false << "a.webp"
                             << "" << normalMs << false;
    QTest::newRow("animate= and frame-ms=") << QStringList{"--frame-ms=20", "--animate=-"} << normal << false << "-"
                                            << "" << 20 << false;
    QTest::newRow("quiet") << QStringList{"--quiet", "p.png"} << normal << false << "p.png"
                           << "" << normalMs << true;
    QTest::newRow("animation and a picture") << QStringList{"--animate", "a.webp", "p.png"} << normal << false << ""
                                             << "more than one output file: 'p.png'" << normalMs << false;
    QTest::newRow("animate without a file") << QStringList{"--animate"} << normal << false << ""
                                            << "--animate needs an output file" << normalMs << false;
    // A name that begins with '-' is an option; the file comes as OUTPUT.
    for (const char *option : {"--quiet", "--"}) {
        QTest::addRow("animate, then %s", option) << QStringList{"--animate", option} << normal << false << ""
                                                  << "--animate needs an output file" << normalMs << false;
    }
    QTest::newRow("animate, then a dash name") << QStringList{"--animate", "-x.webp"} << normal << false << ""
                                               << "unknown option '-x.webp'" << normalMs << false;
    QTest::newRow("animate, an option, the file")
        << QStringList{"--animate", "--time", "x.webp"} << normal << true << "x.webp"
        << "" << normalMs << false;
    QTest::newRow("animate, a dash file after --")
        << QStringList{"--animate", "--", "-x.webp"} << normal << false << "-x.webp"
        << "" << normalMs << false;
    QTest::newRow("animation named .png") << QStringList{"--animate", "x.PNG"} << normal << false << ""
                                          << "--animate writes WebP, not PNG: 'x.PNG'" << normalMs << false;
    QTest::newRow("picture named .webp") << QStringList{"x.webp"} << normal << false << ""
                                         << "'x.webp' would hold PNG, not WebP" << normalMs << false;
    QTest::newRow("frame-ms missing its value")
        << QStringList{"--animate", "a.webp", "--frame-ms"} << normal << false << ""
        << "--frame-ms needs a value" << normalMs << false;
    // Typed as decimals, the narrowest side comes out a hair short of 1e-10.
    QTest::newRow("the narrowest window, typed")
        << QStringList{"--size", "8x8", "--window", "300,-400,300.0000000001,-400.0000000001", "n.png"} << QSize(8, 8)
        << false << "n.png"
        << "" << normalMs << false;
    // Pixels up to 16 times as tall as wide, not more.
    QTest::newRow("pixels 16 times as tall")
        << QStringList{"--size", "64x64", "--window", "0,0,1,-16", "v.png"} << QSize(64, 64) << false << "v.png"
        << "" << normalMs << false;
    QTest::newRow("pixels a hair over 16 times as tall")
        << QStringList{"--window", "0,0,1,-16.0015", "--size", "64x64", "v.png"} << normal << false << ""
        << "its pixels are 16.002 times as long as wide" << normalMs << false;
    QTest::newRow("pixels 17 times as tall")
        << QStringList{"--window", "0,0,1,-17", "--size", "64x64", "v.png"} << normal << false << ""
        << "bad window '0,0,1,-17': at 64x64 its pixels are 17.0 times as long "
           "as wide, at most 16"
        << normalMs << false;
    QTest::newRow("animated icon") << QStringList{"--icon", "--animate", "a.webp"} << normal << false << ""
                                   << "--animate and --icon do not go together" << normalMs << false;
    QTest::newRow("frame-ms alone") << QStringList{"--frame-ms", "20", "p.png"} << normal << false << ""
                                    << "--frame-ms goes with --animate" << normalMs << false;
    const QString deep = QStringLiteral("299.9999996,-399.9999995,300.0000004,-400.0000005");
    QTest::newRow("dive to a centre, its default size")
        << QStringList{"--centre", "300,-400", "--zoom", "1e6", "--dive", "d.mp4"} << RenderOptions::DefaultDiveSize
        << false << "d.mp4"
        << "" << normalMs << false;
    // 6.7e6 world units wide at the picture's size, 1.5e7 at the dive's.
    QTest::newRow("dive to a centre, too wide at its default size")
        << QStringList{"--centre", "0,0", "--zoom", "1.2e-4", "--dive", "d.mp4"} << QSize() << false << ""
        << "bad zoom '1.2e-4': at 1280x720 the view is" << normalMs << false;
    QTest::newRow("dive, its default size")
        << QStringList{"--window", deep, "--dive", "d.mp4"} << RenderOptions::DefaultDiveSize << false << "d.mp4"
        << "" << normalMs << false;
    QTest::newRow("dive to standard output, a format given")
        << QStringList{"--size=64x36", "--format=webm", "--window", deep, "--dive=-"} << QSize(64, 36) << false << "-"
        << "" << normalMs << false;
    QTest::newRow("WebP dive at an odd size")
        << QStringList{"--size", "63x35", "--window", deep, "--dive", "d.WEBP"} << QSize(63, 35) << false << "d.WEBP"
        << "" << normalMs << false;
    QTest::newRow("MP4 dive at an odd size")
        << QStringList{"--size", "63x36", "--window", deep, "--dive", "d.mp4"} << QSize() << false << ""
        << "an MP4 dive needs an even width and height" << normalMs << false;
    QTest::newRow("dive of another name") << QStringList{"--window", deep, "--dive", "d.avi"} << QSize() << false << ""
                                          << "cannot tell the dive's format from 'd.avi'" << normalMs << false;
    QTest::newRow("dive to standard output, no format")
        << QStringList{"--window", deep, "--dive", "-"} << QSize() << false << ""
        << "cannot tell the dive's format" << normalMs << false;
    QTest::newRow("dive without its end") << QStringList{"--dive", "d.mp4"} << QSize() << false << ""
                                          << "--dive needs --window" << normalMs << false;
    for (const auto &[option, value] : {std::pair{"--animate", "a.webp"}, {"--frame-ms", "20"}, {"--icon", ""}}) {
        QStringList arguments{"--window", deep, "--dive", "d.mp4", QString::fromLatin1(option)};
        arguments << (*value != 0 ? QStringList{QString::fromLatin1(value)} : QStringList{});
        QTest::addRow("dive and %s", option)
            << arguments << QSize() << false << ""
            << "--dive does not go with " + QString::fromLatin1(option) << normalMs << false;
    }
    // --dive takes its file as --animate does.
    QTest::newRow("dive, then an option")
        << QStringList{"--format", "mp4", "--window", deep, "--dive", "--quiet"} << QSize() << false << ""
        << "--dive needs an output file" << normalMs << false;
    QTest::newRow("dive, an option, the file") << QStringList{"--window", deep, "--dive", "--time", "d.mp4"}
                                               << RenderOptions::DefaultDiveSize << true << "d.mp4"
                                               << "" << normalMs << false;
    QTest::newRow("dive, a dash file after --") << QStringList{"--window", deep, "--dive", "--", "-d.mp4"}
                                                << RenderOptions::DefaultDiveSize << false << "-d.mp4"
                                                << "" << normalMs << false;
    // A known ending that is not the output's format.
    QTest::newRow("WebM dive named .mp4")
        << QStringList{"--format", "webm", "--window", deep, "--dive", "d.mp4"} << QSize() << false << ""
        << "--format webm writes WebM, not MP4: 'd.mp4'" << normalMs << false;
    QTest::newRow("dive named .png") << QStringList{"--window", deep, "--dive", "d.png"} << QSize() << false << ""
                                     << "a dive is MP4, WebM or WebP, not PNG" << normalMs << false;
    QTest::newRow("animation named .mp4") << QStringList{"--animate", "a.mp4"} << QSize() << false << ""
                                          << "--animate writes WebP, not MP4" << normalMs << false;
    QTest::newRow("picture named .webm") << QStringList{"p.webm"} << QSize() << false << ""
                                         << "'p.webm' would hold PNG, not WebM" << normalMs << false;
    QTest::newRow("WebP dive to standard output")
        << QStringList{"--format", "webp", "--window", deep, "--dive", "-"} << QSize() << false << ""
        << "made whole" << normalMs << false;
    // Every frame's window drawable at the size, checked before any work.
    QTest::newRow("dive out past the widest view")
        << QStringList{"--window", "-5e6,5e6,5e6,-5e6", "--dive", "d.mp4"} << QSize() << false << ""
        << "the dive's last view (--window in --from's shape, -5702778.896496175,5e+06,5702778.896496175,-5e+06) "
           "cannot be drawn"
        << normalMs << false;
    QTest::newRow("dive from a flat view")
        << QStringList{"--from", "0,0,100,-1", "--window", "40,-0.2,60,-0.6", "--dive", "d.mp4"} << QSize() << false
        << ""
        << "the dive's first view (--from 0,0,100,-1): at 1280x720 its pixels are 56.3 times" << normalMs << false;
    for (const char *size : {"1280x80", "2x16384"}) {
        QTest::addRow("dive from the Draw at %s", size)
            << QStringList{"--size",   QString::fromLatin1(size),
                           "--from",   "-300,410,510,-500",
                           "--window", deep,
                           "--dive",   "d.mp4"}
            << QSize() << false << ""
            << "the dive's first view (--from -300,410,510,-500): at " + QString::fromLatin1(size) << normalMs << false;
    }
    // Each half of the path is reckoned from its own end, so every frame keeps its width.
    QTest::newRow("dive to 1e-9 wide at x = 5e6")
        << QStringList{"--window", "5000000,5e-10,5000000.000000001,-5e-10", "--dive", "d.mp4"} << QSize(1280, 720)
        << false << "d.mp4"
        << "" << normalMs << false;
    // The encoders' largest frames: FFmpeg's picture limit, libwebp's side.
    QTest::newRow("MP4 dive too large") << QStringList{"--size", "16384x16384", "--window", deep, "--dive", "d.mp4"}
                                        << QSize() << false << ""
                                        << "at most 16128 wide at that height, 16128 high at that width" << normalMs
                                        << false;
    QTest::newRow("WebM dive at its largest")
        << QStringList{"--size", "16384x16128", "--window", deep, "--dive", "d.webm"} << QSize(16384, 16128) << false
        << "d.webm"
        << "" << normalMs << false;
    QTest::newRow("WebP dive too wide") << QStringList{"--size", "16384x2048", "--window", deep, "--dive", "d.webp"}
                                        << QSize() << false << ""
                                        << "at most 16383 wide" << normalMs << false;
    QTest::newRow("animation too wide") << QStringList{"--size", "16384x64", "--animate", "a.webp"} << QSize() << false
                                        << ""
                                        << "at most 16383 wide" << normalMs << false;
    // The lengths and rates at their bounds, in pairs that make two frames or more.
    for (const auto &[seconds, fps] : {std::pair{"0.1", "20"}, {"3600", "1"}, {"1", "120"}}) {
        QTest::addRow("dive of %s s at %s fps", seconds, fps)
            << QStringList{"--size", "64x36", "--seconds", seconds, "--fps", fps, "--window", deep, "--dive", "d.webm"}
            << QSize(64, 36) << false << "d.webm"
            << "" << normalMs << false;
    }
    QTest::newRow("dive of one frame") << QStringList{"--seconds", "0.1", "--fps",  "1",
                                                      "--window",  deep,  "--dive", "d.mp4"}
                                       << QSize() << false << ""
                                       << "--seconds 0.1 at --fps 1 makes fewer than 2 frames" << normalMs << false;
    QTest::newRow("dive options alone") << QStringList{"--fps", "24", "p.png"} << QSize() << false << ""
                                        << "go with --dive" << normalMs << false;
    QTest::newRow("quality alone") << QStringList{"--quality", "50", "p.png"} << QSize() << false << ""
                                   << "go with --dive" << normalMs << false;
    for (const char *quality : {"0", "100"}) {
        QTest::addRow("dive at quality %s", quality)
            << QStringList{"--size=64x36", "--quality", QString::fromLatin1(quality), "--window", deep,
                           "--dive",       "d.mp4"}
            << QSize(64, 36) << false << "d.mp4"
            << "" << normalMs << false;
    }
    for (const auto &[option, bad] : {std::pair{"--seconds", "0"},
                                      {"--seconds", "3601"},
                                      {"--seconds", "nan"},
                                      {"--seconds", "x"},
                                      {"--fps", "0"},
                                      {"--fps", "121"},
                                      {"--fps", "2.5"},
                                      {"--format", "gif"},
                                      {"--quality", "-1"},
                                      {"--quality", "101"},
                                      {"--quality", "50.5"},
                                      {"--quality", "x"},
                                      {"--from", "1,2,3"},
                                      {"--from", "0,1,1e-11,0"}}) {
        QTest::addRow("dive %s '%s'", option, bad)
            << QStringList{"--window", deep, QString::fromLatin1(option), QString::fromLatin1(bad), "--dive", "d.mp4"}
            << QSize() << false << ""
            << "bad " << normalMs << false;
    }
    for (const char *bad : {"0", "-1", "60001", "1.5", "x", ""}) {
        QTest::addRow("bad frame time '%s'", bad)
            << QStringList{"--animate", "a.webp", "--frame-ms", QString::fromLatin1(bad)} << normal << false << ""
            << "bad frame time" << normalMs << false;
    }
}

void TestRender::options()
{
    QFETCH(QStringList, arguments);
    QFETCH(QSize, size);
    QFETCH(bool, time);
    QFETCH(QString, output);
    QFETCH(QString, error);
    QFETCH(int, frameMs);
    QFETCH(bool, quiet);

    QList<QByteArray> bytes;
    for (const QString &argument : arguments) {
        bytes.append(argument.toUtf8());
    }
    const RenderOptions options = ParseRenderOptions(bytes, PictureSize);
    if (!error.isEmpty()) {
        QVERIFY2(options.error.contains(error), qPrintable(options.error));
        return;
    }
    QCOMPARE(options.error, QString());
    QCOMPARE(options.size, size);
    QCOMPARE(options.time, time);
    QCOMPARE(options.output, output.toUtf8());
    QCOMPARE(options.animate, !options.dive && (output.endsWith(u".webp") || output == u"-"));
    QCOMPARE(options.frameMs, frameMs);
    QCOMPARE(options.quiet, quiet);
}

void TestRender::palettePngRoundTrips_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("colours");
    QTest::addColumn<bool>("indexed");

    // The encoder's row blocks hold 4 MiB: 3000 rows of 3000 make three of them.
    QTest::newRow("one pixel") << QSize(1, 1) << 1 << true;
    QTest::newRow("256 colours, one block") << QSize(640, 480) << 256 << true;
    QTest::newRow("257 colours: no palette") << QSize(640, 480) << 257 << false;
    QTest::newRow("3 blocks, 104 colours") << QSize(3000, 3000) << 104 << true;
    QTest::newRow("4 rows a block, 3 blocks") << QSize(1000000, 9) << 2 << true;
    // White is the one colour whose bits all match the table's empty mark.
    QTest::newRow("white runs at row starts") << QSize(64, 64) << -3 << true;
    // Rows that end part way through eight pixels, in a run or on a lone pixel.
    QTest::newRow("rows of 13") << QSize(13, 40) << 5 << true;
    QTest::newRow("runs open at the ends of rows of 11") << QSize(11, 11) << -3 << true;
    QTest::newRow("rows of 1001, 3 blocks") << QSize(1001, 4200) << 30 << true;
}

void TestRender::palettePngRoundTrips()
{
    QFETCH(QSize, size);
    QFETCH(int, colours);
    QFETCH(bool, indexed);

    // Runs and scattered pixels of every colour, alpha ignored as the encoder does.
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    if (colours < 0) {
        // Every row begins with white, for one pixel up to a whole row, then black and blue.
        for (int y = 0; y < size.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            std::fill(line, line + y + 1, qRgb(255, 255, 255));
            std::fill(line + y + 1, line + std::min(y + 9, size.width()), qRgb(0, 0, 255));
        }
    }
    quint32 state = 12345;
    for (int y = 0; y < size.height() && colours > 0; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); x += 1 + static_cast<int>(state % 7)) {
            state = state * 1103515245U + 12345U;
            const int n = static_cast<int>((state >> 8) % static_cast<quint32>(colours));
            line[x] = n == 0 ? qRgb(0, 0, 0) : qRgb(n * 37 % 256, n, 255 - n / 2);
        }
    }
    QByteArray png;
    QString error;
    QVERIFY(EncodePng(image, &png, &error));
    // IHDR's colour type: 3 for an indexed image, 2 for RGB.
    QCOMPARE(static_cast<int>(png.at(25)), indexed ? 3 : 2);
    QImageReader::setAllocationLimit(0);
    const QImage decoded = QImage::fromData(png, "PNG").convertToFormat(QImage::Format_RGB32);
    QCOMPARE(decoded.size(), size);
    QVERIFY(decoded == image);
}

void TestRender::referencesHoldTheCurvesGeometry_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("default") << PictureSize;
    QTest::newRow("wide") << QSize(1200, 300);
}

void TestRender::referencesHoldTheCurvesGeometry()
{
    QFETCH(QSize, size);
    const QImage image = Reference(size);
    QCOMPARE(image.size(), size);
    const auto lit = [](QRgb pixel) { return pixel != Black; };

    // Pass 0 is black on black; every later curve shows at both its ends,
    // in its own colour or a later curve's drawn over it.
    for (int i = 1; i <= 100; ++i) {
        const ExpectedCurve curve = ExpectedCurve::Pass(i);
        QVERIFY2(AnyPixelAt(image, curve.x, curve.y, lit), qPrintable(QStringLiteral("start of pass %1").arg(i)));
        QVERIFY2(AnyPixelAt(image, curve.x + curve.length, curve.y, lit),
                 qPrintable(QStringLiteral("end of pass %1").arg(i)));
    }

    // The white curve is drawn last: its ends are white and its pixels fill its
    // reach to within a pixel. Later curves cover most of each earlier one, but
    // its colour shows, only within its reach and up to its top, where nothing
    // later reaches.
    const ExpectedCurve last = ExpectedCurve::White();
    QVERIFY(AnyPixelAt(image, last.x, last.y, [](QRgb pixel) { return pixel == White; }));
    QVERIFY(AnyPixelAt(image, last.x + last.length, last.y, [](QRgb pixel) { return pixel == White; }));
    const QList<QPair<int, QRgb>> colours = {{-1, White},
                                             {1, qRgb(15, 0, 0)},
                                             {17, qRgb(255, 0, 0)},
                                             {18, qRgb(255, 14, 0)},
                                             {35, qRgb(242, 255, 0)},
                                             {52, qRgb(0, 255, 12)},
                                             {69, qRgb(0, 244, 255)}};
    for (const auto &[pass, colour] : colours) {
        const QRectF reach = (pass < 0 ? last : ExpectedCurve::Pass(pass)).Reach(size);
        const QRect shown = PixelsOf(image, colour);
        const bool fills = pass >= 0 || (std::abs(shown.left() - reach.left()) <= 1.5 &&
                                         std::abs(shown.x() + shown.width() - reach.right()) <= 1.5 &&
                                         std::abs(shown.y() + shown.height() - reach.bottom()) <= 1.5);
        QVERIFY2(!shown.isEmpty() && reach.adjusted(-1, -1, 1, 1).contains(QRectF(shown)) &&
                     std::abs(shown.top() - reach.top()) <= 1.5 && fills,
                 qPrintable(QStringLiteral("%1: colour spans %2,%3 %4x%5; reach %6,%7 %8x%9")
                                .arg(pass < 0 ? QStringLiteral("white curve") : QStringLiteral("pass %1").arg(pass))
                                .arg(shown.x())
                                .arg(shown.y())
                                .arg(shown.width())
                                .arg(shown.height())
                                .arg(reach.x())
                                .arg(reach.y())
                                .arg(reach.width())
                                .arg(reach.height())));
    }
}

void TestRender::matchesTheReference_data()
{
    referencesHoldTheCurvesGeometry_data();
}

void TestRender::matchesTheReference()
{
    QFETCH(QSize, size);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("picture.png"));
    const QString sizeText = QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
    QCOMPARE(Render({"--size", sizeText, path}).status, 0);
    const QString difference = Difference(Reference(size), QImage(path).convertToFormat(QImage::Format_RGB32),
                                          QStringLiteral("tst_render-") + sizeText);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestRender::defaultSizeIsThePictureTheWindowShows()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("picture.png"));
    const Run run = Render({path});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.err, QByteArray());
    const QImage rendered = QImage(path).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(rendered.size(), PictureSize);

    Form1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTest::mouseClick(form.findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
    auto *picture = form.findChild<PictureBox *>(QStringLiteral("Picture1"));
    QCOMPARE(picture->Picture().size(), rendered.size());
    QVERIFY(picture->Picture() == rendered);
    const QImage onScreen = picture->grab(picture->contentsRect()).toImage().convertToFormat(QImage::Format_RGB32);
    QVERIFY(onScreen == rendered);

    // Save As… writes the same picture through the same writer.
    const QString saved = dir.filePath(QStringLiteral("saved.png"));
    QSignalSpy ended(&form, &Form1::Saved);
    form.SavePictureTo(saved);
    QVERIFY(ended.wait(60000) && ended.constFirst().constFirst().toBool());
    QVERIFY(QImage(saved).convertToFormat(QImage::Format_RGB32) == rendered);
}

void TestRender::theDrawsWindowIsTheDefault()
{
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("plain.png"));
    const QString windowed = dir.filePath(QStringLiteral("windowed.png"));
    QCOMPARE(Render({plain}).status, 0);
    QCOMPARE(Render({"--window", "-300,410,510,-500", windowed}).status, 0);
    QFile a(plain);
    QFile b(windowed);
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    QCOMPARE(b.readAll(), a.readAll());
}

void TestRender::centreAndZoom_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("same"); // another command line for the same image
    QTest::addColumn<QString>("error");

    QTest::newRow("zoom 1 at the Draw's size is the Draw")
        << QStringList{"--centre", "105,-45", "--zoom", "1", "--size", "573x413"} << QStringList{} << "";
    QTest::newRow("zoom 2 is the middle half")
        << QStringList{"--centre=105,-45", "--zoom=2"} << QStringList{"--window", "-97.5,182.5,307.5,-272.5"} << "";
    QTest::newRow("twice the size, twice as much")
        << QStringList{"--size", "1146x826", "--zoom", "1", "--centre", "105,-45"}
        << QStringList{"--size", "1146x826", "--window", "-705,865,915,-955"} << "";
    QTest::newRow("with --window") << QStringList{"--centre", "0,0", "--zoom", "1", "--window", "0,1,1,0"}
                                   << QStringList{} << "they do not go with --window";
    QTest::newRow("with --icon") << QStringList{"--icon", "--centre", "0,0", "--zoom", "1"} << QStringList{}
                                 << "they do not go with --icon";
    QTest::newRow("centre alone") << QStringList{"--centre", "0,0"} << QStringList{} << "--centre needs --zoom";
    QTest::newRow("zoom alone") << QStringList{"--zoom", "3"} << QStringList{} << "--zoom needs --centre";
    QTest::newRow("zoom -2 is the middle half, turned half way round")
        << QStringList{"--centre=105,-45", "--zoom=-2"} << QStringList{"--window", "307.5,-272.5,-97.5,182.5"} << "";
    for (const char *bad : {"0", "inf", "nan", "x", ""}) {
        QTest::addRow("zoom '%s'", bad) << QStringList{"--centre", "0,0", "--zoom", QString::fromLatin1(bad)}
                                        << QStringList{} << "bad zoom '" + QString::fromLatin1(bad) + "': expected";
    }
    QTest::newRow("centre of three") << QStringList{"--centre", "0,0,0", "--zoom", "1"} << QStringList{}
                                     << "bad centre '0,0,0'";
    QTest::newRow("too wide to draw") << QStringList{"--centre", "0,0", "--zoom", "1e-6"} << QStringList{}
                                      << "bad zoom '1e-6': at 573x413 the view is";
    QTest::newRow("too deep to draw") << QStringList{"--centre", "0,0", "--zoom", "1e14"} << QStringList{}
                                      << "bad zoom '1e14'";
    QTest::newRow("zoom missing its value")
        << QStringList{"--centre", "0,0", "--zoom"} << QStringList{} << "--zoom needs a value";
}

// The view renders as the window it names, byte for byte (the Draw's when none
// is named); a refusal is one line and status 2.
void TestRender::centreAndZoom()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, same);
    QFETCH(QString, error);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("view.png"));
    const Run run = Render(QStringList{path} + arguments);
    if (!error.isEmpty()) {
        QCOMPARE(run.status, 2);
        QCOMPARE(run.err.count('\n'), 1);
        QVERIFY2(run.err.contains(error.toUtf8()), run.err.constData());
        QVERIFY(!QFile::exists(path));
        return;
    }
    QCOMPARE(run.status, 0);
    const QString other = dir.filePath(QStringLiteral("same.png"));
    QCOMPARE(Render(same + QStringList{other}).status, 0);
    QFile a(path);
    QFile b(other);
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    QCOMPARE(a.readAll(), b.readAll());
}

void TestRender::sizeAndTime_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QSize>("size");
    QTest::newRow("picture") << QStringList{"--size", "1200x300"} << QSize(1200, 300);
    // The icon is made from the whole picture.
    QTest::newRow("icon") << QStringList{"--icon", "--size", "64x64"} << QSize(64, 64);
}

void TestRender::sizeAndTime()
{
    QFETCH(QStringList, options);
    QFETCH(QSize, size);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("wide.png"));
    const Run run = Render(QStringList{"--time"} + options + QStringList{path});
    QCOMPARE(run.status, 0);
    QVERIFY(QFileInfo::exists(path));
    QVERIFY2(QRegularExpression(QStringLiteral("^levyc-render: %1 lines in \\d+\\.\\d ms\n"
                                               "levyc-render: PNG encoded in \\d+\\.\\d ms, %2 bytes\n$")
                                    .arg(PictureLines)
                                    .arg(QFileInfo(path).size()))
                 .match(QString::fromUtf8(run.err))
                 .hasMatch(),
             run.err.constData());
    const QImage image(path);
    QCOMPARE(image.size(), size);
    QCOMPARE(image.pixel(0, 0), qRgb(0, 0, 0));
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{"wide.png"});
}

void TestRender::help()
{
    // An option after --animate is no file name.
    QCOMPARE(Render({"--animate", "-h"}).out, Render({"--help"}).out);
    const Run run = Render({"--help"});
    QCOMPARE(run.status, 0);
    QVERIFY(
        run.out.startsWith("Usage: levyc-render [--size WxH] [--window X1,Y1,X2,Y2] [--time] [--quiet] OUTPUT.png\n"));
    for (const char *option :
         {"--size", "--window", "--centre X,Y --zoom Z", "--animate FILE", "--frame-ms N", "--dive FILE", "--from",
          "--seconds S", "--fps N", "--format FMT", "--quality Q", "--time", "--quiet", "-h, --help", "--version"}) {
        QVERIFY2(run.out.contains(QByteArray("\n  ") + option), option);
    }
    QCOMPARE(run.err, QByteArray());

    const Run version = Render({"--version"});
    QCOMPARE(version.status, 0);
    QVERIFY2(QRegularExpression(QStringLiteral("^levyc-render \\d+\\.\\d+\\.\\d+\n$"))
                 .match(QString::fromUtf8(version.out))
                 .hasMatch(),
             version.out.constData());
}

QTEST_MAIN(TestRender)
#include "tst_render.moc"
