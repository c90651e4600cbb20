#include "Form1.h"
#include "PictureBox.h"
#include "RenderOptions.h"
#include "RenderPicture.h"

#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run
{
    int status = -1;
    QByteArray out;
    QByteArray err;
};

Run Execute(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
        return {};
    }
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

Run Render(const QStringList &arguments)
{
    return Execute(QStringLiteral(LEVYC_RENDER_PATH), arguments);
}

} // namespace

class TestRender : public QObject
{
    Q_OBJECT

private slots:
    void options_data();
    void options();
    void badInputIsOneLineAndLeavesNoFile_data();
    void badInputIsOneLineAndLeavesNoFile();
    void fullDiskKeepsTheOldFile();
    void defaultSizeIsThePictureTheWindowShows();
    void sizeAndTime();
    void help();
};

void TestRender::options_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("time");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("error");

    const QSize normal(573, 413);
    QTest::newRow("output only") << QStringList{"a.png"} << normal << false << "a.png"
                                 << "";
    QTest::newRow("size and time") << QStringList{"--size", "3840x2160", "--time", "b.png"} << QSize(3840, 2160) << true
                                   << "b.png"
                                   << "";
    QTest::newRow("size with =") << QStringList{"--size=1x16384", "c.png"} << QSize(1, 16384) << false << "c.png"
                                 << "";
    QTest::newRow("dash file after --") << QStringList{"--", "-x.png"} << normal << false << "-x.png"
                                        << "";
    QTest::newRow("no output") << QStringList{"--time"} << normal << true << ""
                               << "no output file";
    QTest::newRow("two outputs") << QStringList{"a.png", "b.png"} << normal << false << "a.png"
                                 << "more than one output";
    QTest::newRow("unknown option") << QStringList{"--colour", "a.png"} << normal << false << ""
                                    << "unknown option";
    QTest::newRow("size missing its value") << QStringList{"--size"} << normal << false << ""
                                            << "--size needs";
    for (const char *bad :
         {"0x10", "10x0", "16385x1", "1x16385", "12x", "x12", "axb", "-5x5", "5x5x5", "99999999999x1", " 5x5", "5X5"}) {
        QTest::addRow("bad size '%s'", bad)
            << QStringList{"--size", QString::fromLatin1(bad), "a.png"} << QSize() << false << ""
            << "bad size";
    }
}

void TestRender::options()
{
    QFETCH(QStringList, arguments);
    QFETCH(QSize, size);
    QFETCH(bool, time);
    QFETCH(QString, output);
    QFETCH(QString, error);

    const RenderOptions options = ParseRenderOptions(arguments, QSize(573, 413));
    if (!error.isEmpty()) {
        QVERIFY2(options.error.contains(error), qPrintable(options.error));
        return;
    }
    QCOMPARE(options.error, QString());
    QCOMPARE(options.size, size);
    QCOMPARE(options.time, time);
    QCOMPARE(options.output, output);
}

void TestRender::badInputIsOneLineAndLeavesNoFile_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");

    QTest::newRow("unknown option") << QStringList{"--fast", "%DIR%/out.png"} << "unknown option '--fast'";
    QTest::newRow("malformed size") << QStringList{"--size", "big", "%DIR%/out.png"} << "bad size 'big'";
    QTest::newRow("zero size") << QStringList{"--size", "0x0", "%DIR%/out.png"} << "bad size '0x0'";
    QTest::newRow("side over 16384") << QStringList{"--size", "16385x100", "%DIR%/out.png"} << "bad size";
    QTest::newRow("no output") << QStringList{} << "no output file";
    QTest::newRow("missing directory") << QStringList{"%DIR%/missing/out.png"} << "no directory";
    // Not writable even for root.
    QTest::newRow("unwritable directory") << QStringList{"/proc/levyc-out.png"} << "cannot write '/proc/levyc-out.png'";
}

void TestRender::badInputIsOneLineAndLeavesNoFile()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    arguments.replaceInStrings(QStringLiteral("%DIR%"), dir.path());
    const Run run = Render(arguments);
    QVERIFY(run.status > 0);
    QCOMPARE(run.err.count('\n'), 1);
    QVERIFY2(run.err.startsWith("levyc-render: ") && run.err.contains(message.toUtf8()), run.err.constData());
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    QVERIFY(!QFile::exists(QStringLiteral("/proc/levyc-out.png")));
}

void TestRender::fullDiskKeepsTheOldFile()
{
    // A tiny tmpfs in a private mount namespace: a real ENOSPC, no root needed.
    const QString script = QStringLiteral(
        "set -e; d=$(mktemp -d); mount -t tmpfs -o size=8k none \"$d\"; echo old > \"$d/out.png\"; "
        "status=0; \"$1\" \"$d/out.png\" || status=$?; echo \"status=$status\"; ls -A \"$d\"; cat \"$d/out.png\"");
    const Run probe = Execute(QStringLiteral("unshare"), {"--user", "--map-root-user", "--mount", "true"});
    if (probe.status != 0) {
        QSKIP("user namespaces are not available here");
    }
    const Run run = Execute(QStringLiteral("unshare"), {"--user", "--map-root-user", "--mount", "sh", "-c", script,
                                                        "sh", QStringLiteral(LEVYC_RENDER_PATH)});
    QCOMPARE(run.status, 0);
    QVERIFY2(run.err.contains("No space left on device"), run.err.constData());
    QCOMPARE(run.err.count('\n'), 1);
    QCOMPARE(run.out, QByteArray("status=1\nout.png\nold\n"));
}

void TestRender::defaultSizeIsThePictureTheWindowShows()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("picture.png"));
    const Run run = Render({path});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.err, QByteArray());
    const QImage rendered = QImage(path).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(rendered.size(), DefaultPictureSize());

    Form1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTest::mouseClick(form.findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
    auto *picture = form.findChild<PictureBox *>(QStringLiteral("Picture1"));
    QCOMPARE(picture->canvas().Image().size(), rendered.size());
    QVERIFY(picture->canvas().Image() == rendered);
    const QImage onScreen = picture->grab(picture->contentsRect()).toImage().convertToFormat(QImage::Format_RGB32);
    QVERIFY(onScreen == rendered);
}

void TestRender::sizeAndTime()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("wide.png"));
    const Run run = Render({"--time", "--size", "1200x300", path});
    QCOMPARE(run.status, 0);
    QVERIFY2(QRegularExpression(QStringLiteral("^levyc-render: 3522560 lines in \\d+\\.\\d ms\n$"))
                 .match(QString::fromUtf8(run.err))
                 .hasMatch(),
             run.err.constData());
    const QImage image(path);
    QCOMPARE(image.size(), QSize(1200, 300));
    QCOMPARE(image.pixel(0, 0), qRgb(0, 0, 0));
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{"wide.png"});
}

void TestRender::help()
{
    const Run run = Render({"--help"});
    QCOMPARE(run.status, 0);
    QVERIFY(run.out.startsWith("Usage: levyc-render [--size WxH] [--time] OUTPUT.png\n"));
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
