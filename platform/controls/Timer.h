#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/Form.h"

namespace platform {

class TimerPeer;

// Raises Timer each time Interval milliseconds have elapsed while it is enabled. Enabling a timer
// that already runs leaves its count as it is.
class Timer : public Control {
public:
    explicit Timer(Form& owner);
    ~Timer() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    std::int32_t Interval() const { return interval_; }
    void SetInterval(std::int32_t milliseconds);

    void onTimer(std::function<void()> handler) { handler_ = std::move(handler); }

protected:
    void formLoaded() override { update(); }
    void release() override;

private:
    void update();

    bool enabled_ = true;
    std::int32_t interval_ = 0;
    std::function<void()> handler_;
    std::unique_ptr<TimerPeer> peer_;
    bool running_ = false;
};

} // namespace platform
