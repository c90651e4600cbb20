#include "drawing/Passes.h"
#include "video/DiveChoices.h"
#include "video/DiveEstimate.h"
#include "video/DiveMovie.h"
#include "views/DivePath.h"
#include "views/OptionText.h"
#include "views/ViewList.h"
#include "views/ViewRender.h"
#include "world/PictureWorld.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
}

#include <cmath>

using namespace levyc;

namespace {

// A small, short dive: quick to make, with every frame still a real view.
constexpr QSize Size(160, 90);
constexpr int Fps = 10;
constexpr double Seconds = 1.6;
constexpr WorldWindow End{299.99, -399.99, 300.01, -400.01};

// A frame's mean luma and chroma, in limited-range BT.709 levels.
struct MeanColour
{
    double y = 0;
    double cb = 0;
    double cr = 0;

    [[nodiscard]] double Distance(const MeanColour &other) const
    {
        return std::max({std::abs(y - other.y), std::abs(cb - other.cb), std::abs(cr - other.cr)});
    }
};

struct Video
{
    QString codec;
    QString pixelFormat;
    QSize size;
    double fps = 0;
    int frames = 0;
    QImage lastLuma; // Y of the last frame, one byte a pixel
    MeanColour first;
};

double PlaneMean(const AVFrame *frame, int plane, int width, int height)
{
    double sum = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            sum += frame->data[plane][static_cast<std::ptrdiff_t>(y) * frame->linesize[plane] + x];
        }
    }
    return sum / (width * height);
}

// Every frame through FFmpeg's own demuxer and decoder.
bool Decode(const QString &path, Video *video)
{
    AVFormatContext *format = nullptr;
    if (avformat_open_input(&format, path.toLocal8Bit().constData(), nullptr, nullptr) < 0) {
        return false;
    }
    bool ok = avformat_find_stream_info(format, nullptr) >= 0 && format->nb_streams == 1;
    const AVStream *stream = ok ? format->streams[0] : nullptr;
    const AVCodec *decoder = ok ? avcodec_find_decoder(stream->codecpar->codec_id) : nullptr;
    AVCodecContext *codec = decoder != nullptr ? avcodec_alloc_context3(decoder) : nullptr;
    AVPacket *packet = av_packet_alloc();
    AVFrame *frame = av_frame_alloc();
    ok = codec != nullptr && avcodec_parameters_to_context(codec, stream->codecpar) >= 0 &&
         avcodec_open2(codec, decoder, nullptr) >= 0;
    if (ok) {
        video->codec = QString::fromLatin1(decoder->name);
        video->pixelFormat =
            QString::fromLatin1(av_get_pix_fmt_name(static_cast<AVPixelFormat>(stream->codecpar->format)));
        video->size = QSize(stream->codecpar->width, stream->codecpar->height);
        video->fps = av_q2d(stream->avg_frame_rate);
    }
    const auto receive = [&] {
        while (avcodec_receive_frame(codec, frame) >= 0) {
            if (video->frames == 0) {
                const int halfWidth = (frame->width + 1) / 2;
                const int halfHeight = (frame->height + 1) / 2;
                video->first = {PlaneMean(frame, 0, frame->width, frame->height),
                                PlaneMean(frame, 1, halfWidth, halfHeight), PlaneMean(frame, 2, halfWidth, halfHeight)};
            }
            ++video->frames;
            QImage luma(frame->width, frame->height, QImage::Format_Grayscale8);
            for (int y = 0; y < frame->height; ++y) {
                std::memcpy(luma.scanLine(y), frame->data[0] + static_cast<std::ptrdiff_t>(y) * frame->linesize[0],
                            static_cast<std::size_t>(frame->width));
            }
            video->lastLuma = luma;
        }
    };
    while (ok && av_read_frame(format, packet) >= 0) {
        ok = avcodec_send_packet(codec, packet) >= 0;
        av_packet_unref(packet);
        receive();
    }
    if (ok) {
        avcodec_send_packet(codec, nullptr);
        receive();
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
    return ok;
}

// The limited-range BT.709 luma the encoder is given for each pixel.
double Luma(QRgb rgb)
{
    return 16 + 219 * (0.2126 * qRed(rgb) + 0.7152 * qGreen(rgb) + 0.0722 * qBlue(rgb)) / 255;
}

// The mean colour the encoder is given for a picture.
MeanColour MeanOf(const QImage &picture)
{
    MeanColour mean;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb rgb = picture.pixel(x, y);
            const double luma = 0.2126 * qRed(rgb) + 0.7152 * qGreen(rgb) + 0.0722 * qBlue(rgb);
            mean.y += Luma(rgb);
            mean.cb += 128 + 224 * (qBlue(rgb) - luma) / 1.8556 / 255;
            mean.cr += 128 + 224 * (qRed(rgb) - luma) / 1.5748 / 255;
        }
    }
    const double pixels = picture.width() * picture.height();
    return {mean.y / pixels, mean.cb / pixels, mean.cr / pixels};
}

// The mean distance in luma levels between a decoded frame and a picture.
double MeanLumaDistance(const QImage &luma, const QImage &picture)
{
    double sum = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            sum += std::abs(luma.constScanLine(y)[x] - Luma(picture.pixel(x, y)));
        }
    }
    return sum / (picture.width() * picture.height());
}

// levyc-render making a small dive ending at End, with these options too;
// standard output to `output` when given. True when it exits 0, silent but
// for what `told` gets when given.
bool RenderSmallDive(const QStringList &options, const QString &output = {}, QByteArray *told = nullptr)
{
    QProcess render;
    // The small dive's own, unless the row gives its own: an option is given once.
    QStringList arguments;
    for (const auto &[name, value] : {std::pair{"--size", QStringLiteral("%1x%2").arg(Size.width()).arg(Size.height())},
                                      {"--seconds", QString::number(Seconds)},
                                      {"--fps", QString::number(Fps)},
                                      {"--window", QStringLiteral("299.99,-399.99,300.01,-400.01")}}) {
        if (!options.contains(QLatin1String(name))) {
            arguments << QLatin1String(name) << value;
        }
    }
    arguments += options;
    if (!output.isEmpty()) {
        render.setStandardOutputFile(output);
    }
    render.start(QStringLiteral(LEVYC_RENDER_PATH), arguments);
    if (!render.waitForFinished(120000)) {
        return false;
    }
    const QByteArray error = render.readAllStandardError();
    if (told != nullptr) {
        *told = error;
    }
    return render.exitStatus() == QProcess::NormalExit && render.exitCode() == 0 &&
           (told != nullptr || error.isEmpty());
}

// An MP4 file's top-level boxes in order, and the H.264 level its avcC box
// names (level_idc: ten times the level), or -1.
struct Mp4Layout
{
    QList<QByteArray> boxes;
    int level = -1;
};

Mp4Layout LayoutOf(const QByteArray &file)
{
    Mp4Layout layout;
    qint64 at = 0;
    while (at + 8 <= file.size()) {
        const auto byte = [&file](qint64 i) { return static_cast<quint64>(static_cast<quint8>(file[i])); };
        quint64 size = byte(at) << 24 | byte(at + 1) << 16 | byte(at + 2) << 8 | byte(at + 3);
        const QByteArray type = file.mid(at + 4, 4);
        if (size == 1 && at + 16 <= file.size()) {
            size = 0;
            for (int i = 8; i < 16; ++i) {
                size = size << 8 | byte(at + i);
            }
        } else if (size == 0) {
            size = file.size() - at;
        }
        if (size < 8) {
            break;
        }
        layout.boxes.append(type);
        // avcC: its size and name, then version, profile, compatibility, level.
        const qsizetype avcc = type == "moov" ? file.indexOf("avcC", at) : -1;
        if (avcc > 0 && avcc + 8 < at + static_cast<qint64>(size)) {
            layout.level = static_cast<int>(byte(avcc + 7));
        }
        at += static_cast<qint64>(size);
    }
    return layout;
}

} // namespace

class TestDive : public QObject
{
    Q_OBJECT

private slots:
    void decodes_data();
    void decodes();
    void anUndrawableViewIsNotMemory();
    void mp4IndexAndLevel_data();
    void mp4IndexAndLevel();
    void higherQualityLargerFile_data();
    void higherQualityLargerFile();
    void timeIsTold();
    void followsItsViews_data();
    void followsItsViews();
    void estimateFollowsTheFilm_data();
    void estimateFollowsTheFilm();
};

void TestDive::decodes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("stream");
    QTest::addColumn<QString>("codec");

    QTest::newRow("MP4") << "dive.mp4" << false << "h264";
    QTest::newRow("MP4 in fragments, to standard output") << "dive.mp4" << true << "h264";
    QTest::newRow("WebM") << "dive.webm" << false << "vp9";
    QTest::newRow("WebM to standard output") << "dive.webm" << true << "vp9";
}

// Frame count, size, rate and format as asked; the last frame near the exact
// end view.
void TestDive::decodes()
{
    QFETCH(QString, name);
    QFETCH(bool, stream);
    QFETCH(QString, codec);

    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QProcess render;
    QStringList arguments{"--size",
                          QStringLiteral("%1x%2").arg(Size.width()).arg(Size.height()),
                          "--seconds",
                          QString::number(Seconds),
                          "--fps",
                          QString::number(Fps),
                          "--window",
                          QStringLiteral("%1,%2,%3,%4")
                              .arg(End.Left, 0, 'g', 17)
                              .arg(End.Top, 0, 'g', 17)
                              .arg(End.Right, 0, 'g', 17)
                              .arg(End.Bottom, 0, 'g', 17)};
    if (stream) {
        arguments << "--format" << name.section(u'.', -1) << "--dive"
                  << "-";
        render.setStandardOutputFile(path);
    } else {
        arguments << "--dive" << path;
    }
    render.start(QStringLiteral(LEVYC_RENDER_PATH), arguments);
    QVERIFY(render.waitForFinished(120000));
    QCOMPARE(render.readAllStandardError(), QByteArray());
    QCOMPARE(render.exitCode(), 0);

    Video video;
    QVERIFY(Decode(path, &video));
    QCOMPARE(video.codec, codec);
    QCOMPARE(video.pixelFormat, QStringLiteral("yuv420p"));
    QCOMPARE(video.size, Size);
    QCOMPARE(video.fps, double(Fps));
    QCOMPARE(video.frames, static_cast<int>(std::lround(Seconds * Fps)));

    // Lossy coding spreads a one-pixel line's light over its neighbours, so
    // single pixels differ by much; on average, over 219 levels, the last
    // frame came within 3.9 (H.264 at its quality 28) and 2.2 (VP9), against
    // 88 for the view three frames before. Within 6 is the end view, and the
    // earlier view must stay well apart, so that a wrong last window fails.
    const DivePath dive(DivePath::StartAt(Size), End, Seconds, Fps, Size);
    // The first frame's colours, red and blue in their places: on average,
    // over its pixels, within a level of the picture's.
    const QImage first = RenderView(PictureCurves(), dive.First(), Size).image.convertToFormat(QImage::Format_RGB32);
    const MeanColour wanted = MeanOf(first);
    QVERIFY2(video.first.Distance(wanted) < 1 && MeanOf(first.rgbSwapped()).Distance(wanted) > 3,
             qPrintable(QStringLiteral("first frame Y %1 Cb %2 Cr %3, the picture's %4 %5 %6")
                            .arg(video.first.y)
                            .arg(video.first.cb)
                            .arg(video.first.cr)
                            .arg(wanted.y)
                            .arg(wanted.cb)
                            .arg(wanted.cr)));
    const QImage last = RenderView(PictureCurves(), DivePath::WithShapeOf(End, dive.First()), Size).image;
    const QImage before = RenderView(PictureCurves(), dive.Frame(dive.Frames() - 4), Size).image;
    const double distance = MeanLumaDistance(video.lastLuma, last);
    const double other = MeanLumaDistance(video.lastLuma, before);
    QVERIFY2(distance < 6 && other > 4 * distance,
             qPrintable(QStringLiteral("last frame %1 levels off, an earlier view %2").arg(distance).arg(other)));
}

// The command line refuses such a dive; made anyway, it is told for what it is.
void TestDive::anUndrawableViewIsNotMemory()
{
    const VideoSink sink{[](const char *, qint64, QString *) { return true; }, {}};
    // The Draw's picture, then a view whose pixels are 18 times as wide as tall.
    const Dive dive{PictureWorld, End, QSize(1280, 80), 0.2, 10, DiveFormat::WebM, {}};
    DiveFigures figures;
    QString error;
    QVERIFY(!MakeDive(dive, PictureCurves(), sink, &figures, &error));
    QVERIFY2(error.contains(u"cannot be drawn at 1280x80") && !error.contains(u"memory"), qPrintable(error));
}

void TestDive::mp4IndexAndLevel_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("stream");
    QTest::addColumn<int>("level");

    // Level 4.1 is the least named; 2560x1440 is more macroblocks than 4.2's 8704 a frame.
    QTest::newRow("a file: the index before the frames") << QStringList{"--dive"} << false << 41;
    QTest::newRow("a stream: in fragments") << QStringList{"--format", "mp4", "--dive"} << true << 41;
    // 8192 macroblocks at 30 a second: 4.1's limits exactly, both of them.
    QTest::newRow("2048x1024 at 30 fps: level 4.1, to the limit")
        << QStringList{"--size", "2048x1024", "--seconds", "0.1", "--fps", "30", "--dive"} << false << 41;
    QTest::newRow("2560x1440 at 20 fps: level 5")
        << QStringList{"--size", "2560x1440", "--seconds", "0.1", "--fps", "20", "--dive"} << false << 50;
    // 64.5 rows of macroblocks are 65: 8320 a frame, past 4.1's 8192.
    QTest::newRow("2048x1032 at 30 fps: a part row counts, level 4.2")
        << QStringList{"--size", "2048x1032", "--seconds", "0.1", "--fps", "30", "--dive"} << false << 42;
    // The room kept for the index grows with the frames: 1800 of them, of a
    // still that costs little to draw, under the sanitizers too.
    QTest::newRow("1800 frames: the index still before them")
        << QStringList{"--size", "32x18", "--seconds", "60", "--fps", "30", "--from", "299.99,-399.99,300.01,-400.01",
                       "--dive"}
        << false << 41;
}

// Read from the file as a player reads it: a file starts with its index, so
// that it plays before it has all come; a stream comes in fragments, each with
// its own; both name a level that takes their size and rate.
void TestDive::mp4IndexAndLevel()
{
    QFETCH(QStringList, options);
    QFETCH(bool, stream);
    QFETCH(int, level);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("dive.mp4"));
    QVERIFY(RenderSmallDive(options << (stream ? QStringLiteral("-") : path), stream ? path : QString()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const Mp4Layout layout = LayoutOf(file.readAll());
    const qsizetype moov = layout.boxes.indexOf("moov");
    QVERIFY2(moov >= 0 && moov < layout.boxes.indexOf("mdat"), layout.boxes.join(' ').constData());
    QCOMPARE(layout.boxes.contains("moof"), stream);
    QCOMPARE(layout.level, level);
}

void TestDive::higherQualityLargerFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("lossless");

    QTest::newRow("MP4") << "dive.mp4" << false;
    QTest::newRow("WebM") << "dive.webm" << false;
    QTest::newRow("WebP, lossless whatever the quality") << "dive.webp" << true;
}

void TestDive::higherQualityLargerFile()
{
    QFETCH(QString, name);
    QFETCH(bool, lossless);

    QTemporaryDir dir;
    QList<QByteArray> files;
    for (const char *quality : {"20", "80"}) {
        const QString path = dir.filePath(QLatin1String(quality) + name);
        QVERIFY(RenderSmallDive({"--quality", QLatin1String(quality), "--dive", path}));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        files.append(file.readAll());
    }
    if (lossless) {
        QCOMPARE(files[1], files[0]);
    } else {
        QVERIFY2(files[1].size() > files[0].size(),
                 qPrintable(QStringLiteral("%1 bytes at 80, %2 at 20").arg(files[1].size()).arg(files[0].size())));
    }
}

// The encoders' own messages are kept from standard error, not the program's line.
void TestDive::timeIsTold()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("dive.mp4"));
    QByteArray told;
    QVERIFY(RenderSmallDive({"--time", "--dive", path}, {}, &told));
    QVERIFY2(
        QRegularExpression(QStringLiteral("^levyc-render: %1 frames, views drawn in [0-9.]+ ms, encoded alongside in "
                                          "[0-9.]+ ms, [0-9.]+ ms in all, %2 bytes\n$")
                               .arg(std::lround(Seconds * Fps))
                               .arg(QFileInfo(path).size()))
            .match(QString::fromUtf8(told))
            .hasMatch(),
        told.constData());
}

void TestDive::followsItsViews_data()
{
    QTest::addColumn<bool>("atDraws");
    QTest::addColumn<QString>("list"); // the views chosen, one a line; empty for the default ones
    QTest::addColumn<int>("through");  // views passed between the first and the last
    QTest::addColumn<int>("frames");

    // From the Draw's own view a dive that did not tour would be a still.
    QTest::newRow("from the Draw's view, by default through the views visited") << true << "" << 2 << 300;
    QTest::newRow("from elsewhere, by default straight") << false << "" << 0 << 300;
    QTest::newRow("chosen: from a held view, past one, to the Draw's; the hold adds its frames")
        << false
        << "--window 290,-390,310,-410 --size 573x413 --hold 1\n--window 200,-200,220,-220 --size 573x413\n"
           "--window -219,319,429,-409 --size 573x413"
        << 1 << 330;
    QTest::newRow("chosen: holds at both ends and half a second between")
        << true
        << "--window 0,0,10,-10 --size 573x413 --hold 2\n--window 5,-5,6,-6 --size 573x413 --hold 0.5\n"
           "--window 1,-1,2,-2 --size 573x413 --hold 2"
        << 1 << 435;
}

void TestDive::followsItsViews()
{
    QFETCH(bool, atDraws);
    QFETCH(QString, list);
    QFETCH(int, through);
    QFETCH(int, frames);

    const QSize picture(573, 413);
    const std::vector<WorldWindow> visited{{-10, 10, 10, -10}, {200, -200, 220, -220}};
    const WorldWindow elsewhere{290, -390, 310, -410};
    DiveChoices choices;
    choices.format = DiveFormat::WebP; // frames of the picture's size, odd sides kept
    const ParsedViewList parsed = ParseViewList(list, picture);
    QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));
    choices.keyframes = parsed.views;
    const Dive dive = DiveOf(choices, picture, atDraws ? PictureWorld : elsewhere, visited);
    QCOMPARE(int(dive.through.size()), through);
    if (list.isEmpty()) {
        QCOMPARE(dive.through, atDraws ? visited : std::vector<WorldWindow>{});
        QCOMPARE(dive.from, PictureWorld);
    } else {
        QCOMPARE(dive.from, parsed.views.front().window);
        QCOMPARE(dive.to, parsed.views.back().window);
    }
    // The frames the dialog counts are the film's.
    QCOMPARE(FramesOf(choices), frames);
    QCOMPARE(PathOf(dive).Frames(), frames);
}

void TestDive::estimateFollowsTheFilm_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("window");

    // A view busy with lines, and one into the black beside the curves.
    const QString busy = QStringLiteral("199.9,-379.9,200.1,-380.1");
    const QString empty = QStringLiteral("400,-100,400.2,-100.2");
    QTest::newRow("MP4, busy") << "dive.mp4" << busy;
    QTest::newRow("MP4, into the black") << "dive.mp4" << empty;
    QTest::newRow("WebP, busy") << "dive.webp" << busy;
    QTest::newRow("WebP, into the black") << "dive.webp" << empty;
}

// The bytes Save Dive… promises, from a few of the dive's frames, against the film made.
void TestDive::estimateFollowsTheFilm()
{
    QFETCH(QString, name);
    QFETCH(QString, window);

    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QVERIFY(RenderSmallDive({"--window", window, "--dive", path}));
    const std::optional<WorldWindow> end = OptionText::Window(window);
    QVERIFY(end.has_value());
    const Dive dive{PictureWorld, *end, Size, Seconds, Fps, *DiveFormatOf(name.toUtf8()), {}};
    const std::atomic<bool> cancelled = false;
    QString error;
    const std::optional<DiveEstimate> estimate = EstimateDive(dive, PictureCurves(), cancelled, &error);
    QVERIFY2(estimate.has_value(), qPrintable(error));
    const double ratio = estimate->bytes / static_cast<double>(QFileInfo(path).size());
    QVERIFY2(ratio >= 1 / 1.5 && ratio <= 1.5,
             qPrintable(QStringLiteral("estimated %1 times the film's bytes").arg(ratio)));
}

QTEST_GUILESS_MAIN(TestDive)
#include "tst_dive.moc"
