#include "RecordingSurface.h"
#include "drawing/DrawCommands.h"
#include "drawing/PictureSize.h"
#include "drawing/RampColor.h"

#include <QtTest>

using namespace levyc;

namespace {

using Commands = DrawCommands<RecordingSurface>;

constexpr long WholeRun = PictureLines;

// Lines of one curve: the smallest power of two 2^k with length^2 <= 2^k.
long CurveLines(int length)
{
    long lines = 1;
    while (static_cast<long>(length) * length > lines) {
        lines *= 2;
    }
    return lines;
}

// Lines of passes 0 .. pass - 1.
long LinesBefore(int pass)
{
    long lines = 0;
    for (int i = 0; i < pass; ++i) {
        lines += CurveLines(100 + i);
    }
    return lines;
}

// A line well inside curve `pass` of a run that started after `offset` lines.
long InsidePass(int pass, long offset = 0)
{
    return offset + LinesBefore(pass) + 100;
}

struct Bench
{
    RecordingSurface surface;
    Plotter<RecordingSurface> plotter{surface};
    Commands commands{surface, plotter};

    // Presses made while the given line is drawn: 'D' Draw, 'S' Stop, 'X' closing.
    void PressAt(long line, QChar press)
    {
        presses.append({line, press});
        surface.OnLine = [this](long drawn) {
            for (const auto &[at, key] : std::as_const(presses)) {
                if (at == drawn) {
                    Post(key);
                }
            }
        };
    }

    // Queued like a real button press: handled at the next pass.
    void Post(QChar press)
    {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [this, press] {
                if (press == u'D') {
                    commands.Command1_Click();
                } else if (press == u'S') {
                    commands.Command3_Click();
                } else {
                    commands.Abandon();
                }
            },
            Qt::QueuedConnection);
    }

    QList<QPair<long, QChar>> presses;
};

} // namespace

class TestDrawCommands : public QObject
{
    Q_OBJECT

private slots:
    void wholeRun();
    void pressesDuringARun_data();
    void pressesDuringARun();
    void nestingStopsAtItsCap();
    void closingEndsEveryRunAndLaterDrawsAreIgnored();
};

void TestDrawCommands::wholeRun()
{
    Bench bench;
    bench.commands.Command1_Click();
    const RecordingSurface &s = bench.surface;

    QCOMPARE(s.ScaleLeft, static_cast<float>(PictureWorld.Left));
    QCOMPARE(s.ScaleTop, static_cast<float>(PictureWorld.Top));
    QCOMPARE(s.ScaleWidth, static_cast<float>(PictureWorld.Right - PictureWorld.Left));
    QCOMPARE(s.ScaleHeight, static_cast<float>(PictureWorld.Bottom - PictureWorld.Top));
    QCOMPARE(s.BackColor, RGB(0, 0, 0));
    QCOMPARE(s.DrawWidth, 1);
    QCOMPARE(s.ClsBeforeLine, std::vector<long>{0});

    QCOMPARE(s.Lines, WholeRun);
    QCOMPARE(s.Refreshes, 3519L);
    QCOMPARE(s.Lines - s.RefreshedAfterLine.back(), 41L);

    QCOMPARE(s.Strokes.size(), 102U);
    for (int i = 0; i <= 100; ++i) {
        const Stroke &curve = s.Strokes[static_cast<size_t>(i)];
        const auto pass = static_cast<std::int16_t>(i);
        QCOMPARE(curve.startX, static_cast<float>(PassCurve(pass).X));
        QCOMPARE(curve.startY, static_cast<float>(PassCurve(pass).Y));
        QCOMPARE(curve.endX, static_cast<float>(PassCurve(pass).X + 100 + i));
        QCOMPARE(curve.color, RampColor(15.0 * i));
        QCOMPARE(curve.lines, CurveLines(100 + i));
    }
    QCOMPARE(s.Strokes.front().color, RGB(0, 0, 0));
    const Stroke &white = s.Strokes.back();
    const Stroke &last = s.Strokes[100];
    QCOMPARE(white.color, RGB(255, 255, 255));
    QCOMPARE(white.lines, last.lines);
    QCOMPARE(QPointF(white.startX, white.startY), QPointF(last.startX, last.startY));
    QCOMPARE(QPointF(white.endX, white.endY), QPointF(last.endX, last.endY));
    QVERIFY(!bench.commands.Running());

    // The count starts afresh at each Draw: 1001 lines to the first refresh, not 960.
    const long before = s.Lines;
    const size_t refreshes = s.RefreshedAfterLine.size();
    bench.commands.Command1_Click();
    QCOMPARE(s.RefreshedAfterLine.at(refreshes) - before, 1001L);
}

void TestDrawCommands::pressesDuringARun_data()
{
    QTest::addColumn<QList<long>>("atLines");
    QTest::addColumn<QString>("presses");
    QTest::addColumn<long>("lines");
    QTest::addColumn<int>("curves");
    QTest::addColumn<int>("clears");
    QTest::addColumn<bool>("endsWhite");

    const long nestedAt10 = LinesBefore(11);
    QTest::newRow("stop in pass 0") << QList<long>{InsidePass(0)} << "S" << LinesBefore(1) << 1 << 1 << false;
    QTest::newRow("stop in pass 40: curve 40 completes")
        << QList<long>{InsidePass(40)} << "S" << LinesBefore(41) << 41 << 1 << false;
    QTest::newRow("stop in pass 99") << QList<long>{InsidePass(99)} << "S" << LinesBefore(100) << 100 << 1 << false;
    QTest::newRow("stop in pass 100: white still drawn")
        << QList<long>{InsidePass(100)} << "S" << WholeRun << 102 << 1 << true;
    QTest::newRow("draw in pass 10: nested run, then the rest")
        << QList<long>{InsidePass(10)} << "D" << 2 * WholeRun << 204 << 2 << true;
    QTest::newRow("draw in pass 100: a new run afterwards")
        << QList<long>{InsidePass(100)} << "D" << 2 * WholeRun << 204 << 2 << true;
    QTest::newRow("stop then draw pending: both runs complete")
        << QList<long>{InsidePass(30), InsidePass(30)} << "SD" << 2 * WholeRun << 204 << 2 << true;
    QTest::newRow("draw then stop pending: both runs end")
        << QList<long>{InsidePass(30), InsidePass(30)} << "DS" << LinesBefore(31) << 31 << 2 << false;
    QTest::newRow("stop in the nested run's pass 5 ends both")
        << QList<long>{InsidePass(10), InsidePass(5, nestedAt10)} << "DS" << nestedAt10 + LinesBefore(6) << 17 << 2
        << false;
}

void TestDrawCommands::pressesDuringARun()
{
    QFETCH(QList<long>, atLines);
    QFETCH(QString, presses);
    QFETCH(long, lines);
    QFETCH(int, curves);
    QFETCH(int, clears);
    QFETCH(bool, endsWhite);

    Bench bench;
    for (int i = 0; i < atLines.size(); ++i) {
        bench.PressAt(atLines[i], presses[i]);
    }
    bench.commands.Command1_Click();
    // A press made during the last curves waits for the event loop.
    QCoreApplication::processEvents();

    const RecordingSurface &s = bench.surface;
    QCOMPARE(s.Lines, lines);
    QCOMPARE(static_cast<int>(s.Strokes.size()), curves);
    QCOMPARE(static_cast<int>(s.ClsBeforeLine.size()), clears);
    QCOMPARE(s.Strokes.back().color == RGB(255, 255, 255), endsWhite);
    // Every curve drawn is complete.
    for (const Stroke &curve : s.Strokes) {
        QCOMPARE(curve.endY, curve.startY);
    }
    QVERIFY(!bench.commands.Running());
}

void TestDrawCommands::nestingStopsAtItsCap()
{
    Bench bench;
    size_t runs = 0;
    // Each run presses Draw again during its first curve; the deepest presses
    // Stop too. None ends before that, so the runs begun are the depth.
    bench.surface.OnLine = [&](long) {
        if (bench.surface.ClsBeforeLine.size() > runs) {
            runs = bench.surface.ClsBeforeLine.size();
            bench.Post(u'D');
            if (runs == static_cast<size_t>(Commands::MaxNestedDraws)) {
                bench.Post(u'S');
            }
        }
    };
    // One summary line, when the outermost run ends.
    QTest::ignoreMessage(QtWarningMsg, "levyc: 1 Draw press ignored: 32 drawings were already running");
    bench.commands.Command1_Click();
    QCoreApplication::processEvents();

    QCOMPARE(bench.surface.ClsBeforeLine.size(), static_cast<size_t>(Commands::MaxNestedDraws));
    QVERIFY(!bench.commands.Running());
}

void TestDrawCommands::closingEndsEveryRunAndLaterDrawsAreIgnored()
{
    Bench bench;
    bench.PressAt(InsidePass(10), u'D');
    bench.PressAt(InsidePass(5, LinesBefore(11)), u'X');
    bench.commands.Command1_Click();

    // Passes 0-10 of the outer run, 0-5 of the nested one; no white curve.
    QCOMPARE(bench.surface.Lines, LinesBefore(11) + LinesBefore(6));
    QCOMPARE(bench.surface.Strokes.size(), 17U);
    QVERIFY(bench.surface.Strokes.back().color != RGB(255, 255, 255));

    bench.commands.Command1_Click();
    QCOMPARE(bench.surface.ClsBeforeLine.size(), 2U);
    QCOMPARE(bench.surface.Lines, LinesBefore(11) + LinesBefore(6));
}

QTEST_GUILESS_MAIN(TestDrawCommands)
#include "tst_drawcommands.moc"
