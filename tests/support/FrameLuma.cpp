#include "FrameLuma.h"

#include <algorithm>

namespace levyc {

namespace {

double Luma(QRgb rgb)
{
    return 0.2126 * qRed(rgb) + 0.7152 * qGreen(rgb) + 0.0722 * qBlue(rgb);
}

// Whether a world coordinate lies between two bounds, in either order.
bool Between(double value, double a, double b)
{
    return value >= std::min(a, b) && value <= std::max(a, b);
}

} // namespace

double MeanLuma(const QImage &image)
{
    return MeanLumaWithin(image, {0, 0, 1, 1}, {0, 0, 1, 1});
}

double MeanLumaWithin(const QImage &image, const WorldWindow &shows, const WorldWindow &within)
{
    double sum = 0;
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        if (!Between(shows.Top + (y + 0.5) / image.height() * shows.Height(), within.Top, within.Bottom)) {
            continue;
        }
        for (int x = 0; x < image.width(); ++x) {
            if (Between(shows.Left + (x + 0.5) / image.width() * shows.Width(), within.Left, within.Right)) {
                sum += Luma(image.pixel(x, y));
                ++count;
            }
        }
    }
    return count == 0 ? 0 : sum / count;
}

} // namespace levyc
