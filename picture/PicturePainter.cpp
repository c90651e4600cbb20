#include "PicturePainter.h"

#include "views/OverviewPlacement.h"

#include <QImage>
#include <QPainter>

#include <utility>

namespace levyc {

namespace {

// The overlay's distance from the picture's corner, and around its text.
constexpr int OverlayMargin = 6;
constexpr int OverlayPadding = 4;
// Dark enough under white text on any colour of the picture.
constexpr int OverlayShade = 170;

} // namespace

PicturePainter::PicturePainter(QPainter &painter, const QRect &inner, const ImagePlacement &placement)
    : painter_(painter)
    , inner_(inner)
    , placement_(placement)
{
}

void PicturePainter::FocusRing(const QColor &highlight)
{
    const QRect ring = inner_.adjusted(-1, -1, 1, 1);
    painter_.resetTransform();
    painter_.setClipping(false);
    painter_.fillRect(QRect(ring.topLeft(), QSize(ring.width(), 1)), highlight);
    painter_.fillRect(QRect(ring.bottomLeft(), QSize(ring.width(), 1)), highlight);
    painter_.fillRect(QRect(ring.topLeft(), QSize(1, ring.height())), highlight);
    painter_.fillRect(QRect(ring.topRight(), QSize(1, ring.height())), highlight);
}

void PicturePainter::Image(const QImage &image, const QRect &rect)
{
    const QRect source = placement_.ImagePixelsUnder(rect) & image.rect();
    if (source.isEmpty()) {
        return;
    }
    painter_.setWorldTransform(placement_.ToWidget());
    painter_.drawImage(QRectF(source), image, QRectF(source));
}

void PicturePainter::Preview(const QImage &image, const std::optional<PreviewPlacement> &placed)
{
    painter_.resetTransform();
    painter_.fillRect(inner_, Qt::black);
    if (image.isNull() || !placed) {
        return;
    }
    painter_.setClipRect(inner_);
    painter_.setWorldTransform(placement_.ToWidget());
    painter_.drawImage(placed->target, image, placed->source);
}

void PicturePainter::Box(const QRectF &box)
{
    painter_.resetTransform();
    painter_.setClipRect(inner_);
    const QRectF drawn = placement_.ToWidget().mapRect(box.normalized());
    // Black under white dashes: seen on any colour.
    painter_.setBrush(Qt::NoBrush);
    painter_.setPen(QPen(Qt::black, 1));
    painter_.drawRect(drawn);
    painter_.setPen(QPen(Qt::white, 1, Qt::DashLine));
    painter_.drawRect(drawn);
}

void PicturePainter::Overview(const QImage &scaled, const WorldWindow &view)
{
    const OverviewPlacement overview{QSizeF(inner_.size())};
    const QRectF frame = overview.Frame().translated(inner_.topLeft());
    painter_.resetTransform();
    painter_.setClipRect(inner_);
    painter_.drawImage(frame, scaled);
    // Black under white: seen on any colour.
    painter_.setBrush(Qt::NoBrush);
    painter_.setPen(QPen(Qt::black, 1));
    painter_.drawRect(frame.adjusted(-1.5, -1.5, 0.5, 0.5));
    painter_.setPen(QPen(Qt::white, 1));
    painter_.drawRect(frame.adjusted(-0.5, -0.5, -0.5, -0.5));
    const QRectF mark = overview.Mark(view).translated(inner_.topLeft());
    painter_.setClipRect(frame);
    for (const auto &[pen, width] : {std::pair(Qt::black, 3), std::pair(Qt::yellow, 1)}) {
        painter_.setPen(QPen(pen, width));
        if (OverviewPlacement::IsCross(mark)) {
            const auto [across, down] = OverviewPlacement::Cross(mark);
            painter_.drawLine(across);
            painter_.drawLine(down);
        } else {
            painter_.drawRect(mark);
        }
    }
}

void PicturePainter::Overlay(const QString &text, const QFont &font)
{
    painter_.resetTransform();
    painter_.setClipRect(inner_);
    painter_.setFont(font);
    const QPoint corner = inner_.topLeft() + QPoint(OverlayMargin, OverlayMargin);
    const QRect textRect = painter_.fontMetrics()
                               .boundingRect(QRect(corner, QSize(inner_.width(), 0)), Qt::AlignLeft, text)
                               .translated(OverlayPadding, OverlayPadding);
    painter_.fillRect(textRect.adjusted(-OverlayPadding, -OverlayPadding, OverlayPadding, OverlayPadding),
                      QColor(0, 0, 0, OverlayShade));
    painter_.setPen(Qt::white);
    painter_.drawText(textRect, Qt::AlignLeft, text);
}

} // namespace levyc
