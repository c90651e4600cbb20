#pragma once

namespace levyc {

// Maps world coordinates linearly onto an image, each axis on its own: world
// (Left, Top) is the image's top-left corner, (Left + Width, Top + Height) its
// bottom-right corner. Single precision, as the surface receives it.
struct WorldMapping
{
    float Left = 0.0F;
    float Top = 0.0F;
    float Width = 1.0F;
    float Height = 1.0F;
    int PixelWidth = 0;
    int PixelHeight = 0;

    // Pixel coordinate: the pixel holding a point is (floor(PixelX), floor(PixelY)).
    [[nodiscard]] float PixelX(float x) const { return (x - Left) * scaleX; }
    [[nodiscard]] float PixelY(float y) const { return (y - Top) * scaleY; }

    // Call after changing any field above.
    void Update()
    {
        scaleX = static_cast<float>(PixelWidth) / Width;
        scaleY = static_cast<float>(PixelHeight) / Height;
    }

private:
    // Cached so the per-line path multiplies instead of divides.
    float scaleX = 0.0F;
    float scaleY = 0.0F;
};

} // namespace levyc
