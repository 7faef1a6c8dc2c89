#pragma once

#include <QImage>

namespace qtbackend {

// The largest picture the loader decodes, in bytes of decoded pixels (4 bytes each): a header
// that claims more fails before anything is allocated. The fuzz build sets a lower one, so that
// what a header claims costs an input little time.
#ifdef QUILLET_PICTURE_LIMIT_MIB
inline constexpr qint64 MaxDecodedPictureBytes = qint64(QUILLET_PICTURE_LIMIT_MIB) << 20;
#else
inline constexpr qint64 MaxDecodedPictureBytes = qint64(512) << 20;
#endif

// A picture as one of the readers decoded it, before it is made ready for the printer.
struct DecodedPicture {
    QImage image;
    // Drawings with few colours (palette pictures) are printed without lossy compression.
    bool lossless = false;
};

// A picture of the given size to decode into, its pixels not yet set. Fails with invalid picture
// when the size is empty or over MaxDecodedPictureBytes (checked before anything is allocated),
// or when the memory cannot be had.
QImage newPicture(qint64 width, qint64 height, QImage::Format format);

} // namespace qtbackend
