#include "platform/Win32.h"

#include "platform/Backend.h"
#include "platform/Form.h"
#include "platform/Runtime.h"

namespace platform {

std::int32_t PrintDlgA(PRINTDLG& record) {
    if (record.lStructSize != sizeof(PRINTDLG)) {
        return 0;
    }
    const auto* owner = dynamic_cast<const Form*>(windowFromHandle(record.hwndOwner));
    return Runtime::current().backend().showPrintDialog(record,
                                                        owner != nullptr ? owner->peer() : nullptr);
}

std::int32_t GetDeviceCaps(Handle hdc, std::int32_t index) {
    const DeviceContext* deviceContext = deviceContextFromHandle(hdc);
    return deviceContext != nullptr ? deviceContext->deviceCaps(index) : 0;
}

std::int32_t SendMessageA(Handle hWnd, std::uint32_t message, std::int32_t wParam,
                          std::intptr_t lParam) {
    Window* window = windowFromHandle(hWnd);
    if (window == nullptr) {
        return 0;
    }
    return static_cast<std::int32_t>(window->windowProc(message, wParam, lParam));
}

} // namespace platform
