#pragma once

#include <functional>

#include <QPointer>
#include <QWidget>

#include "platform/Backend.h"

namespace qtbackend {

// A form's top-level window. It stays hidden until shown; a close from outside (the user, the
// window manager) is reported to the form, which unloads.
class QtWindow : public platform::WindowPeer {
public:
    explicit QtWindow(std::function<void()> closedFromOutside);
    ~QtWindow() override;

    void show(const std::u16string& caption, int clientWidthTwips, int clientHeightTwips,
              std::span<const std::uint8_t> icon) override;

    // The widget that owns the form's dialogs and child controls.
    QWidget* widget() const { return widget_; }

private:
    QPointer<QWidget> widget_;
};

// Whether a person can see the dialogs and answer them: not on the offscreen platform, which
// the runtime falls back to when there is no display.
bool hasDisplay();

// The widget of a window peer, or null.
QWidget* widgetOf(platform::WindowPeer* peer);

} // namespace qtbackend
