#pragma once

#include "WorldWindow.h"

namespace levyc {

// Maps world coordinates linearly onto an image, each axis on its own: world
// (Left, Top) is the image's top-left corner, (Left + Width, Top + Height) its
// bottom-right corner. The Draw maps in single precision, as its surface
// receives coordinates; views in double.
template <typename Real> struct BasicWorldMapping
{
    Real Left = 0;
    Real Top = 0;
    Real Width = 1;
    Real Height = 1;
    int PixelWidth = 0;
    int PixelHeight = 0;

    // A world window shown on an image of the given size.
    static BasicWorldMapping Of(const WorldWindow &window, int pixelWidth, int pixelHeight)
    {
        BasicWorldMapping mapping;
        mapping.Left = static_cast<Real>(window.Left);
        mapping.Top = static_cast<Real>(window.Top);
        mapping.Width = static_cast<Real>(window.Width());
        mapping.Height = static_cast<Real>(window.Height());
        mapping.PixelWidth = pixelWidth;
        mapping.PixelHeight = pixelHeight;
        mapping.Update();
        return mapping;
    }

    // Pixel coordinate: the pixel holding a point is (floor(PixelX), floor(PixelY)).
    [[nodiscard]] Real PixelX(Real x) const { return (x - Left) * scaleX_; }
    [[nodiscard]] Real PixelY(Real y) const { return (y - Top) * scaleY_; }
    // Pixels per world unit, negative where the axis runs the other way.
    [[nodiscard]] Real ScaleX() const { return scaleX_; }
    [[nodiscard]] Real ScaleY() const { return scaleY_; }

    // Call after changing any field above.
    void Update()
    {
        scaleX_ = static_cast<Real>(PixelWidth) / Width;
        scaleY_ = static_cast<Real>(PixelHeight) / Height;
    }

private:
    // Cached so the per-line path multiplies instead of divides.
    Real scaleX_ = 0;
    Real scaleY_ = 0;
};

using WorldMapping = BasicWorldMapping<float>;

} // namespace levyc
