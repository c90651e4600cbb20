#pragma once

#include "Color.h"
#include "world/WorldMapping.h"
#include "world/WorldWindow.h"

#include <QImage>
#include <QRect>
#include <QSize>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace levyc {

// The persistent image of a picture area with its world window and line
// rasterizer: a drawing surface without a screen, so Refresh has nothing to show.
class Canvas final
{
public:
    explicit Canvas(QSize pixelSize = {}, PackedColor backColor = 0, qreal devicePixelRatio = 1.0);
    Canvas(const Canvas &) = delete;
    Canvas &operator=(const Canvas &) = delete;
    Canvas(Canvas &&) = delete;
    Canvas &operator=(Canvas &&) = delete;
    ~Canvas() = default;

    void SetScaleLeft(float value);
    void SetScaleTop(float value);
    void SetScaleWidth(float value);
    void SetScaleHeight(float value);
    void SetBackColor(PackedColor color);
    void SetDrawWidth(int width);
    void Cls();
    void Refresh() {}
    void Line(float x1, float y1, float x2, float y2, PackedColor color)
    {
        OwnPixels();
        ++linesDrawn_;
        DrawLine(x1, y1, x2, y2, color);
    }

    // A curve's lines go straight into the image, inline; the walk returns how
    // many it drew. Each one after the first starts on the pixel where the
    // last one ended, which is set already. When the image holds the whole
    // reach with room to spare, no line is bounds-tested and none widens the
    // dirty box: the reach's pixels are marked once, and again after every
    // TakeDirty() until the curve ends. When the walk also tells how long its
    // lines may be, and none can reach past a neighbouring pixel, a line sets
    // its end pixel and nothing else.
    template <typename Walk> void Curve(const WorldBox &reach, Walk &&walk)
    {
        OwnPixels();
        const auto first = [this](float x1, float y1, float x2, float y2, PackedColor color) {
            DrawLine(x1, y1, x2, y2, color);
        };
        if (!HoldsThinly(reach)) {
            linesDrawn_ += walk(first, [this](float x1, float y1, float x2, float y2, PackedColor color) {
                ContinueLine(x1, y1, x2, y2, color);
            });
            return;
        }
        OpenReach(reach);
        bool shortLines = false;
        if constexpr (requires { walk.LongestLine; }) {
            shortLines = StepsAPixelAtMost(reach, walk.LongestLine);
        }
        if (shortLines) {
            linesDrawn_ += walk(first, [this](float /*x1*/, float /*y1*/, float x2, float y2, PackedColor /*color*/) {
                // On the image, so non-negative: truncation is floor.
                pixels_[static_cast<Coord>(mapping_.PixelY(y2)) * stride_ + static_cast<Coord>(mapping_.PixelX(x2))] =
                    lastRgb_;
            });
            Forget(); // the last pixel was not kept
        } else {
            linesDrawn_ += walk(first, [this](float /*x1*/, float /*y1*/, float x2, float y2, PackedColor /*color*/) {
                ContinueOnImage(mapping_.PixelX(x2), mapping_.PixelY(y2));
            });
        }
        reachOpen_ = false;
    }

    // Resizes the image in pixels; what fits stays, new pixels take BackColor.
    // When the memory cannot be had the image is null and nothing is drawn.
    void Resize(QSize pixelSize, qreal devicePixelRatio);

    // Shows a picture made elsewhere in place of the image, if it is the same
    // size; false, and nothing changes, if not.
    bool Adopt(const QImage &picture);

    // A copy of it keeps the pixels it had: the canvas writes to its own.
    [[nodiscard]] const QImage &Image() const { return image_; }
    [[nodiscard]] std::int64_t LinesDrawn() const { return linesDrawn_; }

    // The box of pixels changed since the last call, in image pixels.
    QRect TakeDirty();

    static QRgb ToQRgb(PackedColor color) { return qRgb(RedOf(color), GreenOf(color), BlueOf(color)); }

private:
    // Whether every line inside the world box, drawn with the current pen,
    // lands wholly on the image, a pixel clear of its edges.
    [[nodiscard]] bool HoldsThinly(const WorldBox &box) const;

    // Pixel coordinates the per-line path keeps: wider than a pixel, so that
    // the compiler knows a pixel store cannot change them and keeps them in
    // registers rather than reading them back after every store.
    using Coord = std::int64_t;

    void SetScale(float WorldMapping::*field, float value);
    // Lines are written through a cached pointer, so before drawing the canvas
    // takes pixels of its own if a copy of Image() shares them: no line lands
    // in the copy, and none in a buffer the image has left.
    void OwnPixels()
    {
        if (!image_.isNull() && !image_.isDetached()) {
            pixels_ = reinterpret_cast<QRgb *>(image_.bits());
        }
    }
    // Line, once the pixels are the canvas's own: a curve takes them once for all its lines.
    void DrawLine(float x1, float y1, float x2, float y2, PackedColor color);
    // Line, for a line that starts where the last one drawn ended, in its colour.
    void ContinueLine(float x1, float y1, float x2, float y2, PackedColor color)
    {
        const float px2 = mapping_.PixelX(x2);
        const float py2 = mapping_.PixelY(y2);
        if (!haveLast_ || !OnImage(px2, py2)) {
            DrawLine(x1, y1, x2, y2, color);
            return;
        }
        const Coord lastIx = lastIx_;
        const Coord lastIy = lastIy_;
        ContinueOnImage(px2, py2);
        MarkDirty(std::min(lastIx, lastIx_), std::min(lastIy, lastIy_), std::max(lastIx, lastIx_),
                  std::max(lastIy, lastIy_));
    }
    // Written as "inside" so that NaN counts as outside.
    [[nodiscard]] bool OnImage(float px, float py) const
    {
        return px >= 0.0F && px < widthF_ && py >= 0.0F && py < heightF_;
    }
    // Within a held reach, already marked dirty.
    void ContinueOnImage(float px2, float py2)
    {
        // On the image, so non-negative: truncation is floor.
        const auto ix2 = static_cast<Coord>(px2);
        const auto iy2 = static_cast<Coord>(py2);
        if (static_cast<std::uint64_t>(ix2 - lastIx_ + 1) <= 2U &&
            static_cast<std::uint64_t>(iy2 - lastIy_ + 1) <= 2U) {
            pixels_[iy2 * stride_ + ix2] = lastRgb_;
        } else {
            ThinLine(static_cast<int>(lastIx_), static_cast<int>(lastIy_), static_cast<int>(ix2), static_cast<int>(iy2),
                     lastRgb_);
        }
        lastIx_ = ix2;
        lastIy_ = iy2;
    }
    // Whether a line no longer than `longest` within a reach that the image
    // holds ends at most one pixel across and one down from where it starts,
    // rounding included: then the line is its end pixel and its start pixel,
    // set already.
    [[nodiscard]] bool StepsAPixelAtMost(const WorldBox &reach, double longest) const;
    // Marks the pixels of a reach that the image holds thinly, and keeps them
    // marked until the curve ends.
    void OpenReach(const WorldBox &reach);
    void ThinLine(int x1, int y1, int x2, int y2, QRgb rgb);
    // Forget the last line's end, after anything that may change its pixel.
    void Forget() { haveLast_ = false; }
    void ClippedLine(float px1, float py1, float px2, float py2, QRgb rgb);
    void MarkDirty(Coord left, Coord top, Coord right, Coord bottom)
    {
        dirtyLeft_ = std::min(dirtyLeft_, left);
        dirtyTop_ = std::min(dirtyTop_, top);
        dirtyRight_ = std::max(dirtyRight_, right);
        dirtyBottom_ = std::max(dirtyBottom_, bottom);
    }
    void MarkAllDirty();

    QImage image_;
    // Cached from image_ and re-taken by OwnPixels(), so the per-line path skips detach checks.
    QRgb *pixels_ = nullptr;
    qsizetype stride_ = 0;
    WorldMapping mapping_;
    PackedColor backColor_;
    int drawWidth_ = 1;
    std::int64_t linesDrawn_ = 0;
    // Inclusive; empty while dirtyLeft_ > dirtyRight_, held so that marking needs no test.
    Coord dirtyLeft_ = std::numeric_limits<Coord>::max();
    Coord dirtyTop_ = std::numeric_limits<Coord>::max();
    Coord dirtyRight_ = std::numeric_limits<Coord>::min();
    Coord dirtyBottom_ = std::numeric_limits<Coord>::min();
    // The pixels of the held reach of the curve being drawn, if any.
    bool reachOpen_ = false;
    Coord reachLeft_ = 0;
    Coord reachTop_ = 0;
    Coord reachRight_ = 0;
    Coord reachBottom_ = 0;
    // The image's size as floats, for the per-line bounds test.
    float widthF_ = 0.0F;
    float heightF_ = 0.0F;
    // The end of the last line drawn on the image with a thin pen, if any.
    bool haveLast_ = false;
    Coord lastIx_ = 0;
    Coord lastIy_ = 0;
    QRgb lastRgb_ = 0;
};

} // namespace levyc
