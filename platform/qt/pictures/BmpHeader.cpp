#include "platform/qt/pictures/BmpHeader.h"

#include <algorithm>
#include <bit>

#include <QByteArray>
#include <QtEndian>

#include "platform/Failure.h"
#include "platform/qt/pictures/DecodedPicture.h"

namespace qtbackend {

namespace {

constexpr qint64 FileHeaderBytes = 14;
constexpr std::uint32_t CoreHeaderBytes = 12;

[[noreturn]] void fail() {
    platform::raise(platform::ErrorNumber::InvalidPicture);
}

QByteArray readExactly(QIODevice& device, qint64 count) {
    QByteArray bytes = device.read(count);
    if (bytes.size() != count) {
        fail();
    }
    return bytes;
}

// The info header's fields, each read as zero where a shorter header has none.
class InfoFields {
public:
    explicit InfoFields(QByteArray bytes) : bytes_(std::move(bytes)) {}

    std::uint32_t size() const { return u32(0); }
    std::uint32_t u32(int offset) const {
        return offset + 4 <= bytes_.size() ? qFromLittleEndian<quint32>(bytes_.data() + offset) : 0;
    }
    std::uint16_t u16(int offset) const {
        return offset + 2 <= bytes_.size() ? qFromLittleEndian<quint16>(bytes_.data() + offset) : 0;
    }

private:
    QByteArray bytes_;
};

bool isOs2(std::uint32_t size) {
    return size == CoreHeaderBytes || size == 16 || size == 64;
}

BmpHeader::Compression compressionOf(std::uint32_t code, std::uint32_t headerSize) {
    switch (code) {
    case 0:
        return BmpHeader::Compression::None;
    case 1:
        return BmpHeader::Compression::Rle8;
    case 2:
        return BmpHeader::Compression::Rle4;
    case 3:
    case 6:                       // BI_ALPHABITFIELDS
        if (!isOs2(headerSize)) { // OS/2's 3 is Huffman 1D, which no one reads
            return BmpHeader::Compression::BitFields;
        }
        break;
    default:
        break; // embedded JPEG or PNG, OS/2's RLE24
    }
    fail();
}

bool bitsFitCompression(int bits, BmpHeader::Compression compression) {
    switch (compression) {
    case BmpHeader::Compression::None:
        return bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16 || bits == 24 ||
               bits == 32;
    case BmpHeader::Compression::Rle8:
        return bits == 8;
    case BmpHeader::Compression::Rle4:
        return bits == 4;
    case BmpHeader::Compression::BitFields:
        return bits == 16 || bits == 32;
    }
    return false;
}

// Each mask a run of set bits inside the pixel, and some colour at all.
bool masksAreUsable(const std::array<std::uint32_t, 4>& masks, int bits) {
    for (const std::uint32_t mask : masks) {
        const std::uint32_t shifted = mask >> std::countr_zero(mask | 0x80000000u);
        if ((shifted & (shifted + 1)) != 0 || (bits < 32 && (mask >> bits) != 0)) {
            return false;
        }
    }
    return (masks[0] | masks[1] | masks[2]) != 0;
}

std::array<std::uint32_t, 4> readMasks(const InfoFields& info, QIODevice& device,
                                       std::uint32_t compressionCode, qint64& headersEnd) {
    std::array<std::uint32_t, 4> masks{};
    if (info.size() >= 52) {
        masks = {info.u32(40), info.u32(44), info.u32(48), info.u32(52)};
    } else { // the masks follow a 40-byte header
        const int count = compressionCode == 6 ? 4 : 3;
        const QByteArray bytes = readExactly(device, count * 4);
        for (int i = 0; i < count; ++i) {
            masks[i] = qFromLittleEndian<quint32>(bytes.data() + i * 4);
        }
        headersEnd += count * 4;
    }
    return masks;
}

std::array<std::uint32_t, 4> defaultMasks(int bits) {
    if (bits == 16) {
        return {0x7C00, 0x03E0, 0x001F, 0};
    }
    return {0xFF0000, 0x00FF00, 0x0000FF, 0};
}

std::vector<QRgb> readPalette(QIODevice& device, const InfoFields& info, int bits,
                              qint64 paletteStart, qint64 pixelOffset) {
    const bool core = info.size() == CoreHeaderBytes;
    const qint64 entryBytes = core ? 3 : 4;
    const qint64 room = std::max<qint64>(0, pixelOffset - paletteStart) / entryBytes;
    const qint64 used = core ? 0 : info.u32(32);
    if (used > room) {
        fail(); // the palette it declares runs into the pixels
    }
    const qint64 count = std::min({used != 0 ? used : qint64(1) << bits, qint64(1) << bits, room});
    if (count == 0) {
        fail();
    }
    const QByteArray bytes = readExactly(device, count * entryBytes);
    std::vector<QRgb> palette;
    for (qint64 i = 0; i < count; ++i) {
        const auto* entry = reinterpret_cast<const uchar*>(bytes.data() + i * entryBytes);
        palette.push_back(qRgb(entry[2], entry[1], entry[0]));
    }
    return palette;
}

} // namespace

BmpHeader BmpHeader::read(QIODevice& device) {
    const QByteArray fileHeader = readExactly(device, FileHeaderBytes + 4);
    if (!fileHeader.startsWith("BM")) {
        fail();
    }
    const std::uint32_t size = qFromLittleEndian<quint32>(fileHeader.data() + FileHeaderBytes);
    if (!isOs2(size) && size != 40 && size != 52 && size != 56 && size != 108 && size != 124) {
        fail();
    }
    const InfoFields info(fileHeader.mid(FileHeaderBytes) + readExactly(device, size - 4));
    const bool core = size == CoreHeaderBytes;

    BmpHeader header;
    header.pixelOffset = qFromLittleEndian<quint32>(fileHeader.data() + 10);
    header.width = core ? info.u16(4) : static_cast<qint32>(info.u32(4));
    const qint64 height = core ? info.u16(6) : static_cast<qint32>(info.u32(8));
    header.topDown = height < 0;
    header.height = height < 0 ? -height : height;
    const int planes = core ? info.u16(8) : info.u16(12);
    header.bitsPerPixel = core ? info.u16(10) : info.u16(14);
    const std::uint32_t compressionCode = core ? 0 : info.u32(16);
    header.compression = compressionOf(compressionCode, size);
    // The size is checked here, before any size of rows is computed from it.
    if (planes != 1 || header.width <= 0 || header.height == 0 ||
        header.width > MaxDecodedPictureBytes / 4 / header.height ||
        !bitsFitCompression(header.bitsPerPixel, header.compression)) {
        fail();
    }

    qint64 headersEnd = FileHeaderBytes + size;
    if (header.compression == Compression::BitFields) {
        header.masks = readMasks(info, device, compressionCode, headersEnd);
        if (!masksAreUsable(header.masks, header.bitsPerPixel)) {
            fail();
        }
    } else if (header.bitsPerPixel >= 16) {
        header.masks = defaultMasks(header.bitsPerPixel);
    }
    if (header.pixelOffset < headersEnd || header.pixelOffset >= device.size()) {
        fail();
    }
    if (header.bitsPerPixel <= 8) {
        header.palette =
            readPalette(device, info, header.bitsPerPixel, headersEnd, header.pixelOffset);
    }
    return header;
}

} // namespace qtbackend
