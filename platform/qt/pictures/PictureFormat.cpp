#include "platform/qt/pictures/PictureFormat.h"

#include "platform/Failure.h"
#include "platform/qt/pictures/BmpReader.h"
#include "platform/qt/pictures/GifReader.h"
#include "platform/qt/pictures/JpegReader.h"
#include "platform/qt/pictures/TiffReader.h"

namespace qtbackend {

PictureFormat pictureFormatOf(const QByteArray& firstBytes) {
    if (firstBytes.startsWith("BM")) {
        return PictureFormat::Bmp;
    }
    if (firstBytes.startsWith("GIF87a") || firstBytes.startsWith("GIF89a")) {
        return PictureFormat::Gif;
    }
    if (firstBytes.startsWith("\xFF\xD8")) {
        return PictureFormat::Jpeg;
    }
    // Classic TIFF and BigTIFF, in either byte order.
    if (firstBytes.startsWith(QByteArray("II*\0", 4)) ||
        firstBytes.startsWith(QByteArray("MM\0*", 4)) ||
        firstBytes.startsWith(QByteArray("II+\0", 4)) ||
        firstBytes.startsWith(QByteArray("MM\0+", 4))) {
        return PictureFormat::Tiff;
    }
    return PictureFormat::Other;
}

DecodedPicture readPicture(PictureFormat format, QIODevice& device) {
    switch (format) {
    case PictureFormat::Bmp:
        return BmpReader::read(device);
    case PictureFormat::Gif:
        return GifReader::read(device);
    case PictureFormat::Jpeg:
        return JpegReader::read(device);
    case PictureFormat::Tiff:
        return TiffReader::read(device);
    case PictureFormat::Other:
        break;
    }
    platform::raise(platform::ErrorNumber::InvalidPicture);
}

} // namespace qtbackend
