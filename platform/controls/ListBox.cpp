#include "platform/controls/ListBox.h"

#include "platform/Failure.h"
#include "platform/Strings.h"

namespace platform {

void ListBox::AddItem(std::u16string item) {
    toInt16(static_cast<std::int64_t>(items_.size()) + 1);
    items_.push_back(std::move(item));
}

const std::u16string& ListBox::List(std::int16_t index) const {
    if (index < 0 || index >= ListCount()) {
        raise(ErrorNumber::InvalidPropertyArrayIndex);
    }
    return items_[static_cast<std::size_t>(index)];
}

} // namespace platform
