// The drawing core per line, per curve and for the whole picture, against a
// floor: the same recursion and world-to-pixel mapping storing one pixel per
// line into a plain buffer, with no surface and no bookkeeping.
#include "Canvas.h"
#include "DrawCommands.h"
#include "Passes.h"
#include "PictureGeometry.h"
#include "Plotter.h"
#include "RenderPicture.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace levyc;

namespace {

constexpr std::int64_t WholePictureLines = PictureLines;

std::unique_ptr<Canvas> PictureCanvas()
{
    auto canvas = std::make_unique<Canvas>(PictureSize);
    SetWorldWindow(*canvas, PictureWorld);
    return canvas;
}

void BM_LineBy(benchmark::State &state)
{
    const auto canvas = PictureCanvas();
    Plotter<Canvas> plotter(*canvas);
    plotter.State().PenColor = RGB(0, 255, 0);
    plotter.SetPen(100, -100);
    for (auto _ : state) {
        // A unit square: short lines like the curve's, staying in place.
        plotter.LineBy(1, 0);
        plotter.LineBy(0, -1);
        plotter.LineBy(-1, 0);
        plotter.LineBy(0, 1);
    }
    state.SetItemsProcessed(state.iterations() * 4);
}

void BM_CurveSegment200(benchmark::State &state)
{
    const auto canvas = PictureCanvas();
    Plotter<Canvas> plotter(*canvas);
    plotter.State().SegmentLimit = 1.0;
    plotter.State().PenColor = RGB(255, 255, 255);
    for (auto _ : state) {
        plotter.SetPen(100, -200);
        plotter.CurveSegment(200, 0);
    }
    state.SetItemsProcessed(state.iterations() * 65536);
}

void BM_WholePicture(benchmark::State &state)
{
    const auto canvas = PictureCanvas();
    Plotter<Canvas> plotter(*canvas);
    DrawCommands<Canvas> commands(*canvas, plotter);
    for (auto _ : state) {
        commands.Command1_Click();
    }
    state.SetItemsProcessed(state.iterations() * WholePictureLines);
}

// The floor: nothing but the recursion, the pen in doubles, the mapping in
// floats and one store per line.
class Floor
{
public:
    explicit Floor(QSize size)
        : pixels_(static_cast<size_t>(size.width()) * static_cast<size_t>(size.height()))
        , stride_(size.width())
    {
        mapping_.Left = static_cast<float>(PictureWorld.Left);
        mapping_.Top = static_cast<float>(PictureWorld.Top);
        mapping_.Width = static_cast<float>(PictureWorld.Right - PictureWorld.Left);
        mapping_.Height = static_cast<float>(PictureWorld.Bottom - PictureWorld.Top);
        mapping_.PixelWidth = size.width();
        mapping_.PixelHeight = size.height();
        mapping_.Update();
    }

    void Picture()
    {
        double x = 0;
        for (std::int16_t i = 0; i <= LastPass; ++i) {
            x = PassStartX(i);
            penX_ = x;
            penY_ = PassStartY(i);
            color_ = static_cast<std::uint32_t>(i);
            Curve(100 + i, 0);
        }
        penX_ = x;
        penY_ = -200;
        color_ = 0xffffffU;
        Curve(200, 0);
    }

    [[nodiscard]] const std::vector<std::uint32_t> &Pixels() const { return pixels_; }

private:
    void Curve(double p, double q)
    {
        if (p * p + q * q <= 1.0) {
            penX_ += p;
            penY_ += q;
            const auto px = static_cast<int>(mapping_.PixelX(static_cast<float>(penX_)));
            const auto py = static_cast<int>(mapping_.PixelY(static_cast<float>(penY_)));
            pixels_[static_cast<size_t>(py) * static_cast<size_t>(stride_) + static_cast<size_t>(px)] = color_;
            return;
        }
        Curve((p + q) / 2, (q - p) / 2);
        Curve((p - q) / 2, (p + q) / 2);
    }

    std::vector<std::uint32_t> pixels_;
    int stride_;
    WorldMapping mapping_;
    double penX_ = 0;
    double penY_ = 0;
    std::uint32_t color_ = 0;
};

void BM_Floor(benchmark::State &state)
{
    Floor floor(PictureSize);
    for (auto _ : state) {
        floor.Picture();
        benchmark::DoNotOptimize(floor.Pixels().data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * WholePictureLines);
}

BENCHMARK(BM_LineBy);
BENCHMARK(BM_CurveSegment200)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WholePicture)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_Floor)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

// Keeps the medians to print the ratio at the end.
class MedianReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                medians[run.run_name.function_name] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> medians;
};

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto whole = reporter.medians.find("BM_WholePicture");
    const auto floor = reporter.medians.find("BM_Floor");
    if (whole != reporter.medians.end() && floor != reporter.medians.end()) {
        std::printf("\nWhole picture %.2f ms, floor %.2f ms: ratio %.2f (target at most 1.2)\n", whole->second,
                    floor->second, whole->second / floor->second);
    }
    benchmark::Shutdown();
    return 0;
}
