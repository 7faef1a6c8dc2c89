#pragma once

#include <array>
#include <cstdint>

#include <QIODevice>

namespace qtbackend {

// Reads a device byte by byte through a buffer, for the readers that walk a picture's data in
// small steps. Reading past the end fails with invalid picture: the data ended early.
class ByteSource {
public:
    explicit ByteSource(QIODevice& device) : device_(device) {}

    std::uint8_t byte() {
        if (position_ == filled_) {
            refill();
        }
        return buffer_[position_++];
    }
    // A little-endian 16-bit value.
    std::uint16_t word() {
        const std::uint8_t low = byte();
        return static_cast<std::uint16_t>(low | byte() << 8);
    }
    void skip(int count);
    // True when no byte is left.
    bool atEnd();

private:
    void refill();

    QIODevice& device_;
    std::array<std::uint8_t, 16384> buffer_;
    int position_ = 0;
    int filled_ = 0;
};

} // namespace qtbackend
