#pragma once

#include <QRgb>

#include <array>
#include <cstdint>
#include <vector>

class QImage;

namespace levyc {

// The colours of an image that has at most 256 of them, for an indexed PNG:
// sorted, so the same picture always gets the same palette, with black first.
// Alpha is not part of a colour.
class Palette
{
public:
    static constexpr int MaxColours = 256;

    Palette() { Clear(); }

    // False when the image has more colours than a palette holds.
    bool Take(const QImage &image);

    [[nodiscard]] const std::vector<QRgb> &Colours() const { return colours_; }

    // Each pixel of a row of the image as its index in the palette.
    void IndexRow(const QRgb *pixels, int width, std::uint8_t *indices) const;

private:
    static constexpr int TableBits = 10;       // four times the most colours: short probes
    static constexpr QRgb Empty = 0xffffffffU; // not a colour: colours have no alpha

    void Clear();
    // Adds the colours of rows first to end - 1; false past 256 of them.
    bool AddRows(const QImage &image, int first, int end);
    // The colour's slot in the table, or the empty one where it would go.
    [[nodiscard]] std::size_t Find(QRgb colour) const;
    // False when a colour beyond the 256th would be added.
    bool Add(QRgb colour);

    std::vector<QRgb> colours_;
    std::array<QRgb, std::size_t{1} << TableBits> keys_{};
    std::array<std::uint8_t, std::size_t{1} << TableBits> indices_{};
};

} // namespace levyc
