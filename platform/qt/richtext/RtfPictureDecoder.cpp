#include "platform/qt/richtext/RtfPictureDecoder.h"

#include <algorithm>
#include <string_view>

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include "platform/qt/QtPictureLoader.h"
#include "platform/qt/richtext/RtfPictures.h"
#include "platform/qt/richtext/WindowsMetafileBitmap.h"

namespace qtbackend {

namespace {

// The formats pictures in RTF come in; what other image readers guess from arbitrary data is
// not taken.
bool isPictureFormat(const QByteArray& format) {
    return format == "png" || format == "jpeg" || format == "bmp" || format == "dib" ||
           format == "gif" || format == "tiff" || format == "webp";
}

// Whether the data is a PNG, JPEG or GIF file by its signature. Some writers tag such a file as
// a metafile or bitmap (Crystal Reports writes PNG as \wmetafile); the file itself tells.
bool isImageFile(std::string_view data) {
    return data.starts_with("\x89PNG\r\n\x1a\n") || data.starts_with("\xFF\xD8\xFF") ||
           data.starts_with("GIF8");
}

// format: the reader to use, or null to tell it by content.
QImage readImage(std::string_view data, const char* format, std::int64_t& budget) {
    QByteArray bytes = QByteArray::fromRawData(data.data(), static_cast<qsizetype>(data.size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoTransform(false);
    if (!reader.canRead() || !isPictureFormat(reader.format())) {
        return {};
    }
    // The header's size, before any pixel is allocated; a picture that does not tell it is not
    // decoded, as its cost could not be bounded.
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty() ||
        !chargePicture(std::int64_t{size.width()} * size.height(), budget)) {
        return {};
    }
    reader.setAllocationLimit(static_cast<int>(MaxDecodedPictureBytes >> 20));
    QImage image;
    if (!reader.read(&image) || image.isNull() || image.width() > size.width() ||
        image.height() > size.height()) {
        return {};
    }
    return image;
}

// \wbitmap: rows of \wbmwidthbytes bytes, top row first; one plane of 1, 24 or 32 bits a pixel
// (black and white, or blue, green, red). Other depths need the device's palette.
QImage deviceBitmap(const RtfPicture& picture, std::int64_t& budget) {
    const std::int64_t width = picture.width;
    const std::int64_t height = picture.height;
    const int depth = picture.bitsPerPixel;
    if (width <= 0 || height <= 0 || picture.planes != 1 ||
        (depth != 1 && depth != 24 && depth != 32)) {
        return {};
    }
    const std::int64_t rowBytes = (width * depth + 7) / 8;
    // Rows are padded to whole 16-bit words unless the picture says otherwise.
    const std::int64_t stride =
        picture.widthBytes > 0 ? picture.widthBytes : (rowBytes + 1) / 2 * 2;
    const auto available = static_cast<std::int64_t>(picture.data.size());
    if (stride < rowBytes || stride > available / height ||
        !chargePicture(width * height, budget)) {
        return {};
    }
    const auto w = static_cast<int>(width);
    const auto h = static_cast<int>(height);
    const auto* data = reinterpret_cast<const std::uint8_t*>(picture.data.data());
    if (depth == 1) {
        QImage image(w, h, QImage::Format_Mono);
        image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
        for (int y = 0; y < h; ++y) {
            std::copy_n(data + y * stride, rowBytes, image.scanLine(y));
        }
        return image;
    }
    QImage image(w, h, QImage::Format_RGB32);
    const int step = depth / 8;
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* row = data + y * stride;
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            out[x] = qRgb(row[x * step + 2], row[x * step + 1], row[x * step]);
        }
    }
    return image;
}

} // namespace

bool chargePicture(std::int64_t pixels, std::int64_t& budget) {
    if (pixels < 0 || pixels > MaxDecodedPictureBytes / 4) {
        return false;
    }
    const std::int64_t cost = std::max(pixels * 4, MinimumPictureCost);
    if (cost > MaxDecodedPictureBytes || cost > budget) {
        return false;
    }
    budget -= cost;
    return true;
}

QImage decodeRtfPicture(const RtfPicture& picture, std::int64_t& budget) {
    if (isImageFile(picture.data)) {
        return readImage(picture.data, nullptr, budget);
    }
    switch (picture.format) {
    case RtfPictureFormat::Blip:
    case RtfPictureFormat::Unknown:
        return readImage(picture.data, nullptr, budget);
    case RtfPictureFormat::Dib:
        return readImage(picture.data, "dib", budget);
    case RtfPictureFormat::Bitmap:
        return deviceBitmap(picture, budget);
    case RtfPictureFormat::WindowsMetafile: {
        const std::string_view bitmap = windowsMetafileBitmap(picture.data);
        return bitmap.empty() ? QImage() : readImage(bitmap, "dib", budget);
    }
    case RtfPictureFormat::Metafile:
        break;
    }
    return {};
}

} // namespace qtbackend
