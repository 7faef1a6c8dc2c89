#pragma once

#include <QIODevice>

#include "platform/qt/pictures/DecodedPicture.h"

namespace qtbackend {

// Decodes the first frame of a GIF picture onto its logical screen: RGB32, or ARGB32 when a
// pixel is transparent or the frame leaves part of the screen uncovered. Unlike Qt's reader,
// which keeps what it decoded before the data ran out, it fails with invalid picture when the
// frame's data ends before its last pixel or holds a code or colour index that cannot be.
// Later frames, and whatever follows the first frame's pixels, are not read. A picture without
// a colour table is taken as greys.
class GifReader {
public:
    static DecodedPicture read(QIODevice& device);
};

} // namespace qtbackend
