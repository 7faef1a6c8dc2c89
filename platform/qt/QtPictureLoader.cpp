#include "platform/qt/QtPictureLoader.h"

#include <memory>
#include <unistd.h>

#include <QColor>
#include <QFile>
#include <QImageReader>

#include "platform/Failure.h"
#include "platform/Files.h"
#include "platform/Strings.h"

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

} // namespace

platform::Picture loadPictureFile(const std::u16string& path) {
    QFile file;
    const int fd = openPictureFile(path);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        raise(ErrorNumber::InvalidPicture);
    }

    QImageReader reader(&file);
    reader.setAutoTransform(false);
    if (!reader.canRead()) {
        raise(ErrorNumber::InvalidPicture);
    }
    // GIF is always a palette picture, though Qt decodes it to RGB32.
    const bool isGif = reader.format() == "gif";
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
    file.close();

    const bool lossless = isGif || image.format() == QImage::Format_Indexed8 || image.depth() == 1;
    convertForPrinting(image);
    const double width = platform::himetricFromScreenPixels(image.width());
    const double height = platform::himetricFromScreenPixels(image.height());
    return platform::Picture(std::make_shared<const QtPicture>(std::move(image), lossless), width,
                             height);
}

} // namespace qtbackend
