// The Draw against its floor, without Google Benchmark, in two ways:
//   bench_draw draw N | floor N   draws the whole picture N times, for an
//                                 instruction count (callgrind) per line;
//   bench_draw pairs N            times N pairs of one Draw and one floor run,
//                                 alternated, and prints the median ratio
//                                 with its spread.
#include "Floor.h"
#include "Quantile.h"
#include "drawing/Canvas.h"
#include "drawing/DrawCommands.h"
#include "drawing/PictureSize.h"
#include "drawing/Plotter.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

using namespace levyc;

namespace {

// The headless Draw as the window's commands run it.
class Draw
{
public:
    Draw()
        : canvas_(std::make_unique<Canvas>(PictureSize))
        , plotter_(std::make_unique<Plotter<Canvas>>(*canvas_))
        , commands_(std::make_unique<DrawCommands<Canvas>>(*canvas_, *plotter_))
    {
    }
    void Picture()
    {
        commands_->Command1_Click();
        static_cast<void>(canvas_->TakeDirty());
    }
    [[nodiscard]] std::int64_t Lines() const { return canvas_->LinesDrawn(); }

private:
    std::unique_ptr<Canvas> canvas_;
    std::unique_ptr<Plotter<Canvas>> plotter_;
    std::unique_ptr<DrawCommands<Canvas>> commands_;
};

// The thread's processor time, not the wall's: on a loaded machine the wall
// clock also counts the time other programs ran.
double ThreadMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

template <typename Work> double Milliseconds(Work &&work)
{
    const double start = ThreadMs();
    work();
    return ThreadMs() - start;
}

void PrintSpread(const char *what, const std::vector<double> &values, const char *unit)
{
    std::printf("%-18s median %7.2f%s, quartiles %.2f to %.2f, range %.2f to %.2f\n", what, Quantile(values, 0.5), unit,
                Quantile(values, 0.25), Quantile(values, 0.75), Quantile(values, 0.0), Quantile(values, 1.0));
}

int Pairs(int pairs)
{
    Draw draw;
    Floor floor(PictureSize);
    // Warm caches and pages first.
    draw.Picture();
    floor.Picture();
    std::vector<double> drawMs;
    std::vector<double> floorMs;
    std::vector<double> ratios;
    for (int i = 0; i < pairs; ++i) {
        // Which goes first alternates, so a drift in the machine's speed
        // weighs on both alike.
        double d = 0;
        double f = 0;
        if (i % 2 == 0) {
            d = Milliseconds([&] { draw.Picture(); });
            f = Milliseconds([&] { floor.Picture(); });
        } else {
            f = Milliseconds([&] { floor.Picture(); });
            d = Milliseconds([&] { draw.Picture(); });
        }
        drawMs.push_back(d);
        floorMs.push_back(f);
        ratios.push_back(d / f);
    }
    std::printf("%d alternated pairs of a whole picture (%lld lines), processor time:\n", pairs,
                static_cast<long long>(PictureLines));
    PrintSpread("Draw", drawMs, " ms");
    PrintSpread("floor", floorMs, " ms");
    PrintSpread("Draw / floor", ratios, "   ");
    std::printf("Draw / floor: %.2f (median of the pairs' ratios; target at most 1.8)\n", Quantile(ratios, 0.5));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const int count = argc == 3 ? std::atoi(argv[2]) : 0;
    if (count <= 0) {
        std::fprintf(stderr, "usage: bench_draw draw|floor|pairs COUNT\n");
        return 2;
    }
    if (std::strcmp(argv[1], "pairs") == 0) {
        return Pairs(count);
    }
    if (std::strcmp(argv[1], "draw") == 0) {
        Draw draw;
        for (int i = 0; i < count; ++i) {
            draw.Picture();
        }
        return draw.Lines() == PictureLines * count ? 0 : 1;
    }
    if (std::strcmp(argv[1], "floor") == 0) {
        Floor floor(PictureSize);
        for (int i = 0; i < count; ++i) {
            floor.Picture();
        }
        return floor.Pixels().empty() ? 1 : 0;
    }
    std::fprintf(stderr, "usage: bench_draw draw|floor|pairs COUNT\n");
    return 2;
}
