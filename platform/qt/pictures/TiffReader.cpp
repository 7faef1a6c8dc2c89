#include "platform/qt/pictures/TiffReader.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <tiffio.h>

#include "platform/Failure.h"
#include "platform/qt/pictures/TiffSampleReader.h"

namespace qtbackend {

namespace {

[[noreturn]] void fail() {
    platform::raise(platform::ErrorNumber::InvalidPicture);
}

struct Source {
    QIODevice& device;
    // libtiff reported an error, or a warning of missing or corrupt data.
    bool failed = false;
};

Source& sourceOf(thandle_t handle) {
    return *static_cast<Source*>(handle);
}

tmsize_t readData(thandle_t handle, void* data, tmsize_t size) {
    return sourceOf(handle).device.read(static_cast<char*>(data), size);
}

tmsize_t writeData(thandle_t, void*, tmsize_t) {
    return -1;
}

toff_t seekData(thandle_t handle, toff_t offset, int whence) {
    QIODevice& device = sourceOf(handle).device;
    const qint64 base = whence == SEEK_CUR ? device.pos() : whence == SEEK_END ? device.size() : 0;
    const qint64 position = base + static_cast<qint64>(offset);
    if (position < 0 || position > device.size() || !device.seek(position)) {
        return static_cast<toff_t>(-1);
    }
    return static_cast<toff_t>(position);
}

int closeData(thandle_t) {
    return 0;
}

toff_t sizeOfData(thandle_t handle) {
    return static_cast<toff_t>(sourceOf(handle).device.size());
}

int mapData(thandle_t, void**, toff_t*) {
    return 0;
}

void unmapData(thandle_t, void*, toff_t) {}

int noteError(TIFF*, void* source, const char*, const char*, va_list) {
    static_cast<Source*>(source)->failed = true;
    return 1; // handled: nothing is printed
}

// libtiff's codecs go on past missing data with a warning only: the fax decoders ("Premature
// EOF at line ...") and libjpeg inside the JPEG codecs ("Corrupt JPEG data: premature end of
// data segment", "Premature end of JPEG file"). Stray bytes between JPEG segments are harmless.
int noteWarning(TIFF*, void* source, const char*, const char* format, va_list arguments) {
    char message[512];
    std::vsnprintf(message, sizeof message, format, arguments);
    if (std::strstr(message, "Premature E") != nullptr ||
        std::strstr(message, "Premature end") != nullptr ||
        (std::strstr(message, "Corrupt JPEG data") != nullptr &&
         std::strstr(message, "extraneous bytes") == nullptr)) {
        static_cast<Source*>(source)->failed = true;
    }
    return 1;
}

struct OptionsDeleter {
    void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};

struct TiffDeleter {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};

template <typename T> T field(TIFF* tiff, ttag_t tag) {
    T value{};
    TIFFGetFieldDefaulted(tiff, tag, &value);
    return value;
}

bool isBlackAndWhite(TIFF* tiff, std::uint32_t width) {
    const auto photometric = field<std::uint16_t>(tiff, TIFFTAG_PHOTOMETRIC);
    return field<std::uint16_t>(tiff, TIFFTAG_BITSPERSAMPLE) == 1 &&
           field<std::uint16_t>(tiff, TIFFTAG_SAMPLESPERPIXEL) == 1 &&
           (photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE) &&
           !TIFFIsTiled(tiff) && TIFFScanlineSize64(tiff) == (std::uint64_t(width) + 7) / 8;
}

// One bit a pixel, black first as the printer takes it.
QImage readBlackAndWhite(TIFF* tiff, std::uint32_t width, std::uint32_t height) {
    QImage image = newPicture(width, height, QImage::Format_Mono);
    image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    const bool whiteIsZero =
        field<std::uint16_t>(tiff, TIFFTAG_PHOTOMETRIC) == PHOTOMETRIC_MINISWHITE;
    const qsizetype rowBytes = (qsizetype(width) + 7) / 8;
    for (std::uint32_t y = 0; y < height; ++y) {
        uchar* line = image.scanLine(static_cast<int>(y));
        if (TIFFReadScanline(tiff, line, y, 0) < 0) {
            fail();
        }
        if (whiteIsZero) {
            for (qsizetype i = 0; i < rowBytes; ++i) {
                line[i] = static_cast<uchar>(~line[i]);
            }
        }
    }
    return image;
}

QImage readThroughRgba(TIFF* tiff, std::uint32_t width, std::uint32_t height) {
    char message[1024];
    TIFFRGBAImage rgba{};
    if (TIFFRGBAImageOK(tiff, message) == 0 || TIFFRGBAImageBegin(&rgba, tiff, 1, message) == 0) {
        fail();
    }
    struct End {
        TIFFRGBAImage& rgba;
        ~End() { TIFFRGBAImageEnd(&rgba); }
    } end{rgba};
    rgba.req_orientation = rgba.orientation; // as stored
    QImage image = newPicture(width, height, QImage::Format_ARGB32_Premultiplied);
    if (TIFFRGBAImageGet(&rgba, reinterpret_cast<std::uint32_t*>(image.bits()), width, height) ==
        0) {
        fail();
    }
    // libtiff packs red in the low byte, Qt blue.
    image.rgbSwap();
    if (rgba.alpha == 0) {
        image.reinterpretAsFormat(QImage::Format_RGB32);
    }
    return image;
}

} // namespace

DecodedPicture TiffReader::read(QIODevice& device) {
    Source source{device};
    const std::unique_ptr<TIFFOpenOptions, OptionsDeleter> options(TIFFOpenOptionsAlloc());
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), MaxDecodedPictureBytes);
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), noteError, &source);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), noteWarning, &source);
    // "m": no memory mapping, the device is read through the procedures above.
    const std::unique_ptr<TIFF, TiffDeleter> tiff(
        TIFFClientOpenExt("picture", "rm", &source, readData, writeData, seekData, closeData,
                          sizeOfData, mapData, unmapData, options.get()));
    if (tiff == nullptr) {
        fail();
    }
    // What libtiff reported while reading the page's tags it got past by ignoring a tag; only
    // what it reports while decoding the pixels counts.
    source.failed = false;
    const auto width = field<std::uint32_t>(tiff.get(), TIFFTAG_IMAGEWIDTH);
    const auto height = field<std::uint32_t>(tiff.get(), TIFFTAG_IMAGELENGTH);
    const bool blackAndWhite = isBlackAndWhite(tiff.get(), width);
    // Before libtiff allocates anything for the pixels.
    if (width == 0 || height == 0 || qint64(width) * height > MaxDecodedPictureBytes / 4) {
        fail();
    }
    DecodedPicture decoded;
    if (blackAndWhite) {
        decoded.image = readBlackAndWhite(tiff.get(), width, height);
    } else if (TiffSampleReader::handles(tiff.get())) {
        decoded.image = TiffSampleReader::read(tiff.get(), width, height);
    } else {
        decoded.image = readThroughRgba(tiff.get(), width, height);
    }
    decoded.lossless = blackAndWhite ||
                       field<std::uint16_t>(tiff.get(), TIFFTAG_PHOTOMETRIC) == PHOTOMETRIC_PALETTE;
    if (source.failed) {
        fail();
    }
    return decoded;
}

} // namespace qtbackend
