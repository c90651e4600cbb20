// The drawing core per line, per curve and for the whole picture, against a
// floor: the same recursion and world-to-pixel mapping storing one pixel per
// line into a plain buffer, with no surface and no bookkeeping.
#include "Floor.h"
#include "Quantile.h"
#include "drawing/Canvas.h"
#include "drawing/DrawCommands.h"
#include "drawing/Passes.h"
#include "drawing/PictureSize.h"
#include "drawing/Plotter.h"
#include "render/RenderPicture.h"
#include "tests/support/ViewPoints.h"
#include "views/ViewNavigation.h"
#include "views/ViewRender.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <thread>
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

// Views of the whole fan, zoomed on points of its edges: the white curve's
// lower right, the far left of the fan, and an edge deep inside it where
// every curve crosses.
constexpr std::array<const char *, 3> CentreNames{"white edge", "left edge", "inside the fan"};
constexpr std::array<double, 6> Zooms{1, 10, 1e3, 1e6, 1e9, 1e12};

WorldPoint Centre(std::size_t index)
{
    const std::vector<CurveRecord> all = PictureCurves();
    switch (index) {
    case 0:
        return FarthestPoint(std::vector<CurveRecord>{FinalCurve()}, 0.3, -1.0, 1e-14);
    case 1:
        return FarthestPoint(all, -1.0, 0.2, 1e-14);
    default:
        return FarthestPoint(std::vector<CurveRecord>{PassCurve(50)}, 0.3, -1.0, 1e-14);
    }
}

// Arguments: centre, zoom, threads (0 for every core).
void BM_View(benchmark::State &state)
{
    const std::vector<CurveRecord> curves = PictureCurves();
    const WorldWindow window =
        ZoomedAt(Centre(static_cast<std::size_t>(state.range(0))), Zooms.at(static_cast<std::size_t>(state.range(1))));
    ViewRenderOptions options;
    options.threads = static_cast<int>(state.range(2));
    std::int64_t lines = 0;
    for (auto _ : state) {
        const RenderedView view = RenderView(curves, window, PictureSize, options);
        lines = view.lines;
        benchmark::DoNotOptimize(view.image.constBits());
    }
    state.counters["lines"] = static_cast<double>(lines);
}

void ViewArguments(benchmark::internal::Benchmark *benchmark)
{
    for (int centre = 0; centre < static_cast<int>(CentreNames.size()); ++centre) {
        for (int zoom = 0; zoom < static_cast<int>(Zooms.size()); ++zoom) {
            for (const int threads : {1, 0}) {
                benchmark->Args({centre, zoom, threads});
            }
        }
    }
}

BENCHMARK(BM_LineBy);
BENCHMARK(BM_CurveSegment200)->Unit(benchmark::kMicrosecond);
// Repeated, so that ratios come from runs side by side: make bench
// interleaves the repetitions of every benchmark at random.
BENCHMARK(BM_WholePicture)->Unit(benchmark::kMillisecond)->Repetitions(9);
BENCHMARK(BM_Floor)->Unit(benchmark::kMillisecond)->Repetitions(9);
BENCHMARK(BM_View)->Apply(ViewArguments)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(5);

// Shows the aggregates only, and keeps the medians and each repetition's
// time for the ratios at the end.
class MedianReporter : public benchmark::ConsoleReporter
{
public:
    MedianReporter()
        : ConsoleReporter(OO_Tabular) // no colours: the figures go to logs and tables
    {
    }
    void ReportRuns(const std::vector<Run> &runs) override
    {
        std::vector<Run> shown;
        for (const Run &run : runs) {
            const std::string &args = run.run_name.args;
            const std::string name = run.run_name.function_name + (args.empty() ? "" : "/" + args);
            if (run.run_type == Run::RT_Aggregate) {
                if (run.aggregate_name == "median") {
                    medians[name] = run.GetAdjustedRealTime();
                    if (const auto lines = run.counters.find("lines"); lines != run.counters.end()) {
                        viewLines[name] = lines->second.value;
                    }
                }
                shown.push_back(run);
            } else if (run.repetitions > 1) {
                repetitions[name].push_back(run.GetAdjustedRealTime());
            } else {
                shown.push_back(run);
            }
        }
        if (!shown.empty()) {
            ConsoleReporter::ReportRuns(shown);
        }
    }
    std::map<std::string, double> medians;
    std::map<std::string, double> viewLines;
    std::map<std::string, std::vector<double>> repetitions;
};

// The ratios of the repetitions of two benchmarks, the i-th of one to the
// i-th of the other: run side by side when the repetitions are interleaved.
std::vector<double> Ratios(const MedianReporter &reporter, const std::string &over, const std::string &under)
{
    std::vector<double> ratios;
    const auto a = reporter.repetitions.find(over);
    const auto b = reporter.repetitions.find(under);
    if (a != reporter.repetitions.end() && b != reporter.repetitions.end()) {
        for (std::size_t i = 0; i < std::min(a->second.size(), b->second.size()); ++i) {
            ratios.push_back(a->second[i] / b->second[i]);
        }
    }
    return ratios;
}

// "median (quartile to quartile)".
std::string Spread(const std::vector<double> &ratios)
{
    if (ratios.empty()) {
        return "-";
    }
    std::array<char, 64> text{};
    std::snprintf(text.data(), text.size(), "%.2f (%.2f-%.2f)", Quantile(ratios, 0.5), Quantile(ratios, 0.25),
                  Quantile(ratios, 0.75));
    return text.data();
}

// One line per view: lines walked, one core and all, against the whole picture on one core.
void PrintViews(const MedianReporter &reporter, double wholeMs)
{
    const unsigned cores = std::max(1U, std::thread::hardware_concurrency());
    std::printf("\nViews at %dx%d (medians; whole picture %.2f ms on one core, target: all cores at most 2x that;"
                " ratios as the median of repetitions side by side, quartiles in brackets)\n",
                PictureSize.width(), PictureSize.height(), wholeMs);
    std::printf("%-16s %8s %12s %10s %10s %18s %18s\n", "centre", "zoom", "lines", "1 core ms",
                (std::to_string(cores) + " cores ms").c_str(), "speed-up", "/ whole");
    double worst = 0;
    for (std::size_t centre = 0; centre < CentreNames.size(); ++centre) {
        for (std::size_t zoom = 0; zoom < Zooms.size(); ++zoom) {
            const std::string name = "BM_View/" + std::to_string(centre) + "/" + std::to_string(zoom) + "/";
            // The threads argument: 1, or 0 for every core.
            const auto one = reporter.medians.find(name + "1");
            const auto all = reporter.medians.find(name + "0");
            if (one == reporter.medians.end() || all == reporter.medians.end()) {
                continue;
            }
            const std::vector<double> overWhole = Ratios(reporter, name + "0", "BM_WholePicture");
            if (!overWhole.empty()) {
                worst = std::max(worst, Quantile(overWhole, 0.5));
            }
            std::printf("%-16s %8.0e %12.0f %10.2f %10.2f %18s %18s\n", CentreNames.at(centre), Zooms.at(zoom),
                        reporter.viewLines.at(name + "0"), one->second, all->second,
                        Spread(Ratios(reporter, name + "1", name + "0")).c_str(), Spread(overWhole).c_str());
        }
    }
    std::printf("Slowest view on all cores: %.2f times the whole picture on one core (target at most 2)\n", worst);
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto whole = reporter.medians.find("BM_WholePicture");
    const auto floor = reporter.medians.find("BM_Floor");
    if (whole != reporter.medians.end() && floor != reporter.medians.end()) {
        std::printf("\nWhole picture %.2f ms, floor %.2f ms (medians): ratio %s (median of repetitions side by"
                    " side, quartiles in brackets; target at most 1.8)\n",
                    whole->second, floor->second, Spread(Ratios(reporter, "BM_WholePicture", "BM_Floor")).c_str());
    }
    if (whole != reporter.medians.end() && !reporter.viewLines.empty()) {
        PrintViews(reporter, whole->second);
    }
    benchmark::Shutdown();
    return 0;
}
