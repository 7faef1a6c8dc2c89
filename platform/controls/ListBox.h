#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Form.h"

namespace platform {

// An unsorted list box: entries keep the order in which they were added. Counts and indexes are
// 16-bit, so it holds at most 32767 entries.
class ListBox : public Control {
public:
    using Control::Control;

    void Clear() { items_.clear(); }
    // Appends an entry; fails with an overflow when the list is full.
    void AddItem(std::u16string item);
    std::int16_t ListCount() const { return static_cast<std::int16_t>(items_.size()); }
    // Entry index, counted from 0; fails for an index outside the list.
    const std::u16string& List(std::int16_t index) const;

private:
    std::vector<std::u16string> items_;
};

} // namespace platform
