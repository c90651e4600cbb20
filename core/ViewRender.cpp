#include "ViewRender.h"

#include "Canvas.h"
#include "PictureGeometry.h"
#include "Plotter.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <thread>
#include <vector>

namespace levyc {

namespace {

// Deeper than any view needs (about 100 levels at the narrowest); a bound on
// the recursion whatever the numbers.
constexpr int MaxDepth = 160;
// Levels near the top where a render looks for a cancel; below them a part is
// done in well under a millisecond.
constexpr int CancelDepth = 20;
constexpr int BandsPerThread = 4;

RenderedView RenderDrawWindow(std::span<const CurveRecord> curves, QSize size)
{
    RenderedView result;
    const auto canvas = std::make_unique<Canvas>(size, RGB(0, 0, 0));
    if (canvas->Image().isNull()) {
        return result;
    }
    SetWorldWindow(*canvas, PictureWorld);
    canvas->Cls();
    Plotter<Canvas> plotter(*canvas);
    plotter.State().SegmentLimit = 1.0;
    for (const CurveRecord &curve : curves) {
        plotter.SetPen(curve.X, curve.Y);
        plotter.State().PenColor = curve.Color;
        plotter.CurveSegment(curve.P, curve.Q);
    }
    result.image = canvas->Image();
    result.lines = canvas->LinesDrawn();
    return result;
}

// What every band of one view shares: the mapping from the window's corner and
// the longest line.
struct ViewSetup
{
    double left;
    double top;
    double scaleX;
    double scaleY;
    double limitSquared;
    const std::atomic<bool> *cancel;
};

// One band's rows of a view. Every point of a curve is computed from its
// parent part's start, never by adding up a pen, so each band, culled as it
// likes, reaches the same coordinates for every line; each line marks the
// pixel of its end, and of its start after a skipped part.
class BandWalk
{
public:
    BandWalk(const ViewSetup &setup, QRgb *pixels, qsizetype stride, int width, int top, int bottom)
        : setup_(setup)
        , pixels_(pixels)
        , stride_(stride)
        , width_(width)
        , top_(top)
        , bottom_(bottom)
    {
    }

    void Curve(const CurveRecord &curve)
    {
        if (!std::isfinite(curve.X) || !std::isfinite(curve.Y) || !std::isfinite(curve.P) || !std::isfinite(curve.Q)) {
            return;
        }
        rgb_ = Canvas::ToQRgb(curve.Color);
        gap_ = true;
        const double x = curve.X - setup_.left;
        const double y = curve.Y - setup_.top;
        Checked(x, y, x + curve.P, y + curve.Q, curve.P, curve.Q, 0);
    }

    [[nodiscard]] bool Cancelled() const
    {
        return setup_.cancel != nullptr && setup_.cancel->load(std::memory_order_relaxed);
    }
    [[nodiscard]] std::int64_t Lines() const { return lines_; }

private:
    // A part from (sx, sy) to (ex, ey) along (p, q), whose lines may fall off the band.
    void Checked(double sx, double sy, double ex, double ey, double p, double q, int depth)
    {
        if (p * p + q * q <= setup_.limitSquared || depth >= MaxDepth) {
            if (gap_) {
                Plot(sx, sy);
                gap_ = false;
            }
            Plot(ex, ey);
            ++lines_;
            return;
        }
        if (depth < CancelDepth && Cancelled()) {
            gap_ = true;
            return;
        }
        // CurveReach's box in closed form, in pixels: the part keeps within
        // -0.5 to 1.5 of its vector along it and -1 to 0.25 across.
        const double centreX = (sx + 0.5 * p + 0.375 * q) * setup_.scaleX;
        const double centreY = (sy + 0.5 * q - 0.375 * p) * setup_.scaleY;
        const double halfX = (std::abs(p) + 0.625 * std::abs(q)) * std::abs(setup_.scaleX);
        const double halfY = (std::abs(q) + 0.625 * std::abs(p)) * std::abs(setup_.scaleY);
        const double left = centreX - halfX;
        const double right = centreX + halfX;
        const double top = centreY - halfY;
        const double bottom = centreY + halfY;
        // A pixel to spare each way covers the rounding of every point on the part.
        if (!(right >= -1.0 && left <= width_ + 1.0 && bottom >= top_ - 1.0 && top <= bottom_ + 1.0)) {
            gap_ = true; // out of the band, or not a number
            return;
        }
        if (left >= 1.0 && right <= width_ - 1.0 && top >= top_ + 1.0 && bottom <= bottom_ - 1.0) {
            if (gap_) {
                Plot(sx, sy);
                gap_ = false;
            }
            Inside(sx, sy, ex, ey, p, q, depth);
            return;
        }
        const double p1 = (p + q) / 2;
        const double q1 = (q - p) / 2;
        const double mx = sx + p1;
        const double my = sy + q1;
        Checked(sx, sy, mx, my, p1, q1, depth + 1);
        Checked(mx, my, ex, ey, (p - q) / 2, (p + q) / 2, depth + 1);
    }

    // A part whose every line lies on the band: no tests but the length.
    void Inside(double sx, double sy, double ex, double ey, double p, double q, int depth)
    {
        if (p * p + q * q <= setup_.limitSquared || depth >= MaxDepth) {
            // On the band, so non-negative: truncation is floor.
            const auto ix = static_cast<qsizetype>(ex * setup_.scaleX);
            const auto iy = static_cast<qsizetype>(ey * setup_.scaleY);
            pixels_[iy * stride_ + ix] = rgb_;
            ++lines_;
            return;
        }
        const double p1 = (p + q) / 2;
        const double q1 = (q - p) / 2;
        const double mx = sx + p1;
        const double my = sy + q1;
        Inside(sx, sy, mx, my, p1, q1, depth + 1);
        Inside(mx, my, ex, ey, (p - q) / 2, (p + q) / 2, depth + 1);
    }

    void Plot(double x, double y)
    {
        const double px = x * setup_.scaleX;
        const double py = y * setup_.scaleY;
        if (px >= 0.0 && px < width_ && py >= top_ && py < bottom_) { // false for NaN
            pixels_[static_cast<qsizetype>(py) * stride_ + static_cast<qsizetype>(px)] = rgb_;
        }
    }

    const ViewSetup &setup_;
    QRgb *pixels_;
    qsizetype stride_;
    int width_;
    int top_;
    int bottom_;
    QRgb rgb_ = 0;
    bool gap_ = true;
    std::int64_t lines_ = 0;
};

} // namespace

bool IsDrawWindow(const WorldWindow &window)
{
    return window == PictureWorld;
}

bool IsDrawableWindow(const WorldWindow &window)
{
    const auto drawable = [](double from, double to) {
        const double span = std::abs(to - from);
        return std::isfinite(from) && std::isfinite(to) && span >= MinViewSpan && span <= MaxViewSpan;
    };
    return drawable(window.Left, window.Right) && drawable(window.Top, window.Bottom);
}

RenderedView RenderView(std::span<const CurveRecord> curves, const WorldWindow &window, QSize size,
                        const ViewRenderOptions &options)
{
    if (IsDrawWindow(window)) {
        return RenderDrawWindow(curves, size);
    }
    RenderedView result;
    if (size.isEmpty() || !IsDrawableWindow(window)) {
        return result;
    }
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull()) {
        return result;
    }
    const double scaleX = size.width() / (window.Right - window.Left);
    const double scaleY = size.height() / (window.Bottom - window.Top);
    // A line no longer than the shorter side of a pixel covers at most the
    // pixels of its two ends.
    const double limit = std::min({1.0, 1.0 / std::abs(scaleX), 1.0 / std::abs(scaleY)});
    const ViewSetup setup{window.Left, window.Top, scaleX, scaleY, limit * limit, options.cancel};

    const int threads =
        options.threads > 0 ? options.threads : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    const int bands = std::clamp(options.bands > 0 ? options.bands : threads * BandsPerThread, 1, size.height());
    std::atomic<int> nextBand{0};
    std::atomic<std::int64_t> lines{0};
    std::atomic<bool> cancelled{false};
    // Taken once here: the threads share the pointer, not the image.
    QRgb *const pixels = reinterpret_cast<QRgb *>(image.bits());
    const qsizetype stride = image.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb));
    const auto work = [&] {
        for (int band = nextBand++; band < bands; band = nextBand++) {
            const int top = static_cast<int>(static_cast<std::int64_t>(size.height()) * band / bands);
            const int bottom = static_cast<int>(static_cast<std::int64_t>(size.height()) * (band + 1) / bands);
            for (int row = top; row < bottom; ++row) {
                std::fill(pixels + row * stride, pixels + row * stride + size.width(), qRgb(0, 0, 0));
            }
            BandWalk walk(setup, pixels, stride, size.width(), top, bottom);
            for (const CurveRecord &curve : curves) {
                if (walk.Cancelled()) {
                    cancelled = true;
                    return;
                }
                walk.Curve(curve);
            }
            lines += walk.Lines();
        }
    };
    {
        std::vector<std::jthread> helpers;
        helpers.reserve(static_cast<std::size_t>(threads - 1));
        for (int i = 1; i < threads; ++i) {
            helpers.emplace_back(work);
        }
        work();
    }
    if (cancelled || (options.cancel != nullptr && options.cancel->load())) {
        return result;
    }
    result.image = std::move(image);
    result.lines = lines;
    return result;
}

} // namespace levyc
