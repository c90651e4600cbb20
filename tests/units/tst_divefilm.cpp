#include "drawing/Passes.h"
#include "views/DivePath.h"
#include "views/ViewRender.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "FrameLuma.h"
#include "Sanitized.h"
#include "WebPFrames.h"

#include <cmath>

using namespace levyc;

namespace {

// The Draw's middle at 16:9 with square pixels at 320x180: its grain the
// same across and down, whatever way the curves run.
const QString SquareStart = QStringLiteral("-500,310,700,-365");
const QString Corner = QStringLiteral("299.99,-399.99,300.01,-400.01");

// levyc-render with these arguments: its exit code and standard error.
int Render(const QStringList &arguments, QByteArray *error = nullptr)
{
    QProcess render;
    render.start(QStringLiteral(LEVYC_RENDER_PATH), arguments);
    if (!render.waitForFinished(300000)) {
        return -1;
    }
    if (error != nullptr) {
        *error = render.readAllStandardError();
    }
    return render.exitStatus() == QProcess::NormalExit ? render.exitCode() : -1;
}

// The mean distance between two pictures of one size, in levels a channel.
double Distance(const QImage &a, const QImage &b)
{
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    }
    return sum / (3.0 * a.width() * a.height());
}

WorldWindow Window(const QString &text)
{
    const QStringList parts = text.split(u',');
    return {parts[0].toDouble(), parts[1].toDouble(), parts[2].toDouble(), parts[3].toDouble()};
}

} // namespace

class TestDiveFilm : public QObject
{
    Q_OBJECT

private slots:
    void noPulse_data();
    void noPulse();
    void aStillIsExact_data();
    void aStillIsExact();
    void passesEachView_data();
    void passesEachView();
    void holdsOnEachView_data();
    void holdsOnEachView();
    void refused_data();
    void refused();
};

void TestDiveFilm::noPulse_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<double>("bound"); // levels a frame

    QTest::newRow("into the white curve's corner") << SquareStart << Corner << 4 << 2.2;
    QTest::newRow("out of it, slower") << Corner << SquareStart << 8 << 2.2;
    // 2.5 levels, where smoothing each kind of level as the other steps it by 3.4.
    QTest::newRow("deeper and faster, the kinds of level apart")
        << SquareStart << QStringLiteral("299.9999,-399.9999,300.0001,-400.0001") << 3 << 2.9;
}

// Where every line of the view is divided once more, all at one zoom, the
// exact views' mean luma jumps by 4 to 10 levels in a frame, every sqrt(2) of
// zoom, at any speed. The picture itself also grows lighter and darker as
// parts of it leave the frame, by up to 4 levels a frame on these paths: that
// much is the motion's, and what the part both frames show changes by is the
// drawing's own. A drawing with lines a quarter of a pixel long, past any
// pulse, still changes that part by 2.1 levels a frame on the faster path,
// as the zoom resolves its holes: a dive's own drawing may come near that,
// not past it. Levels of lines along the axes and of diagonal ones thin out
// differently: smoothing both alike steps it by 3.1 there, and each as the
// other by 2.3; on a deeper and faster path by 3.4, where the drawing's own
// steps are 2.5.
void TestDiveFilm::noPulse()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(int, seconds);
    QFETCH(double, bound);
    if (Sanitized) {
        seconds = 1; // the same path in 30 frames, its ends exact; the steps need the whole film
    }

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("dive.webp"));
    QCOMPARE(Render({"--quiet", "--size", "320x180", "--seconds", QString::number(seconds), "--from", from, "--window",
                     to, "--dive", path}),
             0);
    const QList<QImage> frames = WebPFramesAt(path, 30);
    QCOMPARE(frames.size(), seconds * 30);
    // The first and last are the exact views.
    const DivePath dive(Window(from), Window(to), seconds, 30, QSize(320, 180));
    QVERIFY(frames.first() == RenderView(PictureCurves(), dive.First(), QSize(320, 180)).image);
    QVERIFY(frames.last() ==
            RenderView(PictureCurves(), DivePath::WithShapeOf(Window(to), dive.First()), QSize(320, 180)).image);
    if (Sanitized) {
        return;
    }
    // Away from the eases at the ends.
    double largest = 0;
    int at = 0;
    for (int i = 16; i < frames.size() - 15; ++i) {
        const WorldWindow was = dive.Frame(i - 1);
        const WorldWindow now = dive.Frame(i);
        const double drawn = std::abs(MeanLumaWithin(frames[i], now, was) - MeanLumaWithin(frames[i - 1], was, now));
        if (drawn > largest) {
            largest = drawn;
            at = i;
        }
    }
    QVERIFY2(largest <= bound,
             qPrintable(QStringLiteral("frame %1: the drawing steps the mean luma by %2").arg(at).arg(largest)));
}

void TestDiveFilm::aStillIsExact_data()
{
    QTest::addColumn<QStringList>("views");
    QTest::newRow("--from and --window the same") << QStringList{"--from", Corner, "--window", Corner};
    QTest::newRow("--through the same too") << QStringList{"--from", Corner, "--through", Corner, "--window", Corner};
}

// A dive that goes nowhere is that view in every frame, drawn exact.
void TestDiveFilm::aStillIsExact()
{
    QFETCH(QStringList, views);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("still.webp"));
    QCOMPARE(Render(QStringList{"--quiet", "--size", "160x90", "--seconds", "1", "--fps", "10"} << views << "--dive"
                                                                                                << path),
             0);
    // Frames alike are one frame to the encoder, and one frame a still image.
    const QList<QImage> frames = WebPFramesAt(path, 10);
    QVERIFY(!frames.isEmpty());
    const QImage exact = RenderView(PictureCurves(), Window(Corner), QSize(160, 90)).image;
    for (const QImage &frame : frames) {
        QVERIFY(frame == exact);
    }
}

void TestDiveFilm::passesEachView_data()
{
    QTest::addColumn<QStringList>("through");

    QTest::newRow("one view on the way") << QStringList{"-10,10,10,-10"};
    QTest::newRow("two, across the fan") << QStringList{"200,-200,220,-220", "0,-200,20,-220"};
}

// A tour through views: each one's exact view is nearest one whole frame of
// the film, in the order given, and the frames either side are further off.
void TestDiveFilm::passesEachView()
{
    QFETCH(QStringList, through);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tour.webp"));
    QStringList arguments{"--quiet", "--size", "160x90", "--seconds", "4", "--fps", "10", "--from", SquareStart};
    for (const QString &view : through) {
        arguments << "--through" << view;
    }
    arguments << "--window" << Corner << "--dive" << path;
    QCOMPARE(Render(arguments), 0);
    const QList<QImage> frames = WebPFramesAt(path, 10);
    QCOMPARE(frames.size(), 40);

    int previous = 0;
    for (const QString &view : through) {
        const QImage exact =
            RenderView(PictureCurves(), DivePath::WithShapeOf(Window(view), Window(SquareStart)), QSize(160, 90)).image;
        int nearest = 0;
        for (int i = 1; i < frames.size(); ++i) {
            if (Distance(frames[i], exact) < Distance(frames[nearest], exact)) {
                nearest = i;
            }
        }
        const double at = Distance(frames[nearest], exact);
        QVERIFY2(nearest > previous && nearest < frames.size() - 1,
                 qPrintable(QStringLiteral("%1 nearest frame %2").arg(view).arg(nearest)));
        QVERIFY2(at < Distance(frames[nearest - 1], exact) / 2 && at < Distance(frames[nearest + 1], exact) / 2,
                 qPrintable(QStringLiteral("%1 at frame %2: %3 off, %4 and %5 either side")
                                .arg(view)
                                .arg(nearest)
                                .arg(at)
                                .arg(Distance(frames[nearest - 1], exact))
                                .arg(Distance(frames[nearest + 1], exact))));
        previous = nearest;
    }
}

void TestDiveFilm::holdsOnEachView_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("list"); // the --path file's text

    const QString way = QStringLiteral("-10,10,10,-10");
    QTest::newRow("--through with --hold")
        << QStringList{"--from", SquareStart, "--through", way, "--hold", "0.5", "--window", Corner} << "";
    QTest::newRow("a --path file, its lines' sizes ignored")
        << QStringList{}
        << "# start, a held view, the end\n--window " + SquareStart + " --size 573x413\n--window " + way +
               " --hold 0.5 --name On the way\n\n--window " + Corner + " --hold 0.3\n";
}

// Each held view is its exact view for its hold's frames, and the film
// reaches it from a view apart and leaves it for another.
void TestDiveFilm::holdsOnEachView()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, list);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("held.webp"));
    if (!list.isEmpty()) {
        QFile file(dir.filePath(QStringLiteral("views.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(list.toUtf8()) > 0);
        file.close();
        arguments << "--path" << file.fileName();
    }
    QByteArray error;
    QCOMPARE(Render(QStringList{"--quiet", "--size", "160x90", "--seconds", "3", "--fps", "10"} << arguments << "--dive"
                                                                                                << path,
                    &error),
             0);
    QCOMPARE(error, QByteArray());
    const QList<QImage> frames = WebPFramesAt(path, 10);
    const int ending = list.isEmpty() ? 0 : 3;
    QCOMPARE(frames.size(), 30 + 5 + ending);
    // A list's views take the film's shape, with the Draw's pixels; --from keeps its own.
    const QSize size(160, 90);
    const WorldWindow start =
        list.isEmpty() ? Window(SquareStart) : DivePath::WithShapeOf(Window(SquareStart), DivePath::StartAt(size));
    const QImage held = RenderView(PictureCurves(), DivePath::WithShapeOf(Window("-10,10,10,-10"), start), size).image;
    int first = 0;
    while (first < frames.size() && frames[first] != held) {
        ++first;
    }
    QVERIFY2(first > 0 && first + 6 < frames.size(), qPrintable(QString::number(first)));
    for (int i = first; i <= first + 5; ++i) {
        QVERIFY2(frames[i] == held, qPrintable(QStringLiteral("frame %1 left the view").arg(i)));
    }
    QVERIFY(frames[first - 1] != held && frames[first + 6] != held);
    const QImage end = RenderView(PictureCurves(), DivePath::WithShapeOf(Window(Corner), start), size).image;
    for (qsizetype i = frames.size() - 1 - ending; i < frames.size(); ++i) {
        QVERIFY2(frames[i] == end, qPrintable(QStringLiteral("frame %1 is not the end").arg(i)));
    }
}

void TestDiveFilm::refused_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("reason");

    QTest::newRow("views so far apart the path would zoom out past the widest view")
        << QStringList{"--from", "-6e6,1e3,-5.999e6,0", "--window", "6e6,1e3,6.001e6,0"} << "zooms out";
    QTest::newRow("a waypoint far out") << QStringList{"--from",   "-1,1,1,-1", "--through", "12000000,1,12000002,-1",
                                                       "--window", "1,1,3,-1"}
                                        << "zooms out";
    QTest::newRow("a waypoint too narrow")
        << QStringList{"--through", "0,0,1e-12,-1", "--window", "1,1,3,-1"} << "bad window";
    QTest::newRow("a waypoint with three numbers")
        << QStringList{"--through", "0,0,1", "--window", "1,1,3,-1"} << "bad window";
    QTest::newRow("--hold with no --through before it")
        << QStringList{"--hold", "1", "--window", "1,1,3,-1"} << "--hold goes after a --through";
    QTest::newRow("--path with --window")
        << QStringList{"--path", "LIST", "--window", "1,1,3,-1"} << "does not go with --from, --through, --window";
    QTest::newRow("--path of one view") << QStringList{"--path", "LIST"} << "needs two views or more";
    QTest::newRow("--path, a bad line") << QStringList{"--path", "BAD"} << "line 3: bad window '1,2,3'";
    QTest::newRow("--path, a line too wide at the film's shape")
        << QStringList{"--path", "WIDE"} << "line 2: in the film's shape the view is";
    QTest::newRow("--path, no such file") << QStringList{"--path", "NONE"} << "cannot read --path";
}

// Refused before any work, with exit 2, the reason in one line, and no file.
void TestDiveFilm::refused()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, reason);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("dive.mp4"));
    // The lists a --path reads.
    const QMap<QString, QString> lists{{"LIST", "--window 1,1,3,-1\n"},
                                       {"BAD", "--window 1,1,3,-1\n\n--window 1,2,3\n--window 1,1,2,-1\n"},
                                       {"WIDE", "--window 1,1,3,-1\n--window 0,4500000,0.001,-4500000\n"}};
    for (QString &argument : arguments) {
        if (argument == u"NONE" || lists.contains(argument)) {
            QFile file(dir.filePath(argument));
            QVERIFY(argument == u"NONE" ||
                    (file.open(QIODevice::WriteOnly) && file.write(lists[argument].toUtf8()) > 0));
            argument = file.fileName();
        }
    }
    QByteArray error;
    QCOMPARE(Render(QStringList{"--size", "64x36"} + arguments + QStringList{"--dive", path}, &error), 2);
    QVERIFY2(error.count('\n') == 1 && error.contains(reason.toUtf8()), error.constData());
    QVERIFY(!QFile::exists(path));
}

QTEST_GUILESS_MAIN(TestDiveFilm)
#include "tst_divefilm.moc"
