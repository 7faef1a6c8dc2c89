#include "platform/qt/QtPictureLoader.h"

#include <memory>
#include <unistd.h>

#include <QColor>
#include <QFile>
#include <QImageReader>

#include "platform/Failure.h"
#include "platform/Files.h"
#include "platform/Strings.h"
#include "platform/qt/pictures/PictureFormat.h"

namespace qtbackend {

namespace {

using platform::ErrorNumber;
using platform::raise;

// The picture road fails with file not found for a name no file can have, and with invalid
// picture for anything it cannot open as a regular file.
int openPictureFile(const std::u16string& path) {
    try {
        return platform::openRegularFile(path);
    } catch (const platform::RuntimeError& failure) {
        const bool missing = failure.number() == ErrorNumber::FileNotFound ||
                             failure.number() == ErrorNumber::BadFileName;
        raise(missing ? ErrorNumber::FileNotFound : ErrorNumber::InvalidPicture);
    }
}

bool isBlackAndWhite(const QImage& image) {
    const QList<QRgb> colours = image.colorTable();
    return image.depth() == 1 && colours.size() == 2 && colours[0] == QColor(Qt::black).rgba() &&
           colours[1] == QColor(Qt::white).rgba();
}

// The PDF writer embeds RGB32 and ARGB32 pictures (and pure black-and-white bitmaps) as they
// are; any other format it would copy first, at the time of printing.
void convertForPrinting(QImage& image) {
    if (isBlackAndWhite(image)) {
        return;
    }
    const QImage::Format wanted =
        image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    if (image.format() != wanted) {
        image.convertTo(wanted);
    }
}

// PNG, WebP and the other formats of Qt's image plugins. Their readers fail on data that ends
// early or does not decompress (libpng and libwebp check for it), but a lossy WebP stream that
// is corrupt yet complete decodes without complaint, as it does everywhere.
DecodedPicture readWithQt(QFile& file) {
    QImageReader reader(&file);
    reader.setAutoTransform(false);
    if (!reader.canRead()) {
        raise(ErrorNumber::InvalidPicture);
    }
    // The header's size, before any pixel is allocated.
    const QSize size = reader.size();
    if (size.isValid() &&
        (size.isEmpty() || qint64(size.width()) * size.height() * 4 > MaxDecodedPictureBytes)) {
        raise(ErrorNumber::InvalidPicture);
    }
    reader.setAllocationLimit(static_cast<int>(MaxDecodedPictureBytes >> 20));

    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        raise(ErrorNumber::InvalidPicture);
    }
    const bool lossless = image.format() == QImage::Format_Indexed8 || image.depth() == 1;
    return {std::move(image), lossless};
}

} // namespace

platform::Picture loadPictureFile(const std::u16string& path) {
    QFile file;
    const int fd = openPictureFile(path);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        raise(ErrorNumber::InvalidPicture);
    }
    const PictureFormat format = pictureFormatOf(file.peek(8));
    DecodedPicture decoded =
        format == PictureFormat::Other ? readWithQt(file) : readPicture(format, file);
    file.close();

    convertForPrinting(decoded.image);
    const double width = platform::himetricFromScreenPixels(decoded.image.width());
    const double height = platform::himetricFromScreenPixels(decoded.image.height());
    return platform::Picture(
        std::make_shared<const QtPicture>(std::move(decoded.image), decoded.lossless), width,
        height);
}

} // namespace qtbackend
