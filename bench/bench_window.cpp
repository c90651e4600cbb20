// A full Draw in the real window, with all its refreshes, against the headless
// render in the same run; the frames it asked for; peak memory. Run it on a
// display (make bench starts Xvfb).
#include "Form1.h"
#include "PictureBox.h"
#include "PictureGeometry.h"
#include "RenderPicture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace levyc;

namespace {

constexpr int Runs = 7;

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
    int paintsPerDraw = 0;
    for (int run = 0; run < Runs; ++run) {
        headless.push_back(RenderPicture(PictureSize).milliseconds);
        counter.paints = 0;
        onScreen.push_back(Milliseconds([&] { draw->click(); }));
        // The last frame follows within one display frame.
        QElapsedTimer settle;
        settle.start();
        while (settle.nsecsElapsed() < 2 * picture->FrameIntervalNs()) {
            QApplication::processEvents(QEventLoop::AllEvents, 1);
        }
        paintsPerDraw = counter.paints;
    }
    const long windowPeak = PeakKiB(QStringLiteral("/proc/self/status"));

    const double headlessMs = Median(headless);
    const double onScreenMs = Median(onScreen);
    std::printf("platform %s, device pixel ratio %.2f, display frame %.1f ms, medians of %d runs\n",
                qPrintable(QApplication::platformName()), picture->devicePixelRatioF(),
                static_cast<double>(picture->FrameIntervalNs()) / 1e6, Runs);
    std::printf("headless render       %8.2f ms\n", headlessMs);
    std::printf("full Draw on screen   %8.2f ms  (%d frames for its 3519 refreshes and the clears)\n", onScreenMs,
                paintsPerDraw);
    std::printf("on screen / headless  %8.2f     (target at most 4)\n", onScreenMs / headlessMs);

    std::printf("peak memory of this window after %d Draws: %.1f MiB (at most 60)\n", Runs,
                static_cast<double>(windowPeak) / 1024.0);
    return 0;
}
