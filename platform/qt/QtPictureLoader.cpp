#include "platform/qt/QtPictureLoader.h"

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include <QColor>
#include <QFile>
#include <QImageReader>

#include "platform/Failure.h"
#include "platform/Strings.h"

namespace qtbackend {

namespace {

using platform::ErrorNumber;
using platform::raise;

// The file opened by its exact bytes, so that names that are not valid UTF-8 open too. A FIFO or
// a device must not block the program: it is opened without waiting and refused as no picture.
int openPictureFile(const std::u16string& path) {
    const std::string name = platform::toUtf8(path);
    if (name.empty() || name.find('\0') != std::string::npos) {
        raise(ErrorNumber::FileNotFound);
    }
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR || errno == ENAMETOOLONG) {
            raise(ErrorNumber::FileNotFound);
        }
        raise(ErrorNumber::InvalidPicture);
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        raise(ErrorNumber::InvalidPicture);
    }
    return fd;
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
