#pragma once

#include <cstdint>

// Window handles and device-context handles: 32-bit values from the runtime's handle tables,
// resolved back to their objects by SendMessageA and GetDeviceCaps.
namespace platform {

using Handle = std::int32_t;

// Anything with a window handle: forms and the controls that receive messages.
class Window {
public:
    Window();
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    Handle hWnd() const { return hWnd_; }

    // Handles a message sent with SendMessageA; unknown messages answer 0.
    virtual std::intptr_t windowProc(std::uint32_t message, std::intptr_t wParam,
                                     std::intptr_t lParam);

private:
    Handle hWnd_;
};

// A drawing surface with a device-context handle: a window's client area or a printer page.
class DeviceContext {
public:
    DeviceContext();
    virtual ~DeviceContext();
    DeviceContext(const DeviceContext&) = delete;
    DeviceContext& operator=(const DeviceContext&) = delete;

    Handle hDC() const { return hDC_; }

    // The GetDeviceCaps value for index; 0 for an index the device does not know.
    virtual std::int32_t deviceCaps(std::int32_t index) const = 0;

private:
    Handle hDC_;
};

// nullptr when the handle names no live object.
Window* windowFromHandle(Handle hWnd);
DeviceContext* deviceContextFromHandle(Handle hDC);

} // namespace platform
