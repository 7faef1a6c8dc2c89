#pragma once

#include <string>

#include <QImage>

#include "platform/Picture.h"

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

// The largest picture the loader decodes, in bytes of decoded pixels (4 bytes each): a header
// that claims more fails before anything is allocated.
inline constexpr qint64 MaxDecodedPictureBytes = qint64(512) << 20;

// Loads a picture file with Qt's image plugins: JPEG, GIF (its first frame), BMP, TIFF, PNG, WebP
// and whatever else they read, told apart by content, not by name. A missing file fails with
// file not found; anything unreadable, not a picture, or of an absurd size fails with invalid
// picture. The natural size is the pixel size at 96 pixels per inch. A camera's orientation tag
// is not applied: the picture is taken as stored, at the size its header gives.
platform::Picture loadPictureFile(const std::u16string& path);

} // namespace qtbackend
