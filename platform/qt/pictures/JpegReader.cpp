#include "platform/qt/pictures/JpegReader.h"

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>
#include <memory>
// After jpeglib.h, whose configuration decides which message codes exist.
#include <jerror.h>

#include "platform/Failure.h"

namespace qtbackend {

namespace {

// Everything one decoding needs; libjpeg's callbacks reach it through client_data.
struct Decoder {
    explicit Decoder(QIODevice& device) : device(device) {}

    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    jpeg_source_mgr source{};
    std::jmp_buf failed{};
    QIODevice& device;
    // The file ended: libjpeg was handed an end marker in its place.
    bool ranOut = false;
    // The header is read: what follows is the data of the scans.
    bool inScans = false;
    // libjpeg warned of corrupt or missing data and went on with made-up values.
    bool corrupt = false;
    std::array<JOCTET, 65536> buffer{};
};

Decoder& decoderOf(j_common_ptr info) {
    return *static_cast<Decoder*>(info->client_data);
}

Decoder& decoderOf(j_decompress_ptr info) {
    return *static_cast<Decoder*>(info->client_data);
}

// Stray bytes after a scan's data that are more than an encoder's padding: the scan did not
// decode to the blocks it was written as. Before a restart marker any count is too many.
constexpr int MostPaddingBytes = 16;

// Warnings after which pixels were made up, or decoded from data that does not fit. Stray bytes
// between the segments of the header are harmless.
bool isCorruptDataWarning(const jpeg_error_mgr& errors, bool inScans) {
    const int code = errors.msg_code;
    if (code == JWRN_EXTRANEOUS_DATA) {
        const int marker = errors.msg_parm.i[1];
        const bool restart = marker >= JPEG_RST0 && marker <= JPEG_RST0 + 7;
        return inScans && (restart || errors.msg_parm.i[0] > MostPaddingBytes);
    }
    switch (code) {
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_MUST_RESYNC:
    case JWRN_BOGUS_PROGRESSION:
    case JWRN_JPEG_EOF:
        return true;
    default:
        return false;
    }
}

extern "C" void failDecoding(j_common_ptr info) {
    std::longjmp(decoderOf(info).failed, 1);
}

extern "C" void noteMessage(j_common_ptr info, int level) {
    if (level < 0 && isCorruptDataWarning(*info->err, decoderOf(info).inScans)) {
        decoderOf(info).corrupt = true;
    }
}

extern "C" void keepQuiet(j_common_ptr) {}

extern "C" void startSource(j_decompress_ptr) {}

// The whole buffer at once: libjpeg-turbo then decodes Huffman data along its fast path, which
// takes an invalid code for zero without a warning (its slow path, taken with less than 512
// bytes ahead for each block of an MCU, warns, at a few per cent of decoding time). Corruption
// that desynchronises the data still shows, as a marker met early or stray bytes after a scan.
extern "C" boolean fillSource(j_decompress_ptr info) {
    Decoder& decoder = decoderOf(info);
    const qint64 read = decoder.device.read(reinterpret_cast<char*>(decoder.buffer.data()),
                                            static_cast<qint64>(decoder.buffer.size()));
    if (read <= 0) {
        // An end marker in place of the missing data, as libjpeg asks; noted, not hidden.
        decoder.ranOut = true;
        static const JOCTET endMarker[] = {0xFF, JPEG_EOI};
        decoder.source.next_input_byte = endMarker;
        decoder.source.bytes_in_buffer = 2;
    } else {
        decoder.source.next_input_byte = decoder.buffer.data();
        decoder.source.bytes_in_buffer = static_cast<std::size_t>(read);
    }
    return TRUE;
}

extern "C" void skipSource(j_decompress_ptr info, long count) {
    jpeg_source_mgr& source = decoderOf(info).source;
    while (count > static_cast<long>(source.bytes_in_buffer)) {
        count -= static_cast<long>(source.bytes_in_buffer);
        fillSource(info);
    }
    if (count > 0) {
        source.next_input_byte += count;
        source.bytes_in_buffer -= static_cast<std::size_t>(count);
    }
}

extern "C" void endSource(j_decompress_ptr) {}

#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr J_COLOR_SPACE Rgb32Layout = JCS_EXT_BGRX;
#else
constexpr J_COLOR_SPACE Rgb32Layout = JCS_EXT_XRGB;
#endif

bool isCmyk(const jpeg_decompress_struct& info) {
    return info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
}

// Adobe's CMYK, with inverted values, to RGB as Qt converts it.
void cmykToRgb(const JSAMPLE* cmyk, QRgb* rgb, JDIMENSION width) {
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4) {
        const int k = cmyk[3];
        rgb[x] = qRgb(cmyk[0] * k / 255, cmyk[1] * k / 255, cmyk[2] * k / 255);
    }
}

void readRows(Decoder& decoder, QImage& image) {
    jpeg_decompress_struct& info = decoder.info;
    const bool cmyk = isCmyk(info);
    std::unique_ptr<JSAMPLE[]> cmykRow(cmyk ? new JSAMPLE[info.output_width * 4] : nullptr);
    while (info.output_scanline < info.output_height && !decoder.corrupt) {
        const JDIMENSION y = info.output_scanline;
        JSAMPROW rows[4];
        int count = 1;
        if (cmyk) {
            rows[0] = cmykRow.get();
        } else {
            count = static_cast<int>(std::min<JDIMENSION>(4, info.output_height - y));
            for (int i = 0; i < count; ++i) {
                rows[i] = image.scanLine(static_cast<int>(y) + i);
            }
        }
        if (jpeg_read_scanlines(&info, rows, static_cast<JDIMENSION>(count)) == 0) {
            decoder.corrupt = true; // only a suspending source gives no row, and ours does not
        }
        if (cmyk) {
            cmykToRgb(cmykRow.get(), reinterpret_cast<QRgb*>(image.scanLine(static_cast<int>(y))),
                      info.output_width);
        }
    }
}

// Decodes into image; false when libjpeg failed. Only plain data lives in this frame and in
// the callbacks, since libjpeg leaves them by longjmp.
bool decode(Decoder& decoder, QImage& image) {
    jpeg_decompress_struct& info = decoder.info;
    if (setjmp(decoder.failed) != 0) {
        return false;
    }
    jpeg_create_decompress(&info);
    // libjpeg's own buffers (a progressive picture's coefficients) are held to the same limit.
    info.mem->max_memory_to_use = MaxDecodedPictureBytes;
    info.src = &decoder.source;
    decoder.source.init_source = startSource;
    decoder.source.fill_input_buffer = fillSource;
    decoder.source.skip_input_data = skipSource;
    decoder.source.resync_to_restart = jpeg_resync_to_restart;
    decoder.source.term_source = endSource;

    jpeg_read_header(&info, TRUE);
    decoder.inScans = true;
    info.out_color_space = isCmyk(info) ? JCS_CMYK : Rgb32Layout;
    jpeg_calc_output_dimensions(&info);
    image = newPicture(info.output_width, info.output_height, QImage::Format_RGB32);
    jpeg_start_decompress(&info);
    readRows(decoder, image);
    // libjpeg's Huffman decoder warns when a scan's data ends early, but its arithmetic decoder
    // does not, and a file that ends between the scans of a progressive picture looks complete
    // to it. A sequential picture may lack just its end marker.
    const bool sequentialHuffman = !jpeg_has_multiple_scans(&info) && !info.arith_code;
    return !decoder.corrupt && (sequentialHuffman || !decoder.ranOut);
}

} // namespace

DecodedPicture JpegReader::read(QIODevice& device) {
    auto decoder = std::make_unique<Decoder>(device);
    decoder->info.client_data = decoder.get();
    decoder->info.err = jpeg_std_error(&decoder->errors);
    decoder->errors.error_exit = failDecoding;
    decoder->errors.emit_message = noteMessage;
    decoder->errors.output_message = keepQuiet;
    struct Release {
        jpeg_decompress_struct& info;
        ~Release() { jpeg_destroy_decompress(&info); }
    } release{decoder->info};

    QImage image;
    if (!decode(*decoder, image)) {
        platform::raise(platform::ErrorNumber::InvalidPicture);
    }
    return {std::move(image), false};
}

} // namespace qtbackend
