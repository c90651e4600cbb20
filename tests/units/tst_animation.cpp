#include "drawing/Canvas.h"
#include "drawing/DrawCommands.h"
#include "drawing/Passes.h"
#include "drawing/PictureSize.h"
#include "drawing/Plotter.h"
#include "views/DivePath.h"
#include "views/ViewRender.h"
#include "world/PictureWorld.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "WebPFrames.h"

#include <memory>

using namespace levyc;

namespace {

constexpr int Curves = LastPass + 2;
constexpr int HoldMs = 2000;

int Render(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(LEVYC_RENDER_PATH), arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
        return -1;
    }
    return process.exitCode();
}

// The Draw command's picture once it has drawn `curves` curves: a Stop pressed
// when it handles events before the next one.
QImage DrawnUpTo(QSize size, int curves)
{
    const auto canvas = std::make_unique<Canvas>(size);
    Plotter<Canvas> plotter(*canvas);
    DrawCommands<Canvas> commands(*canvas, plotter);
    QTimer stop;
    stop.setInterval(0);
    QObject::connect(&stop, &QTimer::timeout, [&] {
        if (static_cast<int>(commands.Drawn().size()) >= curves) {
            commands.Command3_Click();
        }
    });
    stop.start();
    commands.Command1_Click();
    return canvas->Image().copy();
}

// Every frame of the file at `path` as shown.
bool Decode(const QString &path, QSize *size, int *loops, QList<WebPFrame> *frames)
{
    const WebPAnimation animation = DecodeWebPFile(path);
    *size = animation.size;
    *loops = animation.loops;
    *frames = animation.frames;
    return animation.valid;
}

} // namespace

class TestAnimation : public QObject
{
    Q_OBJECT

private slots:
    void framesAreTheDrawAfterEachCurve_data();
    void framesAreTheDrawAfterEachCurve();
    void webpToolsAcceptIt();
    void aDeepViewStartsWhereItShows();
    void aWebPDiveEndsAtTheEndView();
};

void TestAnimation::framesAreTheDrawAfterEachCurve_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("frameMs");    // 0: the default
    QTest::addColumn<QString>("window"); // empty: the Draw's
    QTest::newRow("default") << PictureSize << 0 << QString();
    QTest::newRow("wide, 20 ms") << QSize(1200, 300) << 20 << QString();
    QTest::newRow("a zoomed view") << QSize(301, 197) << 10 << QStringLiteral("0,-50,300,-350");
}

void TestAnimation::framesAreTheDrawAfterEachCurve()
{
    QFETCH(QSize, size);
    QFETCH(int, frameMs);
    QFETCH(QString, window);

    QTemporaryDir dir;
    const QString webp = dir.filePath(QStringLiteral("draw.webp"));
    const QString png = dir.filePath(QStringLiteral("picture.png"));
    const QString sizeText = QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
    QStringList arguments{"--size", sizeText, "--animate", webp};
    if (frameMs > 0) {
        arguments << "--frame-ms" << QString::number(frameMs);
    } else {
        frameMs = 49;
    }
    QStringList still{"--size", sizeText, png};
    if (!window.isEmpty()) {
        arguments << "--window" << window;
        still << "--window" << window;
    }
    QCOMPARE(Render(arguments), 0);
    QCOMPARE(Render(still), 0);

    QSize canvas;
    int loops = -1;
    QList<WebPFrame> frames;
    QVERIFY(Decode(webp, &canvas, &loops, &frames));
    QCOMPARE(canvas, size);
    QCOMPARE(loops, 0);
    QVERIFY(!frames.isEmpty());
    // A view's animation leaves out curves that change nothing in sight, so
    // only the Draw's has a frame for every curve; either holds its last.
    QCOMPARE(frames.last().end - frames.last().start, HoldMs);
    QCOMPARE(frames.first().start, 0);
    const QImage finished = QImage(png).convertToFormat(QImage::Format_RGB32);
    if (window.isEmpty()) {
        // The encoder may merge a frame that changes nothing into the one
        // before (pass 0 is black on black), so frames are matched by their
        // start time.
        QImage black(size, QImage::Format_RGB32);
        black.fill(Qt::black);
        QVERIFY(frames.first().image == black);
        QCOMPARE(frames.last().start, Curves * frameMs);
    }
    QVERIFY(frames.last().image == finished);
    for (const WebPFrame &frame : frames.mid(1, frames.size() - 2)) {
        QCOMPARE(frame.start % frameMs, 0);
        const int curves = frame.start / frameMs;
        // The Draw cannot stop between the last pass and the white curve; a
        // view's frames are views, which tst_view holds against the Draw's way.
        if (curves > LastPass || !window.isEmpty()) {
            continue;
        }
        QVERIFY2(frame.image == DrawnUpTo(size, curves), qPrintable(QStringLiteral("after %1 curves").arg(curves)));
    }
}

void TestAnimation::webpToolsAcceptIt()
{
    QTemporaryDir dir;
    const QString webp = dir.filePath(QStringLiteral("draw.webp"));
    QCOMPARE(Render({"--animate", webp}), 0);
    for (const QStringList &command :
         {QStringList{"webpinfo", "-quiet", webp}, QStringList{"webpmux", "-info", webp}}) {
        if (QStandardPaths::findExecutable(command.first()).isEmpty()) {
            QSKIP(qPrintable(command.first() + QStringLiteral(" is missing: scripts/install-deps.sh installs webp")));
        }
        QProcess tool;
        tool.start(command.first(), command.mid(1));
        QVERIFY(tool.waitForFinished(30000));
        const QByteArray info = tool.readAllStandardOutput();
        QVERIFY2(tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0,
                 qPrintable(tool.readAllStandardError() + info));
        if (command.first() == u"webpmux") {
            QVERIFY2(info.contains("Canvas size: 573 x 413") && info.contains("Loop Count : 0"), info.constData());
        }
    }
}

// The white curve's corner, where the Draw's first hundred curves show nothing.
void TestAnimation::aDeepViewStartsWhereItShows()
{
    const WorldWindow deep{299.9999996, -399.9999995, 300.0000004, -400.0000005};
    const QSize size(160, 120);
    QTemporaryDir dir;
    const QString webp = dir.filePath(QStringLiteral("deep.webp"));
    QCOMPARE(Render({"--size", "160x120", "--window", "299.9999996,-399.9999995,300.0000004,-400.0000005", "--animate",
                     webp}),
             0);
    QSize canvas;
    int loops = -1;
    QList<WebPFrame> frames;
    QVERIFY(Decode(webp, &canvas, &loops, &frames));
    QVERIFY(frames.size() >= 2);
    QImage black(size, QImage::Format_RGB32);
    black.fill(Qt::black);
    QVERIFY(frames.first().image != black);
    for (qsizetype i = 0; i < frames.size(); ++i) {
        QCOMPARE(frames[i].end - frames[i].start, i + 1 < frames.size() ? 49 : HoldMs);
        if (i > 0) {
            QVERIFY(frames[i].image != frames[i - 1].image);
        }
    }
    QVERIFY(frames.last().image == RenderView(PictureCurves(), deep, size).image);
}

void TestAnimation::aWebPDiveEndsAtTheEndView()
{
    const WorldWindow end{299.99, -399.99, 300.01, -400.01};
    QTemporaryDir dir;
    const QString webp = dir.filePath(QStringLiteral("dive.webp"));
    // 15 frames of 33 or 34 ms: the dive lasts what was asked.
    QCOMPARE(Render({"--size", "63x35", "--seconds", "0.5", "--fps", "30", "--window", "299.99,-399.99,300.01,-400.01",
                     "--dive", webp}),
             0);
    QSize canvas;
    int loops = -1;
    QList<WebPFrame> frames;
    QVERIFY(Decode(webp, &canvas, &loops, &frames));
    QCOMPARE(canvas, QSize(63, 35));
    QCOMPARE(loops, 0);
    QCOMPARE(frames.size(), 15);
    QCOMPARE(frames.last().end, 500);
    // The first and last frames are the exact views, the first the Draw's at the film's shape.
    const DivePath path(DivePath::StartAt(canvas), end, 0.5, 30, canvas);
    QVERIFY(frames.last().image == RenderView(PictureCurves(), DivePath::WithShapeOf(end, path.First()), canvas).image);
    QVERIFY(frames.first().image == RenderView(PictureCurves(), path.First(), canvas).image);
}

QTEST_MAIN(TestAnimation)
#include "tst_animation.moc"
