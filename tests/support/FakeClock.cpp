#include "tests/support/FakeClock.h"

#include <algorithm>

namespace fake {

class FakeClock::Timer : public platform::TimerPeer {
public:
    Timer(FakeClock& clock, std::function<void()> tick) : clock_(clock), tick_(std::move(tick)) {
        clock_.timers_.push_back(this);
    }
    ~Timer() override { std::erase(clock_.timers_, this); }

    void start(std::int32_t intervalMs) override {
        interval_ = intervalMs;
        due_ = clock_.now_ + intervalMs;
        running_ = true;
    }
    void stop() override { running_ = false; }

    bool running_ = false;
    std::int64_t due_ = 0;
    std::int32_t interval_ = 0;

    void tick() {
        due_ += interval_;
        tick_();
    }

private:
    FakeClock& clock_;
    std::function<void()> tick_;
};

FakeClock::FakeClock() = default;

FakeClock::~FakeClock() = default;

void FakeClock::advance(std::int64_t milliseconds) {
    const std::int64_t end = now_ + milliseconds;
    for (;;) {
        Timer* next = nullptr;
        for (Timer* timer : timers_) {
            if (timer->running_ && timer->due_ <= end &&
                (next == nullptr || timer->due_ < next->due_)) {
                next = timer;
            }
        }
        if (next == nullptr) {
            break;
        }
        now_ = next->due_;
        next->tick(); // may destroy timers, so the scan starts again
    }
    now_ = end;
}

std::unique_ptr<platform::TimerPeer> FakeClock::createTimer(std::function<void()> tick) {
    return std::make_unique<Timer>(*this, std::move(tick));
}

} // namespace fake
