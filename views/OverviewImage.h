#pragma once

#include <QImage>
#include <QSizeF>

namespace levyc {

// The Draw's picture for the overview, and it scaled to the overview's frame.
class OverviewImage
{
public:
    // The Draw's picture; a null image for none.
    void SetDrawn(const QImage &drawn);
    [[nodiscard]] bool HasDrawn() const { return !drawn_.isNull(); }
    // Scales it to the overview of a picture `inner` logical pixels large, at
    // `ratio` device pixels a logical one, when that size has changed.
    void Fit(QSizeF inner, qreal ratio);
    [[nodiscard]] const QImage &Scaled() const { return scaled_; }

private:
    QImage drawn_;
    QImage scaled_;
};

} // namespace levyc
