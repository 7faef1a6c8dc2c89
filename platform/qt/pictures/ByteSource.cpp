#include "platform/qt/pictures/ByteSource.h"

#include "platform/Failure.h"

namespace qtbackend {

void ByteSource::skip(int count) {
    for (; count > 0; --count) {
        byte();
    }
}

bool ByteSource::atEnd() {
    if (position_ < filled_) {
        return false;
    }
    const qint64 read = device_.read(reinterpret_cast<char*>(buffer_.data()), buffer_.size());
    position_ = 0;
    filled_ = read > 0 ? static_cast<int>(read) : 0;
    return filled_ == 0;
}

void ByteSource::refill() {
    if (atEnd()) {
        platform::raise(platform::ErrorNumber::InvalidPicture);
    }
}

} // namespace qtbackend
