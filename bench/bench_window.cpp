// A full Draw in the real window, with all its refreshes, against the headless
// render in the same run; the cost of 3519 one-pixel repaints through the same
// widget as the bound for the refreshes; peak memory. Run on an X server (make
// bench starts Xvfb). --shared-memory measures Qt's default update path instead
// of the program's choice.
#include "DisplaySetup.h"
#include "Form1.h"
#include "PictureBox.h"
#include "RenderPicture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <vector>

namespace {

constexpr int Runs = 7;
constexpr int RefreshesPerDraw = 3519;

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <typename Work> double Milliseconds(Work &&work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
        }
        return QObject::eventFilter(watched, event);
    }
};

long PeakKiB(const QString &statusFile)
{
    QFile file(statusFile);
    if (!file.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').front().toLong();
        }
    }
    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2 || std::string_view(argv[1]) != "--shared-memory") {
        SetUpDisplay();
    }
    QApplication app(argc, argv);
    Form1 form;
    form.show();
    auto *picture = form.findChild<PictureBox *>(QStringLiteral("Picture1"));
    auto *draw = form.findChild<QPushButton *>(QStringLiteral("Command1"));
    for (int i = 0; i < 50; ++i) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }

    PaintCounter counter;
    picture->installEventFilter(&counter);
    std::vector<double> headless;
    std::vector<double> onScreen;
    std::vector<double> bound;
    int paintsPerDraw = 0;
    for (int run = 0; run < Runs; ++run) {
        headless.push_back(RenderPicture(DefaultPictureSize()).milliseconds);
        counter.paints = 0;
        onScreen.push_back(Milliseconds([&] { draw->click(); }));
        paintsPerDraw = counter.paints;
        QApplication::processEvents();
        const QRect pixel(picture->contentsRect().topLeft(), QSize(1, 1));
        bound.push_back(Milliseconds([&] {
            for (int i = 0; i < RefreshesPerDraw; ++i) {
                picture->repaint(pixel);
            }
        }));
    }
    const long windowPeak = PeakKiB(QStringLiteral("/proc/self/status"));

    const double headlessMs = Median(headless);
    const double onScreenMs = Median(onScreen);
    const double boundMs = Median(bound);
    const double refreshMs = onScreenMs - headlessMs;
    std::printf("platform %s, QT_XCB_NO_MITSHM=%s, medians of %d runs\n", qPrintable(QApplication::platformName()),
                qgetenv("QT_XCB_NO_MITSHM").isEmpty() ? "unset" : qgetenv("QT_XCB_NO_MITSHM").constData(), Runs);
    std::printf("headless render       %8.2f ms\n", headlessMs);
    std::printf("full Draw on screen   %8.2f ms  (%d paint events: %d refreshes and the clears)\n", onScreenMs,
                paintsPerDraw, RefreshesPerDraw);
    std::printf("refreshes             %8.2f ms  (%.1f us each)\n", refreshMs, 1000.0 * refreshMs / RefreshesPerDraw);
    std::printf("on screen / headless  %8.2f     (target at most 4)\n", onScreenMs / headlessMs);
    std::printf("bound: %d repaints of one pixel %8.2f ms; refreshes / bound %.2f (at most 1.5)\n", RefreshesPerDraw,
                boundMs, refreshMs / boundMs);

    std::printf("peak memory of this window after %d Draws: %.1f MiB (at most 60)\n", Runs,
                static_cast<double>(windowPeak) / 1024.0);
    return 0;
}
