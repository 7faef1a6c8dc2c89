#pragma once

#include <QIODevice>

#include "platform/qt/pictures/DecodedPicture.h"

namespace qtbackend {

// Decodes a BMP picture of any header kind (see BmpHeader): 1, 2, 4 and 8 bits with a palette,
// RLE4 and RLE8, 16 and 32 bits with default or explicit channel masks (alpha included), 24
// bits; bottom-up or top-down. Gives RGB32; ARGB32 when an alpha mask gives transparency or RLE
// leaves pixels undefined (those are transparent); a 1-bit black-and-white bitmap stays one.
// Unlike Qt's reader, it fails with invalid picture when the pixels end before the last row,
// when an RLE run leaves the picture, or when a colour index is not in the palette.
class BmpReader {
public:
    static DecodedPicture read(QIODevice& device);
};

} // namespace qtbackend
