#pragma once

#include "views/ImagePlacement.h"
#include "views/PreviewPlacement.h"
#include "world/WorldWindow.h"

#include <QRect>

#include <optional>

class QColor;
class QFont;
class QImage;
class QPainter;
class QString;

namespace levyc {

// Paints the picture area: its image or the preview, and over them, never
// into them, the zoom box, the overview and the overlay.
class PicturePainter
{
public:
    // `inner`: the widget's inner area, where all of it goes.
    PicturePainter(QPainter &painter, const QRect &inner, const ImagePlacement &placement);

    // The frame's inner ring, never the picture: Copy and the screen's picture stay the same.
    void FocusRing(const QColor &highlight);
    // An image of the picture's size, where `rect` of the widget asks.
    void Image(const QImage &image, const QRect &rect);
    // A preview moved and scaled to where it goes, black around it.
    void Preview(const QImage &image, const std::optional<PreviewPlacement> &placed);
    // The zoom box being drawn, in image pixels.
    void Box(const QRectF &box);
    // The whole Draw, scaled to the overview's frame, with `view` marked on it.
    void Overview(const QImage &scaled, const WorldWindow &view);
    // Lines of text in the top-left corner, white on a dark shade.
    void Overlay(const QString &text, const QFont &font);

private:
    QPainter &painter_;
    QRect inner_;
    ImagePlacement placement_;
};

} // namespace levyc
