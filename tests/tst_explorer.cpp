#include "views/BoxZoom.h"
#include "views/PreviewPlacement.h"
#include "views/ViewHistory.h"
#include "widgets/ViewExplorer.h"
#include "widgets/ViewRenderThread.h"
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
// image whose red is n; a call that sees the cancel flag gives nothing, unless
// it is told to finish all the same, as a render that was already done would.
class Gate
{
public:
    explicit Gate(bool finishCancelled)
        : finishCancelled_(finishCancelled)
    {
    }
    ~Gate() { ReleaseAll(); }
    Q_DISABLE_COPY_MOVE(Gate)

    RenderedView Render(const WorldWindow &window, QSize size, const ViewRenderOptions &options)
    {
        QMutexLocker lock(&mutex_);
        const int call = static_cast<int>(windows_.size()) + 1;
        windows_ << window;
        changed_.wakeAll();
        while (released_ < call) {
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

    void WaitEntered(int calls)
    {
        QMutexLocker lock(&mutex_);
        while (windows_.size() < calls) {
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

    QTest::newRow("cancelled by a newer view")
        << false << QStringList{"A", "enter 1", "B", "release", "enter 2", "release"} << QList<int>{2}
        << QList<bool>{true, false} << "B";
    QTest::newRow("finished after a newer request for the same view")
        << true << QStringList{"A", "enter 1", "B", "A", "release", "enter 2", "release"} << QList<int>{2}
        << QList<bool>{true, false} << "A";
    QTest::newRow("finished after Stop") << true << QStringList{"A", "enter 1", "stop",    "explore",
                                                                "A", "release", "enter 2", "release"}
                                         << QList<int>{2} << QList<bool>{true, false} << "A";
    QTest::newRow("a quick series ends on the last")
        << true << QStringList{"A", "enter 1", "zooms", "release", "enter 2", "release"} << QList<int>{2}
        << QList<bool>{true, false} << "zooms";
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
    ViewExplorer explorer([&gate](std::span<const CurveRecord>, const WorldWindow &window, QSize size,
                                  const ViewRenderOptions &options) { return gate.Render(window, size, options); });
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
            gate.WaitEntered(words.back().toInt());
        } else if (words.front() == u"delivered") {
            QTRY_COMPARE(delivered, words.back().toInt());
        } else if (words.front() == u"shown") {
            QTRY_COMPARE(images.size(), words.back().toInt());
        } else if (step == u"release") {
            gate.Release();
        } else {
            QFAIL(qPrintable(step));
        }
    }
    QTRY_COMPARE(images.size(), shown.size());
    // Anything stale would have come before the last: the thread delivers in order.
    QCOMPARE(images, shown);
    QCOMPARE(gate.Cancelled(), cancelled);
    QCOMPARE(explorer.Shown(), views[last]);
    QCOMPARE(explorer.View(), views[last]);
    for (const WorldWindow &window : gate.Windows()) {
        QVERIFY(window != PictureWorld);
    }
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
