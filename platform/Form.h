#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/Handles.h"

namespace platform {

class Control;
class WindowPeer;

// A window and its controls. The program runs while its form is loaded; unloading destroys the
// window and frees what the controls hold on the platform. The window stays hidden until the
// runtime shows it.
class Form : public Window {
public:
    // icon: the bytes of the window's .ico file, which outlive the form.
    Form(std::u16string caption, int clientWidthTwips, int clientHeightTwips,
         std::span<const std::uint8_t> icon);
    ~Form() override;

    void onLoad(std::function<void()> handler) { loadHandler_ = std::move(handler); }

    // Creates the hidden window and raises Load.
    void Load();
    // Destroys the window; does nothing when the form is already unloaded.
    void Unload();
    bool IsLoaded() const { return loaded_; }
    // Puts the window on screen.
    void Show();

    // The device context of the client area.
    Handle hDC() const;

    // The native window; null before Load and after Unload.
    WindowPeer* peer() const { return peer_.get(); }

    // Runs an event handler of this form. Events of an unloaded form are dropped; a failure that
    // escapes the handler ends the run quietly.
    void raiseEvent(const std::function<void()>& handler);

private:
    friend class Control;
    class ClientDeviceContext;

    std::u16string caption_;
    int clientWidthTwips_;
    int clientHeightTwips_;
    std::span<const std::uint8_t> icon_;
    std::function<void()> loadHandler_;
    std::vector<Control*> controls_;
    std::unique_ptr<WindowPeer> peer_;
    std::unique_ptr<ClientDeviceContext> clientDeviceContext_;
    bool loaded_ = false;
};

// A control of a form.
class Control {
public:
    explicit Control(Form& owner);
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    Form& owner() const { return owner_; }

protected:
    friend class Form;
    // Its form has loaded and is about to raise Load.
    virtual void formLoaded() {}
    // Frees what the control holds on the platform; its form is unloading.
    virtual void release() {}

private:
    Form& owner_;
};

} // namespace platform
