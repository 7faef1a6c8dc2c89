#pragma once

#include <QByteArray>
#include <QIODevice>

#include "platform/qt/pictures/DecodedPicture.h"

namespace qtbackend {

// The formats Quillet reads itself, told apart by their first bytes; Other goes to Qt's readers.
enum class PictureFormat { Bmp, Gif, Jpeg, Tiff, Other };

PictureFormat pictureFormatOf(const QByteArray& firstBytes);

// Decodes a picture of one of Quillet's own formats (not Other) from the device's start.
DecodedPicture readPicture(PictureFormat format, QIODevice& device);

} // namespace qtbackend
