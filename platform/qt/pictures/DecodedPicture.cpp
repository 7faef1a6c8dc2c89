#include "platform/qt/pictures/DecodedPicture.h"

#include "platform/Failure.h"

namespace qtbackend {

QImage newPicture(qint64 width, qint64 height, QImage::Format format) {
    if (width <= 0 || height <= 0 || width > MaxDecodedPictureBytes / 4 / height) {
        platform::raise(platform::ErrorNumber::InvalidPicture);
    }
    QImage image(static_cast<int>(width), static_cast<int>(height), format);
    if (image.isNull()) {
        platform::raise(platform::ErrorNumber::InvalidPicture);
    }
    return image;
}

} // namespace qtbackend
