#pragma once

#include <string>

#include "platform/Form.h"

namespace platform {

// A single-line text box without a length limit of its own.
class TextBox : public Control {
public:
    using Control::Control;

    const std::u16string& Text() const { return text_; }
    void SetText(std::u16string text) { text_ = std::move(text); }

private:
    std::u16string text_;
};

} // namespace platform
