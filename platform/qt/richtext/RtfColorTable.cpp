#include "platform/qt/richtext/RtfColorTable.h"

#include <algorithm>

namespace qtbackend {

void RtfColorTable::begin() {
    red_ = green_ = blue_ = -1;
}

void RtfColorTable::setRed(std::int32_t value) {
    red_ = std::clamp(value, 0, 255);
}

void RtfColorTable::setGreen(std::int32_t value) {
    green_ = std::clamp(value, 0, 255);
}

void RtfColorTable::setBlue(std::int32_t value) {
    blue_ = std::clamp(value, 0, 255);
}

void RtfColorTable::text(std::string_view bytes) {
    for (const char c : bytes) {
        if (c != ';') {
            continue;
        }
        if (red_ < 0 && green_ < 0 && blue_ < 0) {
            colors_.emplace_back(); // an empty entry: the automatic colour
        } else {
            colors_.emplace_back(std::max(red_, 0), std::max(green_, 0), std::max(blue_, 0));
        }
        red_ = green_ = blue_ = -1;
    }
}

QColor RtfColorTable::color(std::int32_t index) const {
    return index >= 0 && index < static_cast<std::int32_t>(colors_.size())
               ? colors_[static_cast<std::size_t>(index)]
               : QColor();
}

} // namespace qtbackend
