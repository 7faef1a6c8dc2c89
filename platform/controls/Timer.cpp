#include "platform/controls/Timer.h"

#include "platform/Backend.h"
#include "platform/Failure.h"
#include "platform/Runtime.h"

namespace platform {

Timer::Timer(Form& owner) : Control(owner) {}

Timer::~Timer() = default;

void Timer::SetEnabled(bool enabled) {
    enabled_ = enabled;
    update();
}

void Timer::SetInterval(std::int32_t milliseconds) {
    if (milliseconds < 0 || milliseconds > 65535) {
        raise(ErrorNumber::InvalidProcedureCall);
    }
    interval_ = milliseconds;
    // A new interval restarts the count; an interval of 0 stops the timer.
    if (running_ && peer_ != nullptr) {
        peer_->stop();
    }
    running_ = false;
    update();
}

void Timer::update() {
    const bool shouldRun = enabled_ && interval_ > 0 && owner().IsLoaded();
    if (shouldRun == running_) {
        return;
    }
    if (shouldRun) {
        if (peer_ == nullptr) {
            peer_ =
                Runtime::current().backend().createTimer([this] { owner().raiseEvent(handler_); });
        }
        peer_->start(interval_);
    } else if (peer_ != nullptr) {
        peer_->stop();
    }
    running_ = shouldRun;
}

void Timer::release() {
    peer_.reset();
    running_ = false;
}

} // namespace platform
