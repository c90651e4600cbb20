#include "private/Palette.h"

#include "parallel/EveryCore.h"

#include <QImage>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>

namespace levyc {

namespace {

constexpr QRgb ColourMask = 0x00ffffffU;
// Pixels looked at together: a run of the last colour passes this many at a
// time, without a branch per pixel.
constexpr int Group = 8;
// Rows a thread takes at a time while looking for the colours.
constexpr int BandRows = 64;

// Whether the group of pixels from `pixels` has only `colour`.
bool GroupIs(const QRgb *pixels, QRgb colour)
{
    QRgb differs = 0;
    for (int i = 0; i < Group; ++i) {
        differs |= pixels[i] ^ colour;
    }
    return (differs & ColourMask) == 0;
}

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

void Palette::Clear()
{
    colours_.clear();
    keys_.fill(Empty);
}

bool Palette::AddRows(const QImage &image, int first, int end)
{
    const int width = image.width();
    QRgb last = Empty;
    for (int y = first; y < end; ++y) {
        const auto *pixels = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        int x = 0;
        while (x < width) {
            if (last != Empty && x + Group <= width && GroupIs(pixels + x, last)) {
                x += Group;
                continue;
            }
            const QRgb colour = pixels[x] & ColourMask;
            if (colour != last) {
                if (!Add(colour)) {
                    return false;
                }
                last = colour;
            }
            ++x;
        }
    }
    return true;
}

bool Palette::Take(const QImage &image)
{
    Clear();
    std::atomic<int> nextBand = 0;
    std::atomic<bool> tooMany = false;
    std::mutex merging;
    OnEveryCore([&] {
        Palette found;
        for (int first = nextBand++ * BandRows; first < image.height() && !tooMany; first = nextBand++ * BandRows) {
            if (!found.AddRows(image, first, std::min(image.height(), first + BandRows))) {
                tooMany = true;
            }
        }
        const std::lock_guard lock(merging);
        for (const QRgb colour : found.colours_) {
            if (!tooMany && !Add(colour)) {
                tooMany = true;
            }
        }
    });
    if (tooMany) {
        return false;
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
    int x = 0;
    while (x < width) {
        if (last != Empty && x + Group <= width && GroupIs(pixels + x, last)) {
            std::memset(indices + x, index, Group);
            x += Group;
            continue;
        }
        const QRgb colour = pixels[x] & ColourMask;
        if (colour != last) {
            last = colour;
            // Every colour of the image is in the table.
            index = indices_[Find(colour)];
        }
        indices[x++] = index;
    }
}

} // namespace levyc
