#pragma once

#include <QPoint>
#include <QRect>
#include <QTransform>

namespace levyc {

// Where a picture's image lies in the widget that shows it: one image pixel
// to one device pixel, whatever the scale, so that it is copied, never
// resampled. Image (x, y) lands on device pixel (x, y) + DeviceInner().topLeft()
// of the window.
class ImagePlacement
{
public:
    // `inner`: the widget's inner area, in its own logical pixels; `origin`:
    // where the widget stands in its window; `ratio`: device pixels a logical one.
    ImagePlacement(const QRect &inner, QPoint origin, qreal ratio);

    // The inner area in device pixels of the window: the pixels the image covers.
    [[nodiscard]] QRect DeviceInner() const { return device_; }
    // Image pixels to the widget's coordinates, and back.
    [[nodiscard]] QTransform ToWidget() const;
    [[nodiscard]] QPointF ToImage(QPointF widget) const;
    // The image pixels that a rectangle of the widget touches.
    [[nodiscard]] QRect ImagePixelsUnder(const QRect &widget) const;
    // The widget's whole logical pixels that cover a rectangle of image pixels.
    [[nodiscard]] QRect WidgetPixelsOver(const QRect &image) const;

private:
    QRect device_;
    QPoint origin_;
    qreal ratio_;
};

} // namespace levyc
