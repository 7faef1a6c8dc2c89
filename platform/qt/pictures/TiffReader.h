#pragma once

#include <QIODevice>

#include "platform/qt/pictures/DecodedPicture.h"

namespace qtbackend {

// Decodes the first page of a TIFF picture with libtiff: a black-and-white page stays one bit a
// pixel; every other kind libtiff's RGBA interface reads (grey, palette, RGB, YCbCr, CMYK, CIE
// Lab, LogLuv; any bit depth it converts; strips or tiles; every compression it has) becomes
// RGB32, or premultiplied ARGB32 with alpha. Rows are taken as stored, whatever the orientation
// tag says. Unlike Qt's reader, it fails with invalid picture when libtiff reports an error, and
// when its codecs warn that data ended early or was corrupt (fax data that ends before the
// page, JPEG strips that are cut short).
class TiffReader {
public:
    static DecodedPicture read(QIODevice& device);
};

} // namespace qtbackend
