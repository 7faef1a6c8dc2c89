#pragma once

#include <QIODevice>

#include "platform/qt/pictures/DecodedPicture.h"

namespace qtbackend {

// Decodes a JPEG picture with libjpeg(-turbo) into RGB32. Unlike Qt's reader, which fills what
// is missing with grey, it fails with invalid picture when the data is corrupt or ends before
// the last row: libjpeg's warnings of corrupt data count as failures, and so does a file that
// ends before the last scan of a progressive picture, and so do more stray bytes after a scan
// than an encoder's padding. Oddities that leave every pixel decodable (bytes after the end
// marker, or a sequential picture's missing end marker, unknown markers, a broken EXIF
// thumbnail, stray bytes between the header's segments) are ignored. CMYK pictures are taken as
// Adobe writes them, with inverted values.
class JpegReader {
public:
    static DecodedPicture read(QIODevice& device);
};

} // namespace qtbackend
