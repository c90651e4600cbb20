#include "OverlayText.h"

#include "ViewText.h"

#include <algorithm>
#include <cmath>

namespace levyc {

namespace {

// Beyond these the zoom reads as a power of ten.
constexpr double PlainZoomBelow = 1000;
constexpr double PlainZoomFrom = 0.01;
// Double precision holds no more than this many.
constexpr int MaxDecimals = 17;

QString Fixed(double value, int decimals)
{
    const QString text = QString::number(value, 'f', decimals);
    // No "-0.00" for a centre that rounds to nought.
    return text.toDouble() == 0 ? QString::number(0.0, 'f', decimals) : text;
}

} // namespace

OverlayText::OverlayText(const WorldWindow &view, QSize size)
    : zoom_(std::abs(ViewZoom(view, size)))
    , x_(view.CentreX())
    , y_(view.CentreY())
{
    // Two centres a pixel apart differ by at least one in the last decimal.
    const double pixel = std::min(std::abs(view.Width()) / std::max(size.width(), 1),
                                  std::abs(view.Height()) / std::max(size.height(), 1));
    decimals_ = std::clamp(static_cast<int>(std::ceil(-std::log10(pixel))), 0, MaxDecimals);
}

QString OverlayText::ZoomText() const
{
    const QString times = QStringLiteral("×");
    if (!std::isfinite(zoom_) || zoom_ <= 0) {
        return times + QStringLiteral("?");
    }
    // Three significant digits, or two before a power of ten.
    const int exponent = static_cast<int>(std::floor(std::log10(zoom_)));
    const double plain = std::round(zoom_ / std::pow(10, exponent - 2)) * std::pow(10, exponent - 2);
    if (plain >= PlainZoomFrom && plain < PlainZoomBelow) {
        return times + QString::number(plain, 'g', 3);
    }
    double mantissa = std::round(zoom_ / std::pow(10, exponent) * 10) / 10;
    int power = exponent;
    if (mantissa >= 10) {
        mantissa /= 10;
        ++power;
    }
    return times + QString::number(mantissa, 'g', 2) + QStringLiteral("e") + QString::number(power);
}

QString OverlayText::CentreText() const
{
    return Fixed(x_, decimals_) + QStringLiteral(", ") + Fixed(y_, decimals_);
}

} // namespace levyc
