#include "platform/qt/pictures/BmpReader.h"

#include <bit>
#include <cstdint>
#include <vector>

#include <QtEndian>

#include "platform/Failure.h"
#include "platform/qt/pictures/BmpHeader.h"
#include "platform/qt/pictures/ByteSource.h"

namespace qtbackend {

namespace {

[[noreturn]] void fail() {
    platform::raise(platform::ErrorNumber::InvalidPicture);
}

// One colour channel of a 16- or 32-bit pixel, scaled to 8 bits.
class Channel {
public:
    Channel(std::uint32_t mask, int absentValue) : mask_(mask), absent_(absentValue) {
        if (mask == 0) {
            return;
        }
        shift_ = std::countr_zero(mask);
        maximum_ = mask >> shift_;
        if (maximum_ < (1u << 16)) {
            for (std::uint32_t value = 0; value <= maximum_; ++value) {
                table_.push_back(scale(value));
            }
        }
    }

    int operator()(std::uint32_t pixel) const {
        if (mask_ == 0) {
            return absent_;
        }
        const std::uint32_t value = (pixel & mask_) >> shift_;
        return table_.empty() ? scale(value) : table_[value];
    }

private:
    std::uint8_t scale(std::uint32_t value) const {
        return static_cast<std::uint8_t>((std::uint64_t(value) * 255 + maximum_ / 2) / maximum_);
    }

    std::uint32_t mask_;
    int absent_;
    int shift_ = 0;
    std::uint32_t maximum_ = 0;
    std::vector<std::uint8_t> table_;
};

// Turns a row read into the start of a picture line into pixels in place, from the last pixel
// back, so that no source byte is overwritten before it is read.
class RowConverter {
public:
    explicit RowConverter(const BmpHeader& header)
        : header_(header), red_(header.masks[0], 0), green_(header.masks[1], 0),
          blue_(header.masks[2], 0), alpha_(header.masks[3], 255) {}

    void convert(uchar* line) {
        auto* pixels = reinterpret_cast<QRgb*>(line);
        const int bits = header_.bitsPerPixel;
        for (qint64 x = header_.width - 1; x >= 0; --x) {
            if (bits <= 8) {
                pixels[x] = colour(index(line, x, bits));
            } else if (bits == 24) {
                const uchar* p = line + x * 3;
                pixels[x] = qRgb(p[2], p[1], p[0]);
            } else {
                const std::uint32_t value = bits == 16 ? qFromLittleEndian<quint16>(line + x * 2)
                                                       : qFromLittleEndian<quint32>(line + x * 4);
                const int alpha = alpha_(value);
                alphaSeen_ |= alpha;
                alphaCommon_ &= alpha;
                pixels[x] = qRgba(red_(value), green_(value), blue_(value), alpha);
            }
        }
    }

    QRgb colour(int index) const {
        if (index >= static_cast<int>(header_.palette.size())) {
            fail();
        }
        return header_.palette[index];
    }

    // Every alpha value was 0 (a writer that leaves the byte unset) or 255.
    bool alphaUnused() const { return alphaSeen_ == 0 || alphaCommon_ == 255; }
    bool alphaAllZero() const { return alphaSeen_ == 0; }

private:
    static int index(const uchar* line, qint64 x, int bits) {
        const qint64 bit = x * bits;
        const int shift = 8 - bits - static_cast<int>(bit % 8);
        return (line[bit / 8] >> shift) & ((1 << bits) - 1);
    }

    const BmpHeader& header_;
    const Channel red_;
    const Channel green_;
    const Channel blue_;
    const Channel alpha_;
    int alphaSeen_ = 0;
    int alphaCommon_ = 255;
};

bool isBlackAndWhite(const std::vector<QRgb>& palette, bool& whiteFirst) {
    const QRgb black = qRgb(0, 0, 0);
    const QRgb white = qRgb(255, 255, 255);
    if (palette.size() != 2 || (palette[0] != black && palette[0] != white) ||
        palette[1] != (palette[0] == black ? white : black)) {
        return false;
    }
    whiteFirst = palette[0] == white;
    return true;
}

// A black-and-white bitmap stays one bit a pixel, black first as the printer takes it.
DecodedPicture readBlackAndWhite(QIODevice& device, const BmpHeader& header, bool whiteFirst) {
    QImage image = newPicture(header.width, header.height, QImage::Format_Mono);
    image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    const qint64 rowBytes = (header.width + 7) / 8;
    const qint64 stride = (header.width + 31) / 32 * 4;
    for (qint64 row = 0; row < header.height; ++row) {
        uchar* line =
            image.scanLine(static_cast<int>(header.topDown ? row : header.height - 1 - row));
        if (device.read(reinterpret_cast<char*>(line), stride) < rowBytes) {
            fail();
        }
        if (whiteFirst) {
            for (qint64 i = 0; i < rowBytes; ++i) {
                line[i] = static_cast<uchar>(~line[i]);
            }
        }
    }
    return {std::move(image), true};
}

DecodedPicture readUncompressed(QIODevice& device, const BmpHeader& header) {
    const qint64 rowBytes = (header.width * header.bitsPerPixel + 7) / 8;
    const qint64 stride = (header.width * header.bitsPerPixel + 31) / 32 * 4;
    // Every row, though the last may lack its padding.
    if (device.size() - header.pixelOffset < stride * (header.height - 1) + rowBytes ||
        !device.seek(header.pixelOffset)) {
        fail();
    }
    bool whiteFirst = false;
    if (header.bitsPerPixel == 1 && isBlackAndWhite(header.palette, whiteFirst)) {
        return readBlackAndWhite(device, header, whiteFirst);
    }
    QImage image = newPicture(header.width, header.height, QImage::Format_ARGB32);
    RowConverter converter(header);
    for (qint64 row = 0; row < header.height; ++row) {
        uchar* line =
            image.scanLine(static_cast<int>(header.topDown ? row : header.height - 1 - row));
        if (device.read(reinterpret_cast<char*>(line), rowBytes) != rowBytes ||
            (row + 1 < header.height && device.skip(stride - rowBytes) != stride - rowBytes)) {
            fail();
        }
        converter.convert(line);
    }
    if (converter.alphaAllZero() && header.masks[3] != 0) {
        for (int y = 0; y < image.height(); ++y) {
            auto* pixels = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                pixels[x] |= 0xFF000000u;
            }
        }
    }
    if (converter.alphaUnused()) {
        image.reinterpretAsFormat(QImage::Format_RGB32);
    }
    return {std::move(image), header.bitsPerPixel <= 8};
}

// RLE4 and RLE8: runs of one index (two alternating ones in RLE4), literal runs, and escapes for
// end of line, end of bitmap and a jump ahead. Pixels a jump or an early end leaves undefined are
// transparent.
class RunLengthDecoder {
public:
    RunLengthDecoder(QIODevice& device, const BmpHeader& header, QImage& image)
        : in_(device), header_(header), image_(image), converter_(header),
          fourBits_(header.compression == BmpHeader::Compression::Rle4) {}

    // Decodes to the end of the bitmap; true when every pixel was defined.
    bool decode() {
        for (;;) {
            if (in_.atEnd()) {
                // Data that stops without an end-of-bitmap mark is whole only if every row is.
                if (y_ < header_.height && defined_ < header_.width * header_.height) {
                    fail();
                }
                break;
            }
            const int count = in_.byte();
            const int value = in_.byte();
            if (count > 0) {
                run(count, value);
            } else if (value == 0) {
                x_ = 0;
                ++y_;
            } else if (value == 1) {
                break;
            } else if (value == 2) {
                x_ += in_.byte();
                y_ += in_.byte();
            } else {
                literal(value);
            }
        }
        return defined_ == header_.width * header_.height;
    }

private:
    void run(int count, int value) {
        QRgb* pixels = span(count);
        const QRgb first = converter_.colour(fourBits_ ? value >> 4 : value);
        const QRgb second = fourBits_ && count > 1 ? converter_.colour(value & 15) : first;
        for (int i = 0; i < count; ++i) {
            pixels[i] = i % 2 == 0 ? first : second;
        }
    }

    void literal(int count) {
        QRgb* pixels = span(count);
        const int bytes = fourBits_ ? (count + 1) / 2 : count;
        for (int i = 0; i < bytes; ++i) {
            const int value = in_.byte();
            if (fourBits_) {
                pixels[2 * i] = converter_.colour(value >> 4);
                if (2 * i + 1 < count) {
                    pixels[2 * i + 1] = converter_.colour(value & 15);
                }
            } else {
                pixels[i] = converter_.colour(value);
            }
        }
        in_.skip(bytes % 2); // literal runs end on a 16-bit boundary
    }

    // The next count pixels of the current row; a run that would leave the picture fails.
    QRgb* span(int count) {
        if (y_ >= header_.height || x_ + count > header_.width) {
            fail();
        }
        const qint64 row = header_.topDown ? y_ : header_.height - 1 - y_;
        QRgb* pixels = reinterpret_cast<QRgb*>(image_.scanLine(static_cast<int>(row))) + x_;
        x_ += count;
        defined_ += count;
        return pixels;
    }

    ByteSource in_;
    const BmpHeader& header_;
    QImage& image_;
    const RowConverter converter_;
    const bool fourBits_;
    qint64 x_ = 0;
    qint64 y_ = 0;
    qint64 defined_ = 0;
};

DecodedPicture readRunLengths(QIODevice& device, const BmpHeader& header) {
    if (!device.seek(header.pixelOffset)) {
        fail();
    }
    QImage image = newPicture(header.width, header.height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    if (RunLengthDecoder(device, header, image).decode()) {
        image.reinterpretAsFormat(QImage::Format_RGB32);
    }
    return {std::move(image), true};
}

} // namespace

DecodedPicture BmpReader::read(QIODevice& device) {
    const BmpHeader header = BmpHeader::read(device);
    if (header.compression == BmpHeader::Compression::Rle8 ||
        header.compression == BmpHeader::Compression::Rle4) {
        return readRunLengths(device, header);
    }
    return readUncompressed(device, header);
}

} // namespace qtbackend
