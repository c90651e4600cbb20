#include "OverviewImage.h"

#include "OverviewPlacement.h"

namespace levyc {

void OverviewImage::SetDrawn(const QImage &drawn)
{
    drawn_ = drawn;
    scaled_ = {};
}

void OverviewImage::Fit(QSizeF inner, qreal ratio)
{
    if (drawn_.isNull()) {
        scaled_ = {};
        return;
    }
    const QSize pixels = (OverviewPlacement(inner).Frame().size() * ratio).toSize();
    if (scaled_.size() != pixels) {
        // Smoothly: the Draw's thin lines stay in sight at a quarter of the size.
        scaled_ = drawn_.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
}

} // namespace levyc
