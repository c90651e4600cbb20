#include "Eventually.h"
#include "engine/ViewExplorer.h"
#include "engine/ViewRenderThread.h"
#include "views/BoxZoom.h"
#include "views/PreviewPlacement.h"
#include "views/ViewHistory.h"
#include "world/PictureWorld.h"

#include <QMutex>
#include <QWaitCondition>
#include <QtTest>

using namespace levyc;

namespace {

// View c, in the history tests: the window with c as each side.
WorldWindow Named(QChar name)
{
    const double side = name.unicode();
    return WorldWindow{side, side, side, side};
}

// A renderer the test lets go one call at a time. Call n (from 1) gives an
// image of the size asked whose red is n; a call that sees the cancel flag
// gives nothing, unless it is told to finish all the same, as a render that
// was already done would. While it waits it reports as much progress as the
// test tells it.
class Gate
{
public:
    explicit Gate(bool finishCancelled)
        : finishCancelled_(finishCancelled)
    {
    }
    ~Gate() { ReleaseAll(); }
    Q_DISABLE_COPY_MOVE(Gate)

    RenderedView Render(std::span<const CurveRecord> curves, const WorldWindow &window, QSize size,
                        const ViewRenderOptions &options)
    {
        QMutexLocker lock(&mutex_);
        const int call = static_cast<int>(windows_.size()) + 1;
        windows_ << window;
        advance_ = 0;
        changed_.wakeAll();
        const std::int64_t due = AfterCurveCalls(curves, window, size, options);
        std::int64_t reported = 0;
        while (released_ < call) {
            // As far along as the test says, as a render reports it.
            for (; reported < static_cast<std::int64_t>(advance_ * static_cast<double>(due)); ++reported) {
                options.afterCurve();
            }
            advanced_ = advanceAsked_;
            changed_.wakeAll();
            changed_.wait(&mutex_);
        }
        const bool cancelled = options.cancel != nullptr && options.cancel->load();
        cancelled_ << cancelled;
        if (cancelled && !finishCancelled_) {
            return {};
        }
        QImage image(size, QImage::Format_RGB32);
        image.fill(qRgb(call, 0, 0));
        return {image, 0};
    }

    ViewRenderFunction Renderer()
    {
        return [this](std::span<const CurveRecord> curves, const WorldWindow &window, QSize size,
                      const ViewRenderOptions &options) { return Render(curves, window, size, options); };
    }

    // Calls made so far: a render starts once the explorer has had the last one's end.
    qsizetype Entered()
    {
        const QMutexLocker lock(&mutex_);
        return windows_.size();
    }
    // The call waiting now reports this part of its work done.
    void Advance(double fraction)
    {
        QMutexLocker lock(&mutex_);
        advance_ = fraction;
        ++advanceAsked_;
        changed_.wakeAll();
        while (advanced_ != advanceAsked_) {
            changed_.wait(&mutex_);
        }
    }
    void Release()
    {
        const QMutexLocker lock(&mutex_);
        ++released_;
        changed_.wakeAll();
    }
    void ReleaseAll()
    {
        const QMutexLocker lock(&mutex_);
        released_ = 1 << 20;
        changed_.wakeAll();
    }
    QList<WorldWindow> Windows()
    {
        const QMutexLocker lock(&mutex_);
        return windows_;
    }
    QList<bool> Cancelled()
    {
        const QMutexLocker lock(&mutex_);
        return cancelled_;
    }

private:
    const bool finishCancelled_;
    QMutex mutex_;
    QWaitCondition changed_;
    QList<WorldWindow> windows_;
    QList<bool> cancelled_;
    int released_ = 0;
    double advance_ = 0;
    int advanceAsked_ = 0;
    int advanced_ = 0;
};

constexpr QSize ViewSize(64, 48);
const QRgb DrawnColour = qRgb(0, 255, 0);
const WorldWindow ViewA{-35, 50, 235, -250};
const WorldWindow ViewB{-90, 65, -10, -25};

WorldWindow FromList(const QList<double> &sides)
{
    return {sides[0], sides[1], sides[2], sides[3]};
}

} // namespace

class TestExplorer : public QObject
{
    Q_OBJECT

private slots:
    void previewPlacement_data();
    void previewPlacement();
    void onlyTheNewestRenderIsShown_data();
    void onlyTheNewestRenderIsShown();
    void previewRule_data();
    void previewRule();
    void history_data();
    void history();
    void tourBetween_data();
    void tourBetween();
    void zoomToABox_data();
    void zoomToABox();
};

void TestExplorer::previewPlacement_data()
{
    QTest::addColumn<QList<double>>("view");
    QTest::addColumn<bool>("placed");
    QTest::addColumn<QRectF>("source");
    QTest::addColumn<QRectF>("target");
    // The image, 100 by 80 pixels, shows x from 0 to 100 and y from 80 down to 0.
    const QRectF whole(0, 0, 100, 80);
    QTest::newRow("same view") << QList<double>{0, 80, 100, 0} << true << whole << whole;
    QTest::newRow("in by 2 about the centre")
        << QList<double>{25, 60, 75, 20} << true << QRectF(25, 20, 50, 40) << whole;
    QTest::newRow("out by 2 about the centre")
        << QList<double>{-50, 120, 150, -40} << true << whole << QRectF(25, 20, 50, 40);
    QTest::newRow("moved 10 px right") << QList<double>{-10, 80, 90, 0} << true << QRectF(0, 0, 90, 80)
                                       << QRectF(10, 0, 90, 80);
    // Whole source pixels: the half pixel cut at the edge is taken whole and
    // lands partly outside.
    QTest::newRow("half a pixel in") << QList<double>{0.5, 80, 50.5, 40} << true << QRectF(0, 0, 51, 40)
                                     << QRectF(-1, 0, 102, 80);
    QTest::newRow("out of sight") << QList<double>{200, 80, 300, 0} << false << QRectF() << QRectF();
    QTest::newRow("flipped") << QList<double>{100, 80, 0, 0} << false << QRectF() << QRectF();
    QTest::newRow("empty") << QList<double>{5, 80, 5, 0} << false << QRectF() << QRectF();
}

void TestExplorer::previewPlacement()
{
    QFETCH(QList<double>, view);
    QFETCH(bool, placed);
    QFETCH(QRectF, source);
    QFETCH(QRectF, target);
    const std::optional<PreviewPlacement> placement = PlacePreview({0, 80, 100, 0}, FromList(view), QSize(100, 80));
    QCOMPARE(placement.has_value(), placed);
    if (placed) {
        QCOMPARE(placement->source, source);
        QCOMPARE(placement->target, target);
    }
}

void TestExplorer::onlyTheNewestRenderIsShown_data()
{
    // Steps: A or B asks for that view, "zooms" for twenty zooms in quick
    // succession, "zoom" for one, "home" for the Draw's view, "stop" and
    // "explore" end and begin exploring, "enter N" waits for the Nth render to
    // start, "release" lets the oldest waiting one finish, "shown N" waits for
    // N images to be shown, "delivered N" for the Nth finished render to have
    // reached the explorer, shown or not. The images shown are named by their
    // render, 0 for the Draw's own picture.
    QTest::addColumn<bool>("finishCancelled");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QList<int>>("shown");
    QTest::addColumn<QList<bool>>("cancelled");
    QTest::addColumn<QString>("last"); // the view shown at the end

    // A view asked for while another renders comes too fast: a coarse render
    // of it (not shown as exact) comes before its exact one.
    QTest::newRow("cancelled by a newer view")
        << false << QStringList{"A", "enter 1", "B", "release", "enter 2", "release", "enter 3", "release"}
        << QList<int>{3} << QList<bool>{true, false, false} << "B";
    QTest::newRow("finished after its view was asked for again")
        << true << QStringList{"A", "enter 1", "B", "A", "release"} << QList<int>{1} << QList<bool>{true} << "A";
    QTest::newRow("finished after Stop") << true << QStringList{"A", "enter 1", "stop",    "explore",
                                                                "A", "release", "enter 2", "release"}
                                         << QList<int>{2} << QList<bool>{true, false} << "A";
    QTest::newRow("a quick series ends on the last")
        << true << QStringList{"A", "enter 1", "zooms", "release", "enter 2", "release", "enter 3", "release"}
        << QList<int>{3} << QList<bool>{true, false, false} << "zooms";
    QTest::newRow("home and a zoom wait for no render of the Draw's view")
        << false << QStringList{"A", "enter 1", "release", "shown 1", "home", "shown 2", "zoom", "enter 2", "release"}
        << QList<int>{1, 0, 2} << QList<bool>{false, false} << "zoom";
    QTest::newRow("finished after Home") << true << QStringList{"A",           "enter 1", "home",    "release",
                                                                "delivered 1", "zoom",    "enter 2", "release"}
                                         << QList<int>{0, 2} << QList<bool>{true, false} << "zoom";
}

void TestExplorer::onlyTheNewestRenderIsShown()
{
    QFETCH(bool, finishCancelled);
    QFETCH(QStringList, steps);
    QFETCH(QList<int>, shown);
    QFETCH(QList<bool>, cancelled);
    QFETCH(QString, last);

    Gate gate(finishCancelled);
    ViewExplorer explorer(gate.Renderer());
    // The explorer's thread ends only once its render returns.
    const auto unblock = qScopeGuard([&gate] { gate.ReleaseAll(); });
    QList<int> images;
    connect(&explorer, &ViewExplorer::Ready, this, [&](const QImage &image) {
        QCOMPARE(image.size(), ViewSize);
        images << (image.pixel(0, 0) == DrawnColour ? 0 : qRed(image.pixel(0, 0)));
    });
    int delivered = 0;
    // Queued after the explorer's own connection: counted once the explorer has had it.
    connect(
        explorer.findChild<ViewRenderThread *>(), &ViewRenderThread::Rendered, this, [&] { ++delivered; },
        Qt::QueuedConnection);
    QImage drawn(ViewSize, QImage::Format_RGB32);
    drawn.fill(DrawnColour);
    const std::vector<CurveRecord> curves = {CurveRecord{}};
    explorer.Explore(curves, drawn);
    const QPointF centre(ViewSize.width() / 2.0, ViewSize.height() / 2.0);
    QMap<QString, WorldWindow> views{{"A", ViewA}, {"B", ViewB}};

    for (const QString &step : steps) {
        const QStringList words = step.split(u' ');
        if (views.contains(step)) {
            explorer.SetView(views[step]);
        } else if (step == u"zooms") {
            for (int zoom = 0; zoom < 20; ++zoom) {
                explorer.ZoomAbout(centre + QPointF(zoom, -zoom), 1.25);
            }
            views[step] = explorer.View();
        } else if (step == u"zoom") {
            explorer.ZoomAbout(centre, 2);
            views[step] = explorer.View();
        } else if (step == u"home") {
            explorer.ResetView();
        } else if (step == u"stop") {
            explorer.Stop();
        } else if (step == u"explore") {
            explorer.Explore(curves, drawn);
        } else if (words.front() == u"enter") {
            TRY_VERIFY(gate.Entered() >= words.back().toInt());
        } else if (words.front() == u"delivered") {
            TRY_COMPARE(delivered, words.back().toInt());
        } else if (words.front() == u"shown") {
            TRY_COMPARE(images.size(), words.back().toInt());
        } else if (step == u"release") {
            gate.Release();
        } else {
            QFAIL(qPrintable(step));
        }
    }
    TRY_COMPARE(images.size(), shown.size());
    // Anything stale would have come before the last: the thread delivers in order.
    QCOMPARE(images, shown);
    QCOMPARE(gate.Cancelled(), cancelled);
    QCOMPARE(explorer.Shown(), views[last]);
    QCOMPARE(explorer.View(), views[last]);
    for (const WorldWindow &window : gate.Windows()) {
        QVERIFY(window != PictureWorld);
    }
}

void TestExplorer::previewRule_data()
{
    // Steps: "notch N" zooms in N wheel notches about the centre, the rest as
    // above; "advance F" has the waiting render report that part done, and
    // "picture N" waits for render N on screen. Views are named by the
    // notches that led to them, 0 for the Draw's; pictures by their render.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("picture");
    QTest::addColumn<int>("placedFor");
    QTest::addColumn<bool>("coarse");
    QTest::addColumn<bool>("exact");

    // 1.25 cubed is under 2, to the fourth over: the screen stops there.
    QTest::newRow("many notches, no render completes") << QStringList{"notch 20"} << 0 << 3 << false << false;
    QTest::newRow("a coarse render completes")
        << QStringList{"notch 5", "release", "enter 2", "release", "picture 2"} << 2 << 5 << true << false;
    QTest::newRow("a stale nearly done render is the newer view's preview")
        << QStringList{"notch 1", "enter 1", "advance 0.9", "notch 3", "release", "picture 1"} << 1 << 4 << false
        << false;
    QTest::newRow("the exact view arrives")
        << QStringList{"notch 5", "release", "enter 2", "release", "picture 2", "enter 3", "release", "picture 3"} << 3
        << 5 << false << true;
}

void TestExplorer::previewRule()
{
    QFETCH(QStringList, steps);
    QFETCH(int, picture);
    QFETCH(int, placedFor);
    QFETCH(bool, coarse);
    QFETCH(bool, exact);

    Gate gate(false);
    ViewExplorer explorer(gate.Renderer());
    const auto unblock = qScopeGuard([&gate] { gate.ReleaseAll(); });
    // How many screen pixels a pixel of what the screen shows spans, at every change.
    double largest = 0;
    const auto look = [&] {
        if (explorer.Shown() == explorer.View()) {
            largest = std::max(largest, 1.0);
        } else if (const std::optional<PreviewPlacement> placed = explorer.PlacePreview()) {
            largest = std::max({largest, placed->target.width() / placed->source.width(),
                                placed->target.height() / placed->source.height()});
        }
    };
    connect(&explorer, &ViewExplorer::ViewChanged, this, look);
    connect(&explorer, &ViewExplorer::PreviewChanged, this, look);
    QList<int> exacts;
    connect(&explorer, &ViewExplorer::Ready, this, [&](const QImage &image) {
        exacts << qRed(image.pixel(0, 0));
        look();
    });
    QImage drawn(ViewSize, QImage::Format_RGB32);
    drawn.fill(DrawnColour);
    explorer.Explore({CurveRecord{}}, drawn);
    QList<WorldWindow> views{explorer.View()};
    for (const QString &step : steps) {
        const QStringList words = step.split(u' ');
        if (words.front() == u"notch") {
            for (int notch = 0; notch < words.back().toInt(); ++notch) {
                explorer.ZoomAbout(QPointF(ViewSize.width() / 2.0, ViewSize.height() / 2.0), 1.25);
                views << explorer.View();
            }
        } else if (words.front() == u"enter") {
            TRY_VERIFY(gate.Entered() >= words.back().toInt());
        } else if (step == u"release") {
            gate.Release();
        } else if (words.front() == u"advance") {
            gate.Advance(words.back().toDouble());
        } else if (words.front() == u"picture") {
            TRY_COMPARE(qRed(explorer.Preview().pixel(0, 0)), words.back().toInt());
        } else {
            QFAIL(qPrintable(step));
        }
    }
    QCOMPARE(qRed(explorer.Preview().pixel(0, 0)), picture);
    QCOMPARE(explorer.Preview().size(), coarse ? ViewSize / 2 : ViewSize);
    QCOMPARE(explorer.PlacedFor(), views[placedFor]);
    QCOMPARE(explorer.Shown() == explorer.View(), exact);
    QCOMPARE(exacts, exact ? QList<int>{picture} : QList<int>{});
    QVERIFY2(largest > 0 && largest <= PreviewPlan::MaxEnlargement, qPrintable(QString::number(largest)));
}

void TestExplorer::history_data()
{
    // Steps: a letter settles that view, < goes back, > goes forward; the
    // list starts at view 0.
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("visited"); // the views each < and > went to
    QTest::addColumn<QChar>("current");
    QTest::addColumn<bool>("canBack");
    QTest::addColumn<bool>("canForward");
    QTest::newRow("back and forward") << "abcde<<>"
                                      << "dcd" << QChar('d') << true << true;
    QTest::newRow("all the way back and past it") << "ab<<<"
                                                  << "a0" << QChar('0') << false << true;
    QTest::newRow("all the way forward and past it") << "ab<<>>>"
                                                     << "a0ab" << QChar('b') << true << false;
    QTest::newRow("a new view drops what lay ahead") << "abc<<d>"
                                                     << "ba" << QChar('d') << true << false;
    QTest::newRow("the same view again is no step") << "aab<<"
                                                    << "a0" << QChar('0') << false << true;
    QTest::newRow("settling where it stands is no step") << "ab<a>"
                                                         << "ab" << QChar('b') << true << false;
}

void TestExplorer::history()
{
    QFETCH(QString, steps);
    QFETCH(QString, visited);
    QFETCH(QChar, current);
    QFETCH(bool, canBack);
    QFETCH(bool, canForward);
    ViewHistory history;
    history.Start(Named('0'));
    WorldWindow at = Named('0');
    QString went;
    for (const QChar step : steps) {
        if (step == u'<' || step == u'>') {
            if (const std::optional<WorldWindow> moved = step == u'<' ? history.Back() : history.Forward()) {
                at = *moved;
                went += QChar(static_cast<char16_t>(moved->Left));
            }
        } else {
            history.Settle(Named(step));
            at = Named(step);
        }
    }
    QCOMPARE(went, visited);
    QCOMPARE(at, Named(current));
    QCOMPARE(history.CanGoBack(), canBack);
    QCOMPARE(history.CanGoForward(), canForward);
}

void TestExplorer::tourBetween_data()
{
    QTest::addColumn<QString>("steps"); // views settled after '0', and < for Back
    QTest::addColumn<QChar>("to");      // the view the tour ends at
    QTest::addColumn<QString>("between");
    QTest::newRow("in order, the ends left out") << "abc" << QChar(u'c') << "ab";
    QTest::newRow("a view visited twice, once") << "abac" << QChar(u'c') << "ab";
    QTest::newRow("back at the start, a round trip") << "ab0" << QChar(u'0') << "ab";
    QTest::newRow("views ahead of the current one left out") << "abc<<" << QChar(u'a') << "";
    // Moved on from the current view, not yet settled: that view is on the way.
    QTest::newRow("the current view, moved on from") << "ab" << QChar(u'x') << "ab";
}

// The views a dive through the views visited passes, from '0'.
void TestExplorer::tourBetween()
{
    QFETCH(QString, steps);
    QFETCH(QChar, to);
    QFETCH(QString, between);
    ViewHistory history;
    history.Start(Named('0'));
    for (const QChar step : steps) {
        if (step == u'<') {
            history.Back();
        } else {
            history.Settle(Named(step));
        }
    }
    QString passed;
    for (const WorldWindow &window : history.Between(Named('0'), Named(to))) {
        passed += QChar(static_cast<char16_t>(window.Left));
    }
    QCOMPARE(passed, between);
}

void TestExplorer::zoomToABox_data()
{
    // The image is 100 by 80 pixels; "from" is the window it shows.
    QTest::addColumn<QList<double>>("from");
    QTest::addColumn<QRectF>("box");
    QTest::addColumn<QList<double>>("view");
    const QList<double> whole{0, 80, 100, 0};
    QTest::newRow("the middle quarter") << whole << QRectF(25, 20, 50, 40) << QList<double>{25, 60, 75, 20};
    QTest::newRow("drawn up and left") << whole << QRectF(75, 60, -50, -40) << QList<double>{25, 60, 75, 20};
    // The width sets the scale; the height shows more than the box.
    QTest::newRow("wide") << whole << QRectF(0, 0, 50, 10) << QList<double>{0, 95, 50, 55};
    QTest::newRow("tall") << whole << QRectF(10, 10, 10, 40) << QList<double>{-10, 70, 40, 30};
    QTest::newRow("no area") << whole << QRectF(10, 10, 0, 20) << whole;
    // Twenty times narrower than the narrowest view: it stays where it was.
    const QList<double> deepest{0, 8e-10, 1e-9, 0};
    QTest::newRow("past the narrowest") << deepest << QRectF(40, 30, 5, 4) << deepest;
}

void TestExplorer::zoomToABox()
{
    QFETCH(QList<double>, from);
    QFETCH(QRectF, box);
    QFETCH(QList<double>, view);
    QCOMPARE(ZoomedToBox(FromList(from), QSizeF(100, 80), box), FromList(view));
}

QTEST_MAIN(TestExplorer)
#include "tst_explorer.moc"
