#include "platform/qt/richtext/WindowsMetafileBitmap.h"

#include <cstdint>

namespace qtbackend {

namespace {

constexpr std::uint32_t PlaceableKey = 0x9AC6CDD7; // the Aldus header some writers put first
constexpr std::size_t PlaceableBytes = 22;
constexpr std::size_t HeaderBytes = 18;
constexpr std::uint16_t HeaderWords = 9;
constexpr std::size_t RecordHeaderBytes = 6; // size in 16-bit words, then the function

std::uint16_t word16(std::string_view data, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(data[at]) |
                                      static_cast<std::uint8_t>(data[at + 1]) << 8);
}

std::uint32_t word32(std::string_view data, std::size_t at) {
    return word16(data, at) | static_cast<std::uint32_t>(word16(data, at + 2)) << 16;
}

// Where the bitmap starts in a record of this function; 0 for a record without one.
std::size_t bitmapOffset(std::uint16_t function) {
    switch (function) {
    case 0x0940: // META_DIBBITBLT
        return 22;
    case 0x0B41: // META_DIBSTRETCHBLT
        return 26;
    case 0x0D33: // META_SETDIBTODEV
        return 24;
    case 0x0F43: // META_STRETCHDIB
        return 28;
    default:
        return 0;
    }
}

bool drawsOtherThanBitmaps(std::uint16_t function) {
    switch (function) {
    case 0x0213: // META_LINETO
    case 0x0325: // META_POLYLINE
    case 0x0324: // META_POLYGON
    case 0x0538: // META_POLYPOLYGON
    case 0x041B: // META_RECTANGLE
    case 0x061C: // META_ROUNDRECT
    case 0x0418: // META_ELLIPSE
    case 0x0817: // META_ARC
    case 0x081A: // META_PIE
    case 0x0830: // META_CHORD
    case 0x0521: // META_TEXTOUT
    case 0x0A32: // META_EXTTEXTOUT
    case 0x0228: // META_FILLREGION
    case 0x012B: // META_PAINTREGION
    case 0x0429: // META_FRAMEREGION
    case 0x012A: // META_INVERTREGION
    case 0x041F: // META_SETPIXEL
    case 0x0419: // META_FLOODFILL
    case 0x0548: // META_EXTFLOODFILL
    case 0x061D: // META_PATBLT
    case 0x0922: // META_BITBLT, a device-dependent bitmap
    case 0x0B23: // META_STRETCHBLT, likewise
        return true;
    default:
        return false;
    }
}

// Bits per pixel of a device-independent bitmap; 0 when its header is not one.
int bitCount(std::string_view bitmap) {
    if (bitmap.size() < 16) {
        return 0;
    }
    const std::uint32_t headerSize = word32(bitmap, 0);
    if (headerSize == 12) {
        return word16(bitmap, 10); // BITMAPCOREHEADER
    }
    return headerSize >= 40 ? word16(bitmap, 14) : 0;
}

} // namespace

std::string_view windowsMetafileBitmap(std::string_view metafile) {
    std::size_t at = 0;
    if (metafile.size() >= PlaceableBytes && word32(metafile, 0) == PlaceableKey) {
        at = PlaceableBytes;
    }
    if (metafile.size() < at + HeaderBytes || word16(metafile, at + 2) != HeaderWords) {
        return {};
    }
    at += HeaderBytes;
    std::string_view best;
    int bestBits = 0;
    while (metafile.size() - at >= RecordHeaderBytes) {
        const std::uint64_t size = std::uint64_t{word32(metafile, at)} * 2;
        const std::uint16_t function = word16(metafile, at + 4);
        if (function == 0 || size < RecordHeaderBytes || size > metafile.size() - at) {
            break; // META_EOF, or a record that does not fit
        }
        if (drawsOtherThanBitmaps(function)) {
            return {};
        }
        const std::size_t offset = bitmapOffset(function);
        if (offset > 0 && offset < size) {
            const std::string_view bitmap = metafile.substr(at + offset, size - offset);
            const int bits = bitCount(bitmap);
            if (bits > 0 && bits >= bestBits) {
                best = bitmap;
                bestBits = bits;
            }
        }
        at += size;
    }
    return best;
}

} // namespace qtbackend
