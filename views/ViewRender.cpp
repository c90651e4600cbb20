#include "ViewRender.h"

#include "drawing/Canvas.h"
#include "drawing/CurveReach.h"
#include "drawing/DrawCommands.h"
#include "drawing/Plotter.h"
#include "parallel/EveryCore.h"
#include "world/WorldMapping.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <numbers>
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
// Parts at least this many pixels long are tested for cover.
constexpr double CoverTestPixels = 8.0;

int Threads(const ViewRenderOptions &options)
{
    return options.threads > 0 ? options.threads : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

int Bands(const ViewRenderOptions &options, QSize size)
{
    return std::clamp(options.bands > 0 ? options.bands : Threads(options) * BandsPerThread, 1, size.height());
}

bool Cancelled(const std::atomic<bool> *cancel)
{
    return cancel != nullptr && cancel->load(std::memory_order_relaxed);
}

RenderedView RenderDrawWindow(std::span<const CurveRecord> curves, QSize size, const ViewRenderOptions &options)
{
    const std::atomic<bool> *cancel = options.cancel;
    RenderedView result;
    const auto canvas = std::make_unique<Canvas>(size);
    if (canvas->Image().isNull()) {
        return result;
    }
    Plotter<Canvas> plotter(*canvas);
    SetUpDraw(*canvas, plotter.State());
    for (const CurveRecord &curve : curves) {
        if (Cancelled(cancel)) {
            return result;
        }
        plotter.DrawCurve(curve);
        if (options.afterCurve) {
            options.afterCurve();
        }
    }
    if (!Cancelled(cancel)) {
        result.image = canvas->Image();
        result.lines = canvas->LinesDrawn();
    }
    return result;
}

// What every band of one view shares: the mapping from the window's corner,
// the longest line, and the shortest part worth testing for cover.
struct ViewSetup
{
    double left;
    double top;
    double scaleX;
    double scaleY;
    double limitSquared;
    double coverTestSquared;
    double smoothing;
    const std::atomic<bool> *cancel;
};

// A part's two halves, and the midpoint, computed once, where the first ends
// and the second starts.
struct Halves
{
    double p1;
    double q1;
    double p2;
    double q2;
    double midX;
    double midY;

    Halves(double sx, double sy, double p, double q)
        : Halves(sx, sy, Halve(p, q))
    {
    }

private:
    Halves(double sx, double sy, const PartHalves &halves)
        : p1(halves.P1)
        , q1(halves.Q1)
        , p2(halves.P2)
        , q2(halves.Q2)
        , midX(sx + halves.P1)
        , midY(sy + halves.Q1)
    {
    }
};

// A part's reach in pixels.
struct PixelBox
{
    double left;
    double right;
    double top;
    double bottom;

    PixelBox(const ViewSetup &setup, double sx, double sy, double p, double q)
    {
        const WorldBox reach = CurveReach(sx, sy, p, q);
        // Either way up: each axis maps on its own.
        const double x1 = reach.MinX * setup.scaleX;
        const double x2 = reach.MaxX * setup.scaleX;
        const double y1 = reach.MinY * setup.scaleY;
        const double y2 = reach.MaxY * setup.scaleY;
        left = std::min(x1, x2);
        right = std::max(x1, x2);
        top = std::min(y1, y2);
        bottom = std::max(y1, y2);
    }
};

// One band's rows of a view. Every point of a curve is computed from its
// parent part's start, never by adding up a pen, so each band, culled as it
// likes, reaches the same coordinates for every line; each line marks the
// pixel of its end, and of its start after a skipped part.
// For a whole view the curves come last first and a pixel keeps the first
// colour it gets: the one the last curve over it gives. A part whose reach lies
// on pixels that all have theirs already is skipped, which inside the fan is
// most of them. Over an image (`over`), the curves come in order, each over
// what is there.
class BandWalk
{
public:
    BandWalk(const ViewSetup &setup, QRgb *pixels, qsizetype stride, int width, int top, int bottom, bool over)
        : setup_(setup)
        , pixels_(pixels)
        , stride_(stride)
        , width_(width)
        , top_(top)
        , bottom_(bottom)
        , tilesAcross_((width + TileSide - 1) / TileSide)
        , open_(static_cast<std::size_t>(tilesAcross_) *
                static_cast<std::size_t>((bottom - top + TileSide - 1) / TileSide))
        , blocksAcross_((width + BlockSide - 1) / BlockSide)
        , blockOpen_(static_cast<std::size_t>(blocksAcross_) *
                     static_cast<std::size_t>((bottom - top + BlockSide - 1) / BlockSide))
        , over_(over)
        , pending_(over || setup.smoothing <= 0 ? 0 : static_cast<std::size_t>(bottom - top) * width)
    {
        if (over) {
            return;
        }
        for (int row = top; row < bottom; ++row) {
            std::fill(pixels + row * stride, pixels + row * stride + width, Unset);
        }
        // Every pixel is open: a square's count is its area within the band.
        Count(open_, tilesAcross_, TileSide);
        Count(blockOpen_, blocksAcross_, BlockSide);
    }

    // Pixels no curve reached are the background; a pixel that only the next
    // division reached leans toward that colour.
    void Finish()
    {
        if (!pending_.empty()) {
            Lean();
        }
        for (int row = top_; row < bottom_ && !over_; ++row) {
            std::replace(pixels_ + row * stride_, pixels_ + row * stride_ + width_, Unset, qRgb(0, 0, 0));
        }
    }

    // Call for the curves in the reverse of their order, or in order when over an image.
    void Curve(const CurveRecord &curve)
    {
        if (!std::isfinite(curve.X) || !std::isfinite(curve.Y) || !std::isfinite(curve.P) || !std::isfinite(curve.Q)) {
            return;
        }
        rgb_ = Canvas::ToQRgb(curve.Color);
        gap_ = true;
        if (!pending_.empty()) {
            lean_ = LeanOf(curve.P, curve.Q);
        }
        const double x = curve.X - setup_.left;
        const double y = curve.Y - setup_.top;
        Checked(x, y, x + curve.P, y + curve.Q, curve.P, curve.Q, 0);
    }

    [[nodiscard]] bool Cancelled() const { return levyc::Cancelled(setup_.cancel); }
    [[nodiscard]] std::int64_t Lines() const { return lines_; }

private:
    // Cover is kept per square of pixels, how many in it have no colour yet,
    // and again per block of such squares, so that a large part is judged
    // mostly by its blocks.
    static constexpr int TileSide = 8;
    static constexpr int BlockSide = 64;
    // Not a colour a curve gives: those are opaque.
    static constexpr QRgb Unset = 0;

    // Each square of `side` pixels, `across` in a row, counted as all open.
    void Count(std::vector<int> &counts, int across, int side) const
    {
        const int height = bottom_ - top_;
        for (std::size_t i = 0; i < counts.size(); ++i) {
            const int x = static_cast<int>(i % static_cast<std::size_t>(across)) * side;
            const int y = static_cast<int>(i / static_cast<std::size_t>(across)) * side;
            counts[i] = std::min(side, width_ - x) * std::min(side, height - y);
        }
    }

    [[nodiscard]] std::size_t Tile(qsizetype x, qsizetype y) const
    {
        return static_cast<std::size_t>((y - top_) / TileSide * tilesAcross_ + x / TileSide);
    }
    [[nodiscard]] std::size_t Block(qsizetype x, qsizetype y) const
    {
        return static_cast<std::size_t>((y - top_) / BlockSide * blocksAcross_ + x / BlockSide);
    }

    // A part from (sx, sy) to (ex, ey) along (p, q), whose lines may fall off the band.
    void Checked(double sx, double sy, double ex, double ey, double p, double q, int depth)
    {
        if (p * p + q * q <= setup_.limitSquared || depth >= MaxDepth) {
            if (gap_) {
                Plot(sx, sy);
                gap_ = false;
            }
            Plot(ex, ey);
            if (lean_ != 0) {
                const Halves h(sx, sy, p, q);
                const double px = h.midX * setup_.scaleX;
                const double py = h.midY * setup_.scaleY;
                if (px >= 0.0 && px < width_ && py >= top_ && py < bottom_) { // false for NaN
                    Pend(static_cast<qsizetype>(px), static_cast<qsizetype>(py));
                }
            }
            ++lines_;
            return;
        }
        if (depth < CancelDepth && Cancelled()) {
            gap_ = true;
            return;
        }
        const PixelBox box(setup_, sx, sy, p, q);
        // A pixel to spare each way covers the rounding of every point on the part.
        if (!(box.right >= -1.0 && box.left <= width_ + 1.0 && box.bottom >= top_ - 1.0 && box.top <= bottom_ + 1.0) ||
            (!over_ && Covered(box))) {
            gap_ = true; // out of the band, hidden, or not a number
            return;
        }
        if (box.left >= 1.0 && box.right <= width_ - 1.0 && box.top >= top_ + 1.0 && box.bottom <= bottom_ - 1.0) {
            if (gap_) {
                Plot(sx, sy);
                gap_ = false;
            }
            Inside(sx, sy, ex, ey, p, q, depth);
            return;
        }
        const Halves h(sx, sy, p, q);
        Checked(sx, sy, h.midX, h.midY, h.p1, h.q1, depth + 1);
        Checked(h.midX, h.midY, ex, ey, h.p2, h.q2, depth + 1);
    }

    // A part whose every line lies on the band: no tests but the length, and
    // the cover while the part is large enough to be worth it.
    void Inside(double sx, double sy, double ex, double ey, double p, double q, int depth)
    {
        const double lengthSquared = p * p + q * q;
        if (lengthSquared <= setup_.limitSquared || depth >= MaxDepth) {
            // On the band, so non-negative: truncation is floor.
            const auto ix = static_cast<qsizetype>(ex * setup_.scaleX);
            const auto iy = static_cast<qsizetype>(ey * setup_.scaleY);
            Set(ix, iy);
            if (lean_ != 0) {
                // On the curve, so on the band as the part is.
                const Halves h(sx, sy, p, q);
                Pend(static_cast<qsizetype>(h.midX * setup_.scaleX), static_cast<qsizetype>(h.midY * setup_.scaleY));
            }
            ++lines_;
            return;
        }
        if (!over_ && lengthSquared >= setup_.coverTestSquared && Covered(PixelBox(setup_, sx, sy, p, q))) {
            return; // the lines after it start where it ends: on a pixel with its colour
        }
        const Halves h(sx, sy, p, q);
        Inside(sx, sy, h.midX, h.midY, h.p1, h.q1, depth + 1);
        Inside(h.midX, h.midY, ex, ey, h.p2, h.q2, depth + 1);
    }

    void Plot(double x, double y)
    {
        const double px = x * setup_.scaleX;
        const double py = y * setup_.scaleY;
        if (px >= 0.0 && px < width_ && py >= top_ && py < bottom_) { // false for NaN
            Set(static_cast<qsizetype>(px), static_cast<qsizetype>(py));
        }
    }

    void Set(qsizetype x, qsizetype y)
    {
        QRgb &pixel = pixels_[y * stride_ + x];
        if (over_) {
            pixel = rgb_;
        } else if (pixel == Unset) {
            pixel = rgb_;
            --open_[Tile(x, y)];
            --blockOpen_[Block(x, y)];
        }
    }

    // Smoothing draws the next level of division in part: the midpoints of
    // this level's lines, where no line of this level reaches, lean toward
    // their colour by a weight that runs with where the scale lies between
    // levels. Every line of a curve is as long as every other and lengths
    // fall by sqrt(2) a level, so f, from 0 just after a division to 1 just
    // before the next, is the log of the length over the longest allowed; at
    // f = 1 the picture is the next level's. Each level turns the lines by 45
    // degrees, and lines along the axes mark a pixel for each pixel they
    // cross where diagonal ones skip some, so the two kinds of level thin out
    // differently as the zoom spreads their points. The weight rises as
    // (2^(a f) - 1) / (2^a - 1), early for both and earliest between
    // diagonal lines and their midpoints: the exponents that kept the mean
    // luma of what two frames of a dive both show steadiest, measured on
    // dives at 320x180 to 1280x720. Kept as an alpha from 1 to 255; 0 for none.
    [[nodiscard]] QRgb LeanOf(double p, double q) const
    {
        static constexpr double AlongAxes = -1;
        static constexpr double Diagonal = -2.5;
        double lengthSquared = p * p + q * q;
        int depth = 0;
        for (; depth < MaxDepth && lengthSquared > setup_.limitSquared; ++depth) {
            lengthSquared /= 2;
        }
        // The curve's own direction, within 22.5 degrees of an axis or not, then 45 degrees a level.
        const bool startsAlong =
            std::min(std::abs(p), std::abs(q)) < std::max(std::abs(p), std::abs(q)) * (std::numbers::sqrt2 - 1);
        const double a = startsAlong == (depth % 2 == 0) ? AlongAxes : Diagonal;
        const double f = std::clamp(std::log2(lengthSquared / setup_.limitSquared) + 1, 0.0, 1.0);
        const double lean = setup_.smoothing * (std::exp2(a * f) - 1) / (std::exp2(a) - 1);
        return lean > 0 ? static_cast<QRgb>(std::lround(lean * 254)) + 1 : 0;
    }

    void Pend(qsizetype x, qsizetype y)
    {
        QRgb &pending = pending_[static_cast<std::size_t>((y - top_) * width_ + x)];
        if (pixels_[y * stride_ + x] == Unset && pending == 0) {
            pending = (rgb_ & RGB_MASK) | (lean_ << 24);
        }
    }

    // This level's picture, leaning toward the next's where that differs.
    void Lean()
    {
        for (int row = top_; row < bottom_; ++row) {
            QRgb *line = pixels_ + row * stride_;
            const QRgb *pending = pending_.data() + static_cast<std::ptrdiff_t>(row - top_) * width_;
            for (int x = 0; x < width_; ++x) {
                if (pending[x] == 0) {
                    continue;
                }
                const QRgb under = line[x] == Unset ? qRgb(0, 0, 0) : line[x];
                const int lean = static_cast<int>(qAlpha(pending[x])) - 1;
                const auto mix = [lean](int a, int b) { return a + ((b - a) * lean + (b >= a ? 127 : -127)) / 254; };
                line[x] = qRgb(mix(qRed(under), qRed(pending[x])), mix(qGreen(under), qGreen(pending[x])),
                               mix(qBlue(under), qBlue(pending[x])));
            }
        }
    }

    // Whether every pixel of the band within the box, and one more each way, has its colour.
    [[nodiscard]] bool Covered(const PixelBox &box) const
    {
        const auto first = [](double value, int low) {
            return std::max(static_cast<qsizetype>(value) - 1, qsizetype{low});
        };
        const auto last = [](double value, int high) {
            return std::min(static_cast<qsizetype>(value) + 1, qsizetype{high - 1});
        };
        // Out of the band's range only when the box is, and such a part is culled first.
        const qsizetype x0 = first(std::max(box.left, -1.0), 0);
        const qsizetype x1 = last(std::min(box.right, width_ + 1.0), width_);
        const qsizetype y0 = first(std::max(box.top, top_ - 1.0), top_);
        const qsizetype y1 = last(std::min(box.bottom, bottom_ + 1.0), bottom_);
        for (qsizetype by = (y0 - top_) / BlockSide; by <= (y1 - top_) / BlockSide; ++by) {
            for (qsizetype bx = x0 / BlockSide; bx <= x1 / BlockSide; ++bx) {
                if (blockOpen_[static_cast<std::size_t>(by * blocksAcross_ + bx)] == 0) {
                    continue;
                }
                // The block's part of the box, in its own rows.
                const qsizetype left = std::max(x0, bx * BlockSide);
                const qsizetype right = std::min(x1, bx * BlockSide + BlockSide - 1);
                const qsizetype top = std::max(y0, top_ + by * BlockSide);
                const qsizetype bottom = std::min(y1, top_ + by * BlockSide + BlockSide - 1);
                if (left == bx * BlockSide && right == bx * BlockSide + BlockSide - 1 && top == top_ + by * BlockSide &&
                    bottom == top_ + by * BlockSide + BlockSide - 1) {
                    return false; // the whole block lies in the box, and it is not covered
                }
                for (qsizetype ty = (top - top_) / TileSide; ty <= (bottom - top_) / TileSide; ++ty) {
                    for (qsizetype tx = left / TileSide; tx <= right / TileSide; ++tx) {
                        if (open_[static_cast<std::size_t>(ty * tilesAcross_ + tx)] != 0) {
                            return false;
                        }
                    }
                }
            }
        }
        return true;
    }

    const ViewSetup &setup_;
    QRgb *pixels_;
    qsizetype stride_;
    int width_;
    int top_;
    int bottom_;
    int tilesAcross_;
    std::vector<int> open_; // pixels of each tile with no colour yet
    int blocksAcross_;
    std::vector<int> blockOpen_;
    bool over_;
    std::vector<QRgb> pending_; // the next level's colours, where smoothed
    QRgb lean_ = 0;
    QRgb rgb_ = 0;
    bool gap_ = true;
    std::int64_t lines_ = 0;
};

} // namespace

double PixelAspect(const WorldWindow &window, QSize size)
{
    const double width = std::abs(window.Width()) / size.width();
    const double height = std::abs(window.Height()) / size.height();
    return std::max(width, height) / std::min(width, height);
}

namespace {

// Draws the curves on an image of the view in bands on every core: a whole
// view, or over the image. The lines drawn, or -1 when cancelled.
std::int64_t DrawBands(QImage &image, std::span<const CurveRecord> curves, const WorldWindow &window,
                       const ViewRenderOptions &options, bool over)
{
    const QSize size = image.size();
    const auto mapping = BasicWorldMapping<double>::Of(window, size.width(), size.height());
    const double scaleX = mapping.ScaleX();
    const double scaleY = mapping.ScaleY();
    // A line no longer than the shorter side of a pixel covers at most the
    // pixels of its two ends.
    const double limit = std::min({1.0, 1.0 / std::abs(scaleX), 1.0 / std::abs(scaleY)});
    // Testing cover costs about what a few dozen lines do.
    const double coverTest = CoverTestPixels / std::min(std::abs(scaleX), std::abs(scaleY));
    const ViewSetup setup{mapping.Left,
                          mapping.Top,
                          scaleX,
                          scaleY,
                          limit * limit,
                          coverTest * coverTest,
                          over ? 0.0 : std::clamp(options.smoothing, 0.0, 1.0),
                          options.cancel};

    const int threads = Threads(options);
    const int bands = Bands(options, size);
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
            // A band's bookkeeping that cannot be had drops the view, as a
            // cancel does: the caller tells of memory, never a thread's abort.
            try {
                BandWalk walk(setup, pixels, stride, size.width(), top, bottom, over);
                for (std::size_t i = 0; i < curves.size(); ++i) {
                    if (walk.Cancelled() || cancelled) {
                        cancelled = true;
                        return;
                    }
                    walk.Curve(curves[over ? i : curves.size() - 1 - i]);
                    if (options.afterCurve) {
                        options.afterCurve();
                    }
                }
                walk.Finish();
                lines += walk.Lines();
            } catch (const std::bad_alloc &) {
                cancelled = true;
                return;
            }
        }
    };
    OnThreads(threads, work);
    // A cancel that came after every band was done still drops the view: the
    // caller has moved on, and the contract is that a cancelled call gives nothing.
    return cancelled || Cancelled(options.cancel) ? -1 : lines.load();
}

} // namespace

std::int64_t AfterCurveCalls(std::span<const CurveRecord> curves, const WorldWindow &window, QSize size,
                             const ViewRenderOptions &options)
{
    const auto count = static_cast<std::int64_t>(curves.size());
    return IsDrawWindow(window) || size.isEmpty() ? count : count * Bands(options, size);
}

RenderedView RenderView(std::span<const CurveRecord> curves, const WorldWindow &window, QSize size,
                        const ViewRenderOptions &options)
{
    if (IsDrawWindow(window)) {
        return RenderDrawWindow(curves, size, options);
    }
    RenderedView result;
    if (size.isEmpty() || !IsDrawableWindow(window) || !(PixelAspect(window, size) <= MaxPixelAspect)) {
        return result;
    }
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull()) {
        return result;
    }
    const std::int64_t lines = DrawBands(image, curves, window, options, false);
    if (lines >= 0) {
        result.image = std::move(image);
        result.lines = lines;
    }
    return result;
}

bool DrawViewCurves(QImage &image, std::span<const CurveRecord> curves, const WorldWindow &window,
                    const ViewRenderOptions &options)
{
    if (image.isNull() || image.format() != QImage::Format_RGB32 || IsDrawWindow(window) || !IsDrawableWindow(window) ||
        !(PixelAspect(window, image.size()) <= MaxPixelAspect)) {
        return false;
    }
    if (options.cancel == nullptr) {
        return DrawBands(image, curves, window, options, true) >= 0;
    }
    QImage drawn = image.copy();
    if (drawn.isNull() || DrawBands(drawn, curves, window, options, true) < 0) {
        return false;
    }
    image = std::move(drawn);
    return true;
}

bool ShowsAnything(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        if (std::any_of(line, line + image.width(),
                        [](QRgb pixel) { return qRed(pixel) | qGreen(pixel) | qBlue(pixel); })) {
            return true;
        }
    }
    return false;
}

} // namespace levyc
