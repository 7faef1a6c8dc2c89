#pragma once

#include <cstdint>
#include <tiffio.h>

#include <QImage>

namespace qtbackend {

// Decodes a TIFF page from its samples, for the kinds libtiff decompresses but its RGBA
// interface does not convert (samples of 3, 12 or 32 bits, floating point, small uncompressed
// tiles): grey (black or white as zero), RGB, palette and CMYK; integer samples of 1 to 32 bits
// (signed ones taken by their bits), floating point of 16, 32 or 64 bits (0 to 1, clamped);
// with or without an alpha sample; in strips or tiles, interleaved or in planes. Gives RGB32,
// ARGB32, or premultiplied ARGB32 for associated alpha. A strip or tile that fails to decode
// fails with invalid picture.
class TiffSampleReader {
public:
    // Whether the page is of a kind this reader decodes.
    static bool handles(TIFF* tiff);
    static QImage read(TIFF* tiff, std::uint32_t width, std::uint32_t height);
};

} // namespace qtbackend
