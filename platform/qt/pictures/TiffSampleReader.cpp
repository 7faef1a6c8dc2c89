#include "platform/qt/pictures/TiffSampleReader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/Failure.h"
#include "platform/qt/pictures/DecodedPicture.h"

namespace qtbackend {

namespace {

[[noreturn]] void fail() {
    platform::raise(platform::ErrorNumber::InvalidPicture);
}

template <typename T> T field(TIFF* tiff, ttag_t tag) {
    T value{};
    TIFFGetFieldDefaulted(tiff, tag, &value);
    return value;
}

int colourSamplesOf(std::uint16_t photometric) {
    switch (photometric) {
    case PHOTOMETRIC_MINISWHITE:
    case PHOTOMETRIC_MINISBLACK:
    case PHOTOMETRIC_PALETTE:
        return 1;
    case PHOTOMETRIC_RGB:
        return 3;
    case PHOTOMETRIC_SEPARATED:
        return 4;
    default:
        return 0;
    }
}

bool bitsFitFormat(int bits, std::uint16_t format) {
    switch (format) {
    case SAMPLEFORMAT_UINT:
        return bits >= 1 && bits <= 32;
    case SAMPLEFORMAT_INT:
        return bits == 8 || bits == 16 || bits == 32;
    case SAMPLEFORMAT_IEEEFP:
        return bits == 16 || bits == 32 || bits == 64;
    default:
        return false;
    }
}

// A half-precision float's value.
float halfToFloat(std::uint16_t half) {
    const int exponent = (half >> 10) & 0x1F;
    const float mantissa = static_cast<float>(half & 0x3FF);
    const float sign = (half & 0x8000) != 0 ? -1.0f : 1.0f;
    if (exponent == 0) {
        return sign * std::ldexp(mantissa, -24);
    }
    if (exponent == 31) {
        return mantissa == 0 ? sign * INFINITY : NAN;
    }
    return sign * std::ldexp(mantissa + 1024.0f, exponent - 25);
}

// Samples of one kind, read from a row as libtiff decodes it: in the machine's byte order for
// 16, 24, 32 and 64 bits, packed from the most significant bit otherwise. Signed integers are
// taken by their bits, as libtiff's RGBA interface and ImageMagick take them.
class Samples {
public:
    Samples(int bits, std::uint16_t format) : bits_(bits), format_(format) {
        if (format != SAMPLEFORMAT_IEEEFP && bits <= 16) {
            const std::uint32_t maximum = (1u << bits) - 1;
            for (std::uint32_t value = 0; value <= maximum; ++value) {
                table_.push_back(static_cast<std::uint8_t>((value * 255 + maximum / 2) / maximum));
            }
        }
    }

    // The n-th sample of the row as stored, for palette indexes.
    std::uint32_t raw(const uchar* row, qint64 n) const {
        switch (bits_) {
        case 8:
            return row[n];
        case 16:
            return load<std::uint16_t>(row + n * 2);
        case 24:
            return row[n * 3] | row[n * 3 + 1] << 8 | std::uint32_t(row[n * 3 + 2]) << 16;
        case 32:
            return load<std::uint32_t>(row + n * 4);
        default:
            return packed(row, n);
        }
    }

    // The n-th sample of the row, scaled to 0 to 255.
    int scaled(const uchar* row, qint64 n) const {
        if (!table_.empty()) {
            return table_[raw(row, n)];
        }
        if (format_ == SAMPLEFORMAT_IEEEFP) {
            const double value = bits_ == 16   ? halfToFloat(load<std::uint16_t>(row + n * 2))
                                 : bits_ == 32 ? load<float>(row + n * 4)
                                               : load<double>(row + n * 8);
            return value > 0 ? static_cast<int>(std::min(value, 1.0) * 255 + 0.5) : 0;
        }
        const std::uint64_t maximum = (std::uint64_t(1) << bits_) - 1;
        return static_cast<int>((std::uint64_t(raw(row, n)) * 255 + maximum / 2) / maximum);
    }

private:
    template <typename T> static T load(const uchar* at) {
        T value;
        std::memcpy(&value, at, sizeof value);
        return value;
    }

    // The bytes that hold the sample (five at most), then the sample's bits out of them.
    std::uint32_t packed(const uchar* row, qint64 n) const {
        const qint64 first = n * bits_;
        const int offset = static_cast<int>(first % 8);
        const int count = (offset + bits_ + 7) / 8;
        std::uint64_t window = 0;
        for (int i = 0; i < count; ++i) {
            window = window << 8 | row[first / 8 + i];
        }
        return static_cast<std::uint32_t>((window >> (count * 8 - offset - bits_)) &
                                          ((std::uint64_t(1) << bits_) - 1));
    }

    const int bits_;
    const std::uint16_t format_;
    std::vector<std::uint8_t> table_;
};

// The page's palette as colours; libtiff's 16-bit entries, or 8-bit ones from writers that
// store them so.
std::vector<QRgb> paletteOf(TIFF* tiff, int bits) {
    std::uint16_t* red = nullptr;
    std::uint16_t* green = nullptr;
    std::uint16_t* blue = nullptr;
    if (TIFFGetField(tiff, TIFFTAG_COLORMAP, &red, &green, &blue) == 0) {
        fail();
    }
    const std::size_t count = std::size_t(1) << bits;
    const bool eightBit =
        std::max({*std::max_element(red, red + count), *std::max_element(green, green + count),
                  *std::max_element(blue, blue + count)}) < 256;
    const int shift = eightBit ? 0 : 8;
    std::vector<QRgb> palette(count);
    for (std::size_t i = 0; i < count; ++i) {
        palette[i] = qRgb(red[i] >> shift, green[i] >> shift, blue[i] >> shift);
    }
    return palette;
}

// Which sample is alpha (or -1), and whether the colours are premultiplied by it.
int alphaSampleOf(TIFF* tiff, int colourSamples, bool& premultiplied) {
    std::uint16_t count = 0;
    std::uint16_t* kinds = nullptr;
    TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &count, &kinds);
    if (count == 0 || field<std::uint16_t>(tiff, TIFFTAG_SAMPLESPERPIXEL) <= colourSamples ||
        (kinds[0] != EXTRASAMPLE_ASSOCALPHA && kinds[0] != EXTRASAMPLE_UNASSALPHA)) {
        return -1;
    }
    premultiplied = kinds[0] == EXTRASAMPLE_ASSOCALPHA;
    return colourSamples;
}

// Turns the samples of one pixel into its colour.
class PixelConverter {
public:
    explicit PixelConverter(TIFF* tiff)
        : photometric_(field<std::uint16_t>(tiff, TIFFTAG_PHOTOMETRIC)),
          samplesPerPixel_(field<std::uint16_t>(tiff, TIFFTAG_SAMPLESPERPIXEL)),
          planar_(field<std::uint16_t>(tiff, TIFFTAG_PLANARCONFIG) == PLANARCONFIG_SEPARATE),
          samples_(field<std::uint16_t>(tiff, TIFFTAG_BITSPERSAMPLE),
                   field<std::uint16_t>(tiff, TIFFTAG_SAMPLEFORMAT)),
          alpha_(alphaSampleOf(tiff, colourSamplesOf(photometric_), premultiplied_)) {
        if (photometric_ == PHOTOMETRIC_PALETTE) {
            palette_ = paletteOf(tiff, field<std::uint16_t>(tiff, TIFFTAG_BITSPERSAMPLE));
        }
    }

    // The planes to decode: those of the colour samples and alpha, not of other extra samples.
    int planes() const {
        return planar_ ? colourSamplesOf(photometric_) + (alpha_ < 0 ? 0 : 1) : 1;
    }
    QImage::Format format() const {
        return alpha_ < 0       ? QImage::Format_RGB32
               : premultiplied_ ? QImage::Format_ARGB32_Premultiplied
                                : QImage::Format_ARGB32;
    }

    // The colour of pixel x of the rows, one row for each plane.
    QRgb colour(const uchar* const* rows, qint64 x) const {
        const auto sample = [&](int s) {
            return planar_ ? samples_.scaled(rows[s], x)
                           : samples_.scaled(rows[0], x * samplesPerPixel_ + s);
        };
        const auto index = [&] {
            return samples_.raw(rows[0], planar_ ? x : x * samplesPerPixel_);
        };
        const int alpha = alpha_ < 0 ? 255 : sample(alpha_);
        const auto withAlpha = [&](int red, int green, int blue) {
            if (premultiplied_) { // a writer's rounding must not make a colour exceed its alpha
                return qRgba(std::min(red, alpha), std::min(green, alpha), std::min(blue, alpha),
                             alpha);
            }
            return qRgba(red, green, blue, alpha);
        };
        switch (photometric_) {
        case PHOTOMETRIC_MINISWHITE:
            return withAlpha(255 - sample(0), 255 - sample(0), 255 - sample(0));
        case PHOTOMETRIC_MINISBLACK:
            return withAlpha(sample(0), sample(0), sample(0));
        case PHOTOMETRIC_PALETTE: {
            const QRgb entry = palette_[index()];
            return withAlpha(qRed(entry), qGreen(entry), qBlue(entry));
        }
        case PHOTOMETRIC_RGB:
            return withAlpha(sample(0), sample(1), sample(2));
        default: { // CMYK
            const int white = 255 - sample(3);
            return withAlpha((255 - sample(0)) * white / 255, (255 - sample(1)) * white / 255,
                             (255 - sample(2)) * white / 255);
        }
        }
    }

private:
    const std::uint16_t photometric_;
    const int samplesPerPixel_;
    const bool planar_;
    const Samples samples_;
    bool premultiplied_ = false;
    const int alpha_;
    std::vector<QRgb> palette_;
};

// The page in blocks, strips as wide as the page or tiles, each decoded whole by libtiff.
struct Blocks {
    explicit Blocks(TIFF* tiff, std::uint32_t pageHeight) : tiled(TIFFIsTiled(tiff) != 0) {
        if (tiled) {
            width = field<std::uint32_t>(tiff, TIFFTAG_TILEWIDTH);
            height = field<std::uint32_t>(tiff, TIFFTAG_TILELENGTH);
            bytes = static_cast<qint64>(TIFFTileSize64(tiff));
            rowBytes = static_cast<qint64>(TIFFTileRowSize64(tiff));
        } else {
            width = field<std::uint32_t>(tiff, TIFFTAG_IMAGEWIDTH);
            height = std::min(field<std::uint32_t>(tiff, TIFFTAG_ROWSPERSTRIP), pageHeight);
            bytes = static_cast<qint64>(TIFFStripSize64(tiff));
            rowBytes = static_cast<qint64>(TIFFScanlineSize64(tiff));
        }
    }

    bool tiled;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    qint64 bytes = 0;
    qint64 rowBytes = 0;
};

// Decodes the block at (left, top) of every plane; fails when one comes out short.
void readBlock(TIFF* tiff, const Blocks& blocks, std::uint32_t left, std::uint32_t top,
               std::uint32_t rows, std::vector<std::vector<uchar>>& planes) {
    for (std::size_t plane = 0; plane < planes.size(); ++plane) {
        const auto sample = static_cast<std::uint16_t>(plane);
        void* data = planes[plane].data();
        const std::uint32_t index = blocks.tiled ? TIFFComputeTile(tiff, left, top, 0, sample)
                                                 : TIFFComputeStrip(tiff, top, sample);
        // libtiff reads an uncompressed block from its offset whatever its byte count says, so a
        // block of no bytes would give whatever lies there.
        if (TIFFGetStrileByteCount(tiff, index) == 0) {
            fail();
        }
        const tmsize_t read = blocks.tiled ? TIFFReadEncodedTile(tiff, index, data, blocks.bytes)
                                           : TIFFReadEncodedStrip(tiff, index, data, blocks.bytes);
        if (read < 0 || read < static_cast<qint64>(rows) * blocks.rowBytes) {
            fail();
        }
    }
}

} // namespace

bool TiffSampleReader::handles(TIFF* tiff) {
    const auto photometric = field<std::uint16_t>(tiff, TIFFTAG_PHOTOMETRIC);
    const int colourSamples = colourSamplesOf(photometric);
    const int bits = field<std::uint16_t>(tiff, TIFFTAG_BITSPERSAMPLE);
    const auto format = field<std::uint16_t>(tiff, TIFFTAG_SAMPLEFORMAT);
    return colourSamples > 0 &&
           field<std::uint16_t>(tiff, TIFFTAG_SAMPLESPERPIXEL) >= colourSamples &&
           bitsFitFormat(bits, format) &&
           field<std::uint16_t>(tiff, TIFFTAG_COMPRESSION) != COMPRESSION_OJPEG &&
           (photometric != PHOTOMETRIC_PALETTE || (format == SAMPLEFORMAT_UINT && bits <= 16)) &&
           (photometric != PHOTOMETRIC_SEPARATED ||
            field<std::uint16_t>(tiff, TIFFTAG_INKSET) == INKSET_CMYK);
}

QImage TiffSampleReader::read(TIFF* tiff, std::uint32_t width, std::uint32_t height) {
    const PixelConverter pixels(tiff);
    const Blocks blocks(tiff, height);
    const int planes = pixels.planes();
    if (blocks.width == 0 || blocks.height == 0 || blocks.rowBytes <= 0 ||
        blocks.bytes < blocks.rowBytes * blocks.height ||
        blocks.bytes > MaxDecodedPictureBytes / planes) {
        fail();
    }
    QImage image = newPicture(width, height, pixels.format());
    std::vector<std::vector<uchar>> data(planes, std::vector<uchar>(blocks.bytes));
    std::vector<const uchar*> rows(planes);
    for (std::uint32_t top = 0; top < height; top += blocks.height) {
        const std::uint32_t rowCount = std::min(blocks.height, height - top);
        for (std::uint32_t left = 0; left < width; left += blocks.width) {
            readBlock(tiff, blocks, left, top, rowCount, data);
            const std::uint32_t columns = std::min(blocks.width, width - left);
            for (std::uint32_t row = 0; row < rowCount; ++row) {
                for (int plane = 0; plane < planes; ++plane) {
                    rows[plane] = data[plane].data() + row * blocks.rowBytes;
                }
                auto* line = reinterpret_cast<QRgb*>(image.scanLine(int(top + row))) + left;
                for (std::uint32_t x = 0; x < columns; ++x) {
                    line[x] = pixels.colour(rows.data(), x);
                }
            }
        }
    }
    return image;
}

} // namespace qtbackend
