#pragma once

#include <string>

#include <QImage>

#include "platform/Picture.h"
#include "platform/qt/pictures/DecodedPicture.h"

namespace qtbackend {

// A picture decoded by Qt's image plugins, as the picture loader hands it to the printer.
class QtPicture : public platform::PictureData {
public:
    QtPicture(QImage image, bool lossless) : image(std::move(image)), lossless(lossless) {}

    // RGB32, or ARGB32 when the picture has transparency, or a black-and-white bitmap.
    const QImage image;
    // Drawings with few colours (palette pictures) are embedded without lossy compression;
    // photographs are.
    const bool lossless;
};

// Loads a picture file, told apart by content, not by name: JPEG, GIF (its first frame), BMP and
// TIFF with Quillet's own readers (libjpeg and libtiff under two of them), PNG, WebP and whatever
// else Qt's image plugins read with those. A missing file fails with file not found; anything
// unreadable, not a picture, of an absurd size (over MaxDecodedPictureBytes), cut short or
// corrupt fails with invalid picture, so that nothing half-decoded is printed. The natural size
// is the pixel size at 96 pixels per inch. A camera's orientation tag is not applied: the
// picture is taken as stored, at the size its header gives.
platform::Picture loadPictureFile(const std::u16string& path);

} // namespace qtbackend
