// Quillet's own picture readers (BMP, GIF, JPEG on libjpeg, TIFF on libtiff) on arbitrary bytes:
// they must not crash, leak, hang or read out of bounds, and whatever they give must be a
// picture of the formats the printer takes. What Qt's plugins read (PNG, WebP) is not ours.

#include <cstdint>
#include <cstdlib>

#include <QBuffer>
#include <QByteArray>

#include "platform/Failure.h"
#include "platform/qt/pictures/PictureFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const qtbackend::PictureFormat format = qtbackend::pictureFormatOf(buffer.peek(8));
    if (format == qtbackend::PictureFormat::Other) {
        return 0;
    }
    try {
        const qtbackend::DecodedPicture decoded = qtbackend::readPicture(format, buffer);
        const QImage& image = decoded.image;
        const bool printable = image.format() == QImage::Format_RGB32 ||
                               image.format() == QImage::Format_ARGB32 ||
                               image.format() == QImage::Format_ARGB32_Premultiplied ||
                               image.format() == QImage::Format_Mono;
        if (image.isNull() || !printable ||
            qint64(image.width()) * image.height() * 4 > qtbackend::MaxDecodedPictureBytes) {
            std::abort();
        }
    } catch (const platform::RuntimeError& failure) {
        if (failure.number() != platform::ErrorNumber::InvalidPicture) {
            std::abort();
        }
    }
    return 0;
}
