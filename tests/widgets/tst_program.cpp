#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// levyc itself, started as a launcher or a shell would start it.
class TestProgram : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void withoutADisplay_data();
    void withoutADisplay();

private:
    // Where an argument's @NAME is: PNGs with a view and without.
    QTemporaryDir files_;
};

void TestProgram::initTestCase()
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::black);
    QVERIFY(image.save(files_.filePath(QStringLiteral("plain.png"))));
    image.setText(QStringLiteral("levyc-view"), QStringLiteral("--window -300,410,510,-500 --size 573x413"));
    QVERIFY(image.save(files_.filePath(QStringLiteral("view.png"))));
}

void TestProgram::withoutADisplay_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("platform");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::addColumn<QString>("outFile"); // where standard output goes, when not to the test

    QTest::newRow("--help") << QStringList{"--help"} << ""
                            << "" << 0 << "Usage: levyc [--help | --version]\n"
                            << ""
                            << "";
    QTest::newRow("-h") << QStringList{"-h"} << ""
                        << "" << 0 << "Usage: levyc [--help | --version]\n"
                        << ""
                        << "";
    QTest::newRow("--version") << QStringList{"--version"} << ""
                               << "" << 0 << "levyc 1."
                               << ""
                               << "";
    // The toolkit's own reason, held back while it connects, on the line after.
    QTest::newRow("no display") << QStringList{} << ""
                                << "" << 1 << ""
                                << "levyc: no display could be opened (DISPLAY is not set, WAYLAND_DISPLAY is not "
                                   "set)\nlevyc: could not connect to display\n"
                                << "";
    QTest::newRow("a display that is not there")
        << QStringList{} << ":9999"
        << "" << 1 << ""
        << "levyc: no display could be opened (DISPLAY is ':9999', WAYLAND_DISPLAY is not set)\nlevyc: could not "
           "connect to display :9999\n"
        << "";
    // The display variables only for the platforms that read them.
    QTest::newRow("no such platform plugin")
        << QStringList{} << ":9999"
        << "nonsense" << 1 << ""
        << "levyc: no display could be opened (QT_QPA_PLATFORM is 'nonsense')\nlevyc: Could not find the Qt platform "
           "plugin \"nonsense\" in \"\"\n"
        << "";
    // Qt's own options are let through; anything else is refused before a display is looked for.
    QTest::newRow("Qt's -platform") << QStringList{"-platform", "nonsense"} << ""
                                    << "" << 1 << ""
                                    << "levyc: no display could be opened (-platform is 'nonsense')\nlevyc: Could not "
                                       "find the Qt platform plugin \"nonsense\" in \"\"\n"
                                    << "";
    QTest::newRow("Qt's -platform=") << QStringList{"-platform=nonsense"} << ":9999"
                                     << "" << 1 << ""
                                     << "levyc: no display could be opened (-platform is 'nonsense')\nlevyc: Could "
                                        "not find the Qt platform plugin \"nonsense\" in \"\"\n"
                                     << "";
    QTest::newRow("--help, then an unknown option") << QStringList{"--help", "--bogus"} << ":9999"
                                                    << "" << 2 << ""
                                                    << "levyc: unknown option '--bogus' (see --help)\n"
                                                    << "";
    QTest::newRow("unknown option") << QStringList{"--bogus"} << ":9999"
                                    << "" << 2 << ""
                                    << "levyc: unknown option '--bogus' (see --help)\n"
                                    << "";
    QTest::newRow("a file that is not there")
        << QStringList{"@none.png"} << ":9999"
        << "" << 2 << ""
        << "levyc: 'none.png' is not a PNG image that can be read: File not found\n"
        << "";
    QTest::newRow("a PNG that holds no view")
        << QStringList{"@plain.png"} << ":9999"
        << "" << 2 << ""
        << "levyc: 'plain.png' holds no view: only a PNG saved or copied from a view, or made by levyc-render with "
           "--window or --centre, does\n"
        << "";
    QTest::newRow("a PNG's view and another") << QStringList{"@view.png", "--window", "0,1,1,0"} << ":9999"
                                              << "" << 2 << ""
                                              << "levyc: a PNG's view does not go with --window, --centre, --zoom "
                                                 "or --size\n"
                                              << "";
    QTest::newRow("two files") << QStringList{"@view.png", "other.png"} << ":9999"
                               << "" << 2 << ""
                               << "levyc: more than one file: 'other.png' (see --help)\n"
                               << "";
    QTest::newRow("Qt's option without its value") << QStringList{"-style"} << ":9999"
                                                   << "" << 2 << ""
                                                   << "levyc: option '-style' needs a value (see --help)\n"
                                                   << "";
    // A view to show: refused before any display is looked for, or let through to it.
    const QString noDisplay =
        "levyc: no display could be opened (DISPLAY is ':9999', WAYLAND_DISPLAY is not set)\nlevyc: could not "
        "connect to display :9999\n";
    QTest::newRow("a view") << QStringList{"--window", "-300,410,510,-500", "--size", "573x413"} << ":9999"
                            << "" << 1 << "" << noDisplay << "";
    QTest::newRow("a PNG's view") << QStringList{"@view.png"} << ":9999"
                                  << "" << 1 << "" << noDisplay << "";
    QTest::newRow("a centred view, with '='") << QStringList{"--centre=105,-45", "--zoom=1e6"} << ":9999"
                                              << "" << 1 << "" << noDisplay << "";
    QTest::newRow("a centre as the overlay writes it, with a space")
        << QStringList{"--centre", "105, -45", "--zoom", "2"} << ":9999"
        << "" << 1 << "" << noDisplay << "";
    QTest::newRow("three corners") << QStringList{"--window", "1,2,3"} << ":9999"
                                   << "" << 2 << ""
                                   << "levyc: bad window '1,2,3': expected X1,Y1,X2,Y2 (see --help)\n"
                                   << "";
    QTest::newRow("--window without its value") << QStringList{"--window"} << ":9999"
                                                << "" << 2 << ""
                                                << "levyc: option '--window' needs a value (see --help)\n"
                                                << "";
    QTest::newRow("a centre without a zoom") << QStringList{"--centre", "1,2"} << ":9999"
                                             << "" << 2 << ""
                                             << "levyc: --centre needs --zoom (see --help)\n"
                                             << "";
    QTest::newRow("--help, then a zoom of 0") << QStringList{"--help", "--centre", "1,2", "--zoom", "0"} << ":9999"
                                              << "" << 2 << ""
                                              << "levyc: bad zoom '0': expected a number other than 0 (see --help)\n"
                                              << "";
    QTest::newRow("too wide once given the picture's shape")
        << QStringList{"--window", "0,1,9e6,0"} << ":9999"
        << "" << 2 << ""
        << "levyc: the view, given the picture's shape, is too wide to draw (see --help)\n"
        << "";
    for (const char *option : {"--help", "--version"}) {
        QTest::addRow("%s to a full disk", option) << QStringList{QString::fromLatin1(option)} << ""
                                                   << "" << 1 << ""
                                                   << "levyc: cannot write standard output: No space left on device\n"
                                                   << "/dev/full";
    }
}

void TestProgram::withoutADisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, display);
    QFETCH(QString, platform);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QFETCH(QString, outFile);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment.remove(QString::fromLatin1(variable));
    }
    if (!display.isEmpty()) {
        environment.insert(QStringLiteral("DISPLAY"), display);
    }
    if (!platform.isEmpty()) {
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    }
    for (QString &argument : arguments) {
        if (argument.startsWith(u'@')) {
            argument = files_.filePath(argument.mid(1));
        }
    }
    QProcess levyc;
    levyc.setProcessEnvironment(environment);
    if (!outFile.isEmpty()) {
        levyc.setStandardOutputFile(outFile);
    }
    levyc.start(QStringLiteral(LEVYC_PATH), arguments);
    QVERIFY(levyc.waitForFinished(30000));
    // Not a crash: an exit of its own, with one line of its own.
    QCOMPARE(levyc.exitStatus(), QProcess::NormalExit);
    QCOMPARE(levyc.exitCode(), status);
    QVERIFY2(levyc.readAllStandardOutput().startsWith(out.toUtf8()), qPrintable(out));
    QCOMPARE(QString::fromUtf8(levyc.readAllStandardError()), err);
}

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_program.moc"
