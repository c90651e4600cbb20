#pragma once

#include "DrawingSurface.h"
#include "WorldMapping.h"

#include <QImage>
#include <QRect>
#include <QSize>

#include <cstdint>

// The persistent image of a picture area with its world window and line
// rasterizer. Draws without a screen; Refresh has nothing to show.
class Canvas final : public DrawingSurface
{
public:
    explicit Canvas(QSize pixelSize = {}, PackedColor backColor = 0, qreal devicePixelRatio = 1.0);

    void SetScaleLeft(float value) override;
    void SetScaleTop(float value) override;
    void SetScaleWidth(float value) override;
    void SetScaleHeight(float value) override;
    void SetBackColor(PackedColor color) override;
    void SetDrawWidth(int width) override;
    void Cls() override;
    void Line(float x1, float y1, float x2, float y2, PackedColor color) override;
    void Refresh() override {}

    // Resizes the image in pixels; what fits stays, new pixels take BackColor.
    // When the memory cannot be had the image is null and nothing is drawn.
    void Resize(QSize pixelSize, qreal devicePixelRatio);

    // Shares the pixels with the canvas, which keeps writing to them: use
    // QImage::copy() for a snapshot.
    [[nodiscard]] const QImage &Image() const { return image_; }
    [[nodiscard]] const WorldMapping &Mapping() const { return mapping_; }
    [[nodiscard]] PackedColor BackColor() const { return backColor_; }
    [[nodiscard]] int DrawWidth() const { return drawWidth_; }
    [[nodiscard]] std::int64_t LinesDrawn() const { return linesDrawn_; }

    // The box of pixels changed since the last call, in image pixels.
    QRect TakeDirty();

    static QRgb ToQRgb(PackedColor color) { return qRgb(RedOf(color), GreenOf(color), BlueOf(color)); }

private:
    void SetScale(float WorldMapping::*field, float value);
    void ClippedLine(float px1, float py1, float px2, float py2, QRgb rgb);
    void MarkDirty(int left, int top, int right, int bottom);
    void MarkAllDirty();

    QImage image_;
    // Cached from image_, which is never shared, so the per-line path skips detach checks.
    QRgb *pixels_ = nullptr;
    qsizetype stride_ = 0;
    WorldMapping mapping_;
    PackedColor backColor_;
    int drawWidth_ = 1;
    std::int64_t linesDrawn_ = 0;
    // Inclusive; empty while dirtyLeft_ > dirtyRight_.
    int dirtyLeft_ = 0;
    int dirtyTop_ = 0;
    int dirtyRight_ = -1;
    int dirtyBottom_ = -1;
};
