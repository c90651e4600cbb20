#include "Canvas.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace levyc {

namespace {

// Walks the pixels of a line from (x1, y1) to (x2, y2), both ends included.
template <typename Plot> inline void Bresenham(int x1, int y1, int x2, int y2, Plot &&plot)
{
    const int dx = std::abs(x2 - x1);
    const int dy = -std::abs(y2 - y1);
    const int stepX = x1 < x2 ? 1 : -1;
    const int stepY = y1 < y2 ? 1 : -1;
    int error = dx + dy;
    int x = x1;
    int y = y1;
    for (int n = std::max(dx, -dy); n >= 0; --n) {
        plot(x, y);
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x += stepX;
        }
        if (twice <= dx) {
            error += dx;
            y += stepY;
        }
    }
}

// Cohen-Sutherland: clips the segment to [minX, maxX] x [minY, maxY]; false when
// nothing is left or a coordinate is not a number. A clipped end lies exactly on
// the edge, so far-away coordinates cannot cancel out the line.
bool ClipSegment(double &x1, double &y1, double &x2, double &y2, double minX, double minY, double maxX, double maxY)
{
    if (std::isnan(x1) || std::isnan(y1) || std::isnan(x2) || std::isnan(y2)) {
        return false;
    }
    enum : unsigned { Left = 1, Right = 2, Top = 4, Bottom = 8 };
    const auto outcode = [&](double x, double y) {
        return (x < minX ? Left : 0U) | (x > maxX ? Right : 0U) | (y < minY ? Top : 0U) | (y > maxY ? Bottom : 0U);
    };
    unsigned code1 = outcode(x1, y1);
    unsigned code2 = outcode(x2, y2);
    // Each round moves one end onto an edge; four rounds per end at most.
    for (int round = 0; round < 8; ++round) {
        if ((code1 | code2) == 0) {
            return true;
        }
        if ((code1 & code2) != 0) {
            return false;
        }
        const bool first = code1 != 0;
        const unsigned code = first ? code1 : code2;
        double x = 0;
        double y = 0;
        if ((code & (Left | Right)) != 0) {
            x = (code & Left) != 0 ? minX : maxX;
            y = y1 == y2 ? y1 : y1 + (y2 - y1) * ((x - x1) / (x2 - x1));
        } else {
            y = (code & Top) != 0 ? minY : maxY;
            x = x1 == x2 ? x1 : x1 + (x2 - x1) * ((y - y1) / (y2 - y1));
        }
        if (!std::isfinite(x) || !std::isfinite(y)) {
            return false;
        }
        if (first) {
            x1 = x;
            y1 = y;
            code1 = outcode(x1, y1);
        } else {
            x2 = x;
            y2 = y;
            code2 = outcode(x2, y2);
        }
    }
    return (code1 | code2) == 0;
}

} // namespace

Canvas::Canvas(QSize pixelSize, PackedColor backColor, qreal devicePixelRatio)
    : backColor_(backColor)
{
    Resize(pixelSize, devicePixelRatio);
}

void Canvas::SetScaleLeft(float value)
{
    SetScale(&WorldMapping::Left, value);
}

void Canvas::SetScaleTop(float value)
{
    SetScale(&WorldMapping::Top, value);
}

void Canvas::SetScaleWidth(float value)
{
    SetScale(&WorldMapping::Width, value);
}

void Canvas::SetScaleHeight(float value)
{
    SetScale(&WorldMapping::Height, value);
}

void Canvas::SetScale(float WorldMapping::*field, float value)
{
    mapping_.*field = value;
    mapping_.Update();
    Forget();
}

void Canvas::SetBackColor(PackedColor color)
{
    backColor_ = color;
    Cls();
}

void Canvas::SetDrawWidth(int width)
{
    drawWidth_ = std::max(width, 1);
    Forget();
}

void Canvas::Cls()
{
    OwnPixels();
    image_.fill(ToQRgb(backColor_));
    Forget();
    MarkAllDirty();
}

void Canvas::DrawLine(float x1, float y1, float x2, float y2, PackedColor color)
{
    const float px1 = mapping_.PixelX(x1);
    const float py1 = mapping_.PixelY(y1);
    const float px2 = mapping_.PixelX(x2);
    const float py2 = mapping_.PixelY(y2);
    const QRgb rgb = ToQRgb(color);
    if (drawWidth_ != 1 || !OnImage(px1, py1) || !OnImage(px2, py2)) {
        Forget();
        ClippedLine(px1, py1, px2, py2, rgb);
        return;
    }
    // Non-negative, so truncation is floor.
    const auto ix1 = static_cast<int>(px1);
    const auto iy1 = static_cast<int>(py1);
    const auto ix2 = static_cast<int>(px2);
    const auto iy2 = static_cast<int>(py2);
    ThinLine(ix1, iy1, ix2, iy2, rgb);
    MarkDirty(std::min(ix1, ix2), std::min(iy1, iy2), std::max(ix1, ix2), std::max(iy1, iy2));
    haveLast_ = true;
    lastRgb_ = rgb;
    lastIx_ = ix2;
    lastIy_ = iy2;
}

bool Canvas::HoldsThinly(const WorldBox &box) const
{
    if (drawWidth_ != 1) {
        return false;
    }
    // Mapped as Line maps them: in single precision. The pixel to spare covers
    // the rounding of points on the box's edges.
    const float px1 = mapping_.PixelX(static_cast<float>(box.MinX));
    const float px2 = mapping_.PixelX(static_cast<float>(box.MaxX));
    const float py1 = mapping_.PixelY(static_cast<float>(box.MinY));
    const float py2 = mapping_.PixelY(static_cast<float>(box.MaxY));
    // Either way up: each axis maps on its own.
    const auto inside = [](float a, float b, float size) {
        return std::min(a, b) >= 1.0F && std::max(a, b) < size - 1.0F; // false for NaN
    };
    return inside(px1, px2, widthF_) && inside(py1, py2, heightF_);
}

bool Canvas::StepsAPixelAtMost(const WorldBox &reach, double longest) const
{
    // A line's ends are rounded to single precision, moved by the window's
    // corner and scaled, each in single precision: each step errs by at most
    // 2^-24 of its magnitude, below 2 * world in world units and below the
    // image's size in pixels. The bound below doubles those errors.
    const double world =
        std::max({std::abs(reach.MinX), std::abs(reach.MaxX), std::abs(reach.MinY), std::abs(reach.MaxY),
                  static_cast<double>(std::abs(mapping_.Left)), static_cast<double>(std::abs(mapping_.Top))});
    const double pixels = std::max(mapping_.PixelWidth, mapping_.PixelHeight);
    const auto apart = [&](float scale) {
        return std::abs(static_cast<double>(scale)) * (longest * (1 + 0x1p-30) + world * 0x1p-20) + pixels * 0x1p-21;
    };
    return apart(mapping_.ScaleX()) < 1.0 && apart(mapping_.ScaleY()) < 1.0; // false for NaN
}

void Canvas::OpenReach(const WorldBox &reach)
{
    // A pixel wider each way than the reach's corners map to: lines on its
    // edges may round a pixel out. The image holds that much to spare.
    const auto pixel = [](float value) { return static_cast<Coord>(std::floor(value)); };
    const Coord x1 = pixel(mapping_.PixelX(static_cast<float>(reach.MinX)));
    const Coord x2 = pixel(mapping_.PixelX(static_cast<float>(reach.MaxX)));
    const Coord y1 = pixel(mapping_.PixelY(static_cast<float>(reach.MinY)));
    const Coord y2 = pixel(mapping_.PixelY(static_cast<float>(reach.MaxY)));
    reachLeft_ = std::min(x1, x2) - 1;
    reachTop_ = std::min(y1, y2) - 1;
    reachRight_ = std::max(x1, x2) + 1;
    reachBottom_ = std::max(y1, y2) + 1;
    reachOpen_ = true;
    MarkDirty(reachLeft_, reachTop_, reachRight_, reachBottom_);
}

void Canvas::ThinLine(int x1, int y1, int x2, int y2, QRgb rgb)
{
    QRgb *const pixels = pixels_;
    const qsizetype stride = stride_;
    Bresenham(x1, y1, x2, y2, [=](int x, int y) { pixels[y * stride + x] = rgb; });
}

void Canvas::ClippedLine(float px1, float py1, float px2, float py2, QRgb rgb)
{
    const int width = mapping_.PixelWidth;
    const int height = mapping_.PixelHeight;
    if (width <= 0 || height <= 0) {
        return;
    }
    // A wide line is a square brush walked along the thin line; clip with room for it.
    const int brush = drawWidth_;
    const int before = (brush - 1) / 2;
    const int after = brush - 1 - before;
    double x1 = px1;
    double y1 = py1;
    double x2 = px2;
    double y2 = py2;
    if (!ClipSegment(x1, y1, x2, y2, -brush, -brush, width + brush, height + brush)) {
        return; // outside, or not a number
    }
    const auto toPixel = [](double value) { return static_cast<int>(std::floor(value)); };
    int left = width;
    int top = height;
    int right = -1;
    int bottom = -1;
    Bresenham(toPixel(x1), toPixel(y1), toPixel(x2), toPixel(y2), [&](int x, int y) {
        const int x0 = std::max(x - before, 0);
        const int xEnd = std::min(x + after, width - 1);
        const int y0 = std::max(y - before, 0);
        const int yEnd = std::min(y + after, height - 1);
        if (x0 > xEnd || y0 > yEnd) {
            return; // this part of the brush is off the image
        }
        for (int row = y0; row <= yEnd; ++row) {
            std::fill(pixels_ + row * stride_ + x0, pixels_ + row * stride_ + xEnd + 1, rgb);
        }
        left = std::min(left, x0);
        top = std::min(top, y0);
        right = std::max(right, xEnd);
        bottom = std::max(bottom, yEnd);
    });
    if (left <= right) {
        MarkDirty(left, top, right, bottom);
    }
}

void Canvas::Resize(QSize pixelSize, qreal devicePixelRatio)
{
    const QSize size = pixelSize.expandedTo({0, 0});
    if (size == image_.size() && qFuzzyCompare(devicePixelRatio, image_.devicePixelRatio())) {
        return;
    }
    QImage resized(size, QImage::Format_RGB32);
    resized.fill(ToQRgb(backColor_));
    if (!image_.isNull() && !resized.isNull()) {
        QPainter painter(&resized);
        painter.drawImage(QPoint(0, 0), image_);
    }
    resized.setDevicePixelRatio(devicePixelRatio);
    image_ = std::move(resized);
    pixels_ = image_.isNull() ? nullptr : reinterpret_cast<QRgb *>(image_.bits());
    stride_ = image_.isNull() ? 0 : image_.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb));
    mapping_.PixelWidth = image_.width();
    mapping_.PixelHeight = image_.height();
    widthF_ = static_cast<float>(image_.width());
    heightF_ = static_cast<float>(image_.height());
    mapping_.Update();
    Forget();
    TakeDirty(); // a box from the old size may lie outside the new image
    MarkAllDirty();
}

bool Canvas::Adopt(const QImage &picture)
{
    if (picture.isNull() || picture.size() != image_.size()) {
        return false;
    }
    const qreal ratio = image_.devicePixelRatio();
    image_ = picture.convertToFormat(QImage::Format_RGB32);
    image_.setDevicePixelRatio(ratio);
    pixels_ = reinterpret_cast<QRgb *>(image_.bits());
    stride_ = image_.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb));
    Forget();
    MarkAllDirty();
    return true;
}

QRect Canvas::TakeDirty()
{
    if (dirtyLeft_ > dirtyRight_) {
        return {};
    }
    const QRect dirty(QPoint(static_cast<int>(dirtyLeft_), static_cast<int>(dirtyTop_)),
                      QPoint(static_cast<int>(dirtyRight_), static_cast<int>(dirtyBottom_)));
    dirtyLeft_ = std::numeric_limits<Coord>::max();
    dirtyTop_ = std::numeric_limits<Coord>::max();
    dirtyRight_ = std::numeric_limits<Coord>::min();
    dirtyBottom_ = std::numeric_limits<Coord>::min();
    if (reachOpen_) {
        // Lines of the curve being drawn are still to come.
        MarkDirty(reachLeft_, reachTop_, reachRight_, reachBottom_);
    }
    return dirty;
}

void Canvas::MarkAllDirty()
{
    if (image_.isNull()) {
        return;
    }
    MarkDirty(0, 0, image_.width() - 1, image_.height() - 1);
}

} // namespace levyc
