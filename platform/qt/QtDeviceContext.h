#pragma once

#include <QPaintDevice>
#include <QPainter>

#include "platform/Handles.h"

namespace qtbackend {

// A device context that Qt code draws on, such as a page of the default printer. Device
// coordinates are pixels of the device, with the origin at the top-left corner of its printable
// area; text is laid out against paintDevice() so that its metrics are the device's own.
class QtDeviceContext : public platform::DeviceContext {
public:
    virtual QPainter& painter() = 0;
    virtual QPaintDevice& paintDevice() = 0;
};

// The Qt device context behind a handle, or null.
inline QtDeviceContext* qtDeviceContextFromHandle(platform::Handle hdc) {
    return dynamic_cast<QtDeviceContext*>(platform::deviceContextFromHandle(hdc));
}

} // namespace qtbackend
