#include "platform/controls/RichTextBox.h"

#include "platform/Backend.h"
#include "platform/Runtime.h"
#include "platform/Win32.h"

namespace platform {

RichTextBox::RichTextBox(Form& owner) : Control(owner) {}

RichTextBox::~RichTextBox() = default;

RichTextEngine& RichTextBox::engine() const {
    if (engine_ == nullptr) {
        engine_ = Runtime::current().backend().createRichTextEngine();
    }
    return *engine_;
}

void RichTextBox::SetFileName(const std::u16string& path) {
    engine().loadFile(path);
    fileName_ = path;
}

std::u16string RichTextBox::Text() const {
    return engine().text();
}

std::intptr_t RichTextBox::windowProc(std::uint32_t message, std::intptr_t wParam,
                                      std::intptr_t lParam) {
    if (message == EM_FORMATRANGE) {
        return engine().formatRange(wParam != 0, reinterpret_cast<const FORMATRANGE*>(lParam));
    }
    return Window::windowProc(message, wParam, lParam);
}

void RichTextBox::release() {
    engine_.reset();
}

} // namespace platform
