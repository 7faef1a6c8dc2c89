#include "platform/qt/pictures/GifReader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/Failure.h"
#include "platform/qt/pictures/ByteSource.h"

namespace qtbackend {

namespace {

constexpr int MaxCodeBits = 12;
constexpr int MaxCodes = 1 << MaxCodeBits;

[[noreturn]] void fail() {
    platform::raise(platform::ErrorNumber::InvalidPicture);
}

struct ColourTable {
    std::array<QRgb, 256> colours{};
    int size = 0;
};

// Without a colour table, the format leaves the colours to the reader: greys, index for value.
ColourTable greys() {
    ColourTable table;
    table.size = 256;
    for (int i = 0; i < table.size; ++i) {
        table.colours[i] = qRgb(i, i, i);
    }
    return table;
}

ColourTable readColourTable(ByteSource& in, int sizeBits) {
    ColourTable table;
    table.size = 2 << sizeBits;
    for (int i = 0; i < table.size; ++i) {
        const int red = in.byte();
        const int green = in.byte();
        table.colours[i] = qRgb(red, green, in.byte());
    }
    return table;
}

// The bytes of a run of data sub-blocks, one after another.
class SubBlocks {
public:
    explicit SubBlocks(ByteSource& in) : in_(in) {}

    // The next byte, or -1 after the terminating empty block.
    int next() {
        while (left_ == 0) {
            if (ended_) {
                return -1;
            }
            left_ = in_.byte();
            ended_ = left_ == 0;
        }
        --left_;
        return in_.byte();
    }

private:
    ByteSource& in_;
    int left_ = 0;
    bool ended_ = false;
};

void skipSubBlocks(ByteSource& in) {
    for (int size = in.byte(); size != 0; size = in.byte()) {
        in.skip(size);
    }
}

// The transparent colour index of a graphic control extension, or -1.
int readGraphicControl(ByteSource& in) {
    int transparent = -1;
    const int size = in.byte();
    if (size >= 4) {
        const int flags = in.byte();
        in.skip(2); // delay
        const int index = in.byte();
        transparent = (flags & 1) != 0 ? index : -1;
        in.skip(size - 4);
    } else {
        in.skip(size);
    }
    skipSubBlocks(in);
    return transparent;
}

// The frame's rows in the order its pixels come: top to bottom, or in the four passes of an
// interlaced frame.
std::vector<int> rowOrder(int height, bool interlaced) {
    std::vector<int> rows;
    rows.reserve(static_cast<std::size_t>(height));
    if (!interlaced) {
        for (int y = 0; y < height; ++y) {
            rows.push_back(y);
        }
        return rows;
    }
    constexpr int starts[] = {0, 4, 2, 1};
    constexpr int steps[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        for (int y = starts[pass]; y < height; y += steps[pass]) {
            rows.push_back(y);
        }
    }
    return rows;
}

struct Frame {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool interlaced = false;
};

// Puts the frame's colour indexes on the picture as they come out of the decoder.
class PixelWriter {
public:
    PixelWriter(QImage& image, const Frame& frame, const ColourTable& table, int transparent)
        : image_(image), frame_(frame), table_(table), transparent_(transparent),
          rows_(rowOrder(frame.height, frame.interlaced)) {}

    bool complete() const { return row_ == frame_.height; }
    bool usedTransparency() const { return usedTransparency_; }

    void put(int index) {
        if (complete()) {
            return; // data past the frame's last pixel is left alone
        }
        if (index >= table_.size) {
            fail();
        }
        QRgb colour = table_.colours[index];
        if (index == transparent_) {
            colour = 0;
            usedTransparency_ = true;
        }
        auto* line = reinterpret_cast<QRgb*>(image_.scanLine(frame_.top + rows_[row_]));
        line[frame_.left + x_] = colour;
        if (++x_ == frame_.width) {
            x_ = 0;
            ++row_;
        }
    }

private:
    QImage& image_;
    const Frame& frame_;
    const ColourTable& table_;
    const int transparent_;
    const std::vector<int> rows_;
    int x_ = 0;
    int row_ = 0;
    bool usedTransparency_ = false;
};

// The LZW decoder of GIF: variable-width codes of up to 12 bits, least significant bit first.
class LzwDecoder {
public:
    LzwDecoder(SubBlocks& data, int minimumCodeBits)
        : data_(data), minimumCodeBits_(minimumCodeBits), clear_(1 << minimumCodeBits) {
        reset();
    }

    // Decodes until the writer has every pixel of the frame.
    void decode(PixelWriter& pixels) {
        while (!pixels.complete()) {
            const int code = nextCode();
            if (code == clear_) {
                reset();
            } else if (code == clear_ + 1) {
                fail(); // the end code before the last pixel
            } else {
                decodeCode(code, pixels);
            }
        }
    }

private:
    void reset() {
        codeBits_ = minimumCodeBits_ + 1;
        next_ = clear_ + 2;
        previous_ = -1;
    }

    int nextCode() {
        while (bitCount_ < codeBits_) {
            const int byte = data_.next();
            if (byte < 0) {
                fail(); // the data ended before the last pixel
            }
            bits_ |= static_cast<std::uint32_t>(byte) << bitCount_;
            bitCount_ += 8;
        }
        const int code = static_cast<int>(bits_ & ((1u << codeBits_) - 1));
        bits_ >>= codeBits_;
        bitCount_ -= codeBits_;
        return code;
    }

    void decodeCode(int code, PixelWriter& pixels) {
        if (previous_ < 0) {
            if (code >= clear_) {
                fail();
            }
            pixels.put(code);
            previous_ = code;
            return;
        }
        if (code > next_) {
            fail();
        }
        const int known = code < next_ ? code : previous_;
        const std::uint8_t first = firstOf(known);
        emitString(known, pixels);
        if (code == next_) {
            pixels.put(first);
        }
        if (next_ < MaxCodes) {
            prefix_[next_] = static_cast<std::uint16_t>(previous_);
            suffix_[next_] = first;
            first_[next_] = firstOf(previous_);
            ++next_;
            if (next_ == 1 << codeBits_ && codeBits_ < MaxCodeBits) {
                ++codeBits_;
            }
        }
        previous_ = code;
    }

    std::uint8_t firstOf(int code) const {
        return code < clear_ ? static_cast<std::uint8_t>(code) : first_[code];
    }

    void emitString(int code, PixelWriter& pixels) {
        int length = 0;
        for (; code >= clear_; code = prefix_[code]) {
            stack_[length++] = suffix_[code];
        }
        stack_[length++] = static_cast<std::uint8_t>(code);
        while (length > 0) {
            pixels.put(stack_[--length]);
        }
    }

    SubBlocks& data_;
    const int minimumCodeBits_;
    const int clear_;
    int codeBits_ = 0;
    int next_ = 0;
    int previous_ = -1;
    std::uint32_t bits_ = 0;
    int bitCount_ = 0;
    std::array<std::uint16_t, MaxCodes> prefix_{};
    std::array<std::uint8_t, MaxCodes> suffix_{};
    std::array<std::uint8_t, MaxCodes> first_{};
    std::array<std::uint8_t, MaxCodes> stack_{};
};

DecodedPicture readFrame(ByteSource& in, int screenWidth, int screenHeight,
                         const ColourTable& global, int transparent) {
    Frame frame;
    frame.left = in.word();
    frame.top = in.word();
    frame.width = in.word();
    frame.height = in.word();
    const int flags = in.byte();
    frame.interlaced = (flags & 0x40) != 0;
    const ColourTable local = (flags & 0x80) != 0 ? readColourTable(in, flags & 7) : ColourTable{};
    const ColourTable& table = (flags & 0x80) != 0 ? local : global;
    const int minimumCodeBits = in.byte();
    // Sizes past 8 are out of the format's range but written, and every reader takes them.
    if (frame.width == 0 || frame.height == 0 || minimumCodeBits < 1 ||
        minimumCodeBits >= MaxCodeBits) {
        fail();
    }
    // The screen grows to hold a frame that does not fit it; a screen of no size is the frame's.
    const bool hasScreen = screenWidth > 0 && screenHeight > 0;
    const int width = std::max(hasScreen ? screenWidth : 0, frame.left + frame.width);
    const int height = std::max(hasScreen ? screenHeight : 0, frame.top + frame.height);
    QImage image = newPicture(width, height, QImage::Format_ARGB32);
    const bool covered = frame.width == width && frame.height == height;
    if (!covered) {
        image.fill(Qt::transparent);
    }
    PixelWriter pixels(image, frame, table, transparent);
    SubBlocks data(in);
    LzwDecoder(data, minimumCodeBits).decode(pixels);
    if (covered && !pixels.usedTransparency()) {
        image.reinterpretAsFormat(QImage::Format_RGB32);
    }
    return {std::move(image), true};
}

} // namespace

DecodedPicture GifReader::read(QIODevice& device) {
    ByteSource in(device);
    char signature[6];
    for (char& c : signature) {
        c = static_cast<char>(in.byte());
    }
    if (std::memcmp(signature, "GIF87a", 6) != 0 && std::memcmp(signature, "GIF89a", 6) != 0) {
        fail();
    }
    const int screenWidth = in.word();
    const int screenHeight = in.word();
    const int flags = in.byte();
    in.skip(2); // background colour and aspect ratio
    const ColourTable global = (flags & 0x80) != 0 ? readColourTable(in, flags & 7) : greys();
    int transparent = -1;
    for (;;) {
        const int block = in.byte();
        if (block == 0x2C) {
            return readFrame(in, screenWidth, screenHeight, global, transparent);
        }
        if (block != 0x21) {
            fail(); // the trailer before any frame, or no block at all
        }
        if (in.byte() == 0xF9) {
            transparent = readGraphicControl(in);
        } else {
            skipSubBlocks(in);
        }
    }
}

} // namespace qtbackend
