#pragma once

#include <QIODevice>

#include "platform/qt/pictures/DecodedPicture.h"

namespace qtbackend {

// Decodes the first page of a TIFF picture with libtiff, in any compression it has: a
// black-and-white page in strips stays one bit a pixel; grey, palette, RGB and CMYK pages of any
// sample size come from their samples (TiffSampleReader); the others (YCbCr, CIE Lab, LogLuv,
// old-style JPEG) through libtiff's RGBA interface. Gives RGB32, or ARGB32 (premultiplied or
// not) with alpha. Rows are taken as stored, whatever the orientation tag says. Unlike Qt's
// reader, it fails with invalid picture when libtiff reports an error, and when its codecs warn
// that data ended early or was corrupt (fax data that ends before the page, JPEG strips that are
// cut short).
class TiffReader {
public:
    static DecodedPicture read(QIODevice& device);
};

} // namespace qtbackend
