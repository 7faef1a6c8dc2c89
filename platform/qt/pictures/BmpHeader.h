#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include <QIODevice>
#include <QRgb>

namespace qtbackend {

// The headers of a BMP file, of every kind that holds a plain bitmap: OS/2 1.x (a 12-byte
// header), OS/2 2.x (16 or 64 bytes), and Windows' 40 bytes with the 52, 56, 108 and 124 of the
// versions that add masks, colour space and profile; with the palette or the channel masks.
// Sizes, offsets and counts that cannot be fail with invalid picture.
struct BmpHeader {
    enum class Compression { None, Rle8, Rle4, BitFields };

    qint64 width = 0;
    qint64 height = 0;
    // Rows are stored from the top down, not from the bottom up.
    bool topDown = false;
    int bitsPerPixel = 0;
    Compression compression = Compression::None;
    // The red, green, blue and alpha masks of 16- and 32-bit pixels; alpha 0 when there is none.
    std::array<std::uint32_t, 4> masks{};
    // The colours of 1- to 8-bit pixels: no more than their indexes can reach.
    std::vector<QRgb> palette;
    // Where the pixels start, from the start of the file.
    qint64 pixelOffset = 0;

    // Reads the headers and the palette from the start of the device.
    static BmpHeader read(QIODevice& device);
};

} // namespace qtbackend
