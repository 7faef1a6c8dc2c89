#include "platform/Form.h"

#include <exception>

#include "platform/Backend.h"
#include "platform/Runtime.h"
#include "platform/Win32.h"

namespace platform {

// A form's client area draws at the screen's logical resolution.
class Form::ClientDeviceContext : public DeviceContext {
public:
    std::int32_t deviceCaps(std::int32_t index) const override {
        return index == LOGPIXELSX || index == LOGPIXELSY ? 96 : 0;
    }
};

Form::Form(std::u16string caption, int clientWidthTwips, int clientHeightTwips,
           std::span<const std::uint8_t> icon)
    : caption_(std::move(caption)), clientWidthTwips_(clientWidthTwips),
      clientHeightTwips_(clientHeightTwips), icon_(icon),
      clientDeviceContext_(std::make_unique<ClientDeviceContext>()) {}

Form::~Form() = default;

void Form::Load() {
    peer_ = Runtime::current().backend().createWindow([this] { Unload(); });
    loaded_ = true;
    for (Control* control : controls_) {
        control->formLoaded();
    }
    raiseEvent(loadHandler_);
}

void Form::Unload() {
    if (!loaded_) {
        return;
    }
    loaded_ = false;
    for (Control* control : controls_) {
        control->release();
    }
    peer_.reset();
    Runtime::current().backend().quitMessageLoop();
}

void Form::Show() {
    if (loaded_ && peer_ != nullptr) {
        peer_->show(caption_, clientWidthTwips_, clientHeightTwips_, icon_);
    }
}

Handle Form::hDC() const {
    return clientDeviceContext_->hDC();
}

void Form::raiseEvent(const std::function<void()>& handler) {
    if (!loaded_ || !handler) {
        return;
    }
    try {
        handler();
    } catch (const std::exception&) {
        Unload();
    }
}

Control::Control(Form& owner) : owner_(owner) {
    owner.controls_.push_back(this);
}

} // namespace platform
