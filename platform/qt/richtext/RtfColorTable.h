#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include <QColor>

namespace qtbackend {

// The document's \colortbl: colours by index, each ended by ";". An entry without components is
// the automatic colour, an invalid QColor.
class RtfColorTable {
public:
    // The table's group begins: no colour component is pending.
    void begin();
    void setRed(std::int32_t value);
    void setGreen(std::int32_t value);
    void setBlue(std::int32_t value);
    void text(std::string_view bytes);

    // The colour at index; automatic for an index the table does not hold.
    QColor color(std::int32_t index) const;

private:
    std::vector<QColor> colors_;
    int red_ = -1;
    int green_ = -1;
    int blue_ = -1;
};

} // namespace qtbackend
