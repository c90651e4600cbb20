#pragma once

#include "drawing/Passes.h"
#include "drawing/PictureSize.h"
#include "world/WorldMapping.h"

#include <QSize>

#include <cstdint>
#include <vector>

namespace levyc {

// The floor the Draw is measured against: nothing but the recursion, the pen
// in doubles, the mapping in floats and one store per line, into a plain buffer.
class Floor
{
public:
    explicit Floor(QSize size)
        : pixels_(static_cast<size_t>(size.width()) * static_cast<size_t>(size.height()))
        , stride_(size.width())
        , mapping_(WorldMapping::Of(PictureWorld, size.width(), size.height()))
    {
    }

    void Picture()
    {
        double x = 0;
        for (std::int16_t i = 0; i <= LastPass; ++i) {
            x = PassCurve(i).X;
            penX_ = x;
            penY_ = PassCurve(i).Y;
            color_ = static_cast<std::uint32_t>(i);
            Curve(100 + i, 0);
        }
        penX_ = x;
        penY_ = -200;
        color_ = 0xffffffU;
        Curve(200, 0);
    }

    [[nodiscard]] const std::vector<std::uint32_t> &Pixels() const { return pixels_; }

private:
    void Curve(double p, double q)
    {
        if (p * p + q * q <= 1.0) {
            penX_ += p;
            penY_ += q;
            const auto px = static_cast<int>(mapping_.PixelX(static_cast<float>(penX_)));
            const auto py = static_cast<int>(mapping_.PixelY(static_cast<float>(penY_)));
            pixels_[static_cast<size_t>(py) * static_cast<size_t>(stride_) + static_cast<size_t>(px)] = color_;
            return;
        }
        Curve((p + q) / 2, (q - p) / 2);
        Curve((p - q) / 2, (p + q) / 2);
    }

    std::vector<std::uint32_t> pixels_;
    int stride_;
    WorldMapping mapping_;
    double penX_ = 0;
    double penY_ = 0;
    std::uint32_t color_ = 0;
};

} // namespace levyc
