#include "Palette.h"

#include <QImage>

#include <algorithm>

namespace levyc {

namespace {

constexpr QRgb ColourMask = 0x00ffffffU;

} // namespace

std::size_t Palette::Find(QRgb colour) const
{
    std::size_t slot = (colour * 2654435761U) >> (32 - TableBits);
    while (keys_[slot] != Empty && keys_[slot] != colour) {
        slot = (slot + 1) & (keys_.size() - 1);
    }
    return slot;
}

bool Palette::Add(QRgb colour)
{
    const std::size_t slot = Find(colour);
    if (keys_[slot] == colour) {
        return true;
    }
    if (colours_.size() == MaxColours) {
        return false;
    }
    keys_[slot] = colour;
    colours_.push_back(colour);
    return true;
}

bool Palette::Take(const QImage &image)
{
    colours_.clear();
    keys_.fill(Empty);
    // Runs of one colour are the rule in a picture of thin lines on black.
    QRgb last = Empty;
    for (int y = 0; y < image.height(); ++y) {
        const auto *pixels = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb colour = pixels[x] & ColourMask;
            if (colour != last) {
                if (!Add(colour)) {
                    return false;
                }
                last = colour;
            }
        }
    }
    std::sort(colours_.begin(), colours_.end());
    for (std::size_t i = 0; i < colours_.size(); ++i) {
        indices_[Find(colours_[i])] = static_cast<std::uint8_t>(i);
    }
    return true;
}

void Palette::IndexRow(const QRgb *pixels, int width, std::uint8_t *indices) const
{
    QRgb last = Empty;
    std::uint8_t index = 0;
    for (int x = 0; x < width; ++x) {
        const QRgb colour = pixels[x] & ColourMask;
        if (colour != last) {
            last = colour;
            // Every colour of the image is in the table.
            index = indices_[Find(colour)];
        }
        indices[x] = index;
    }
}

} // namespace levyc
