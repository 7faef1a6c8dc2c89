#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/Backend.h"

namespace fake {

// Time in the test backend: it moves only when the test advances it, and timers tick then.
class FakeClock {
public:
    FakeClock();
    ~FakeClock();

    std::int64_t now() const { return now_; }
    // Moves time forward by milliseconds, ticking every timer that falls due, in time order.
    void advance(std::int64_t milliseconds);

    std::unique_ptr<platform::TimerPeer> createTimer(std::function<void()> tick);

private:
    class Timer;
    std::int64_t now_ = 0;
    std::vector<Timer*> timers_;
};

} // namespace fake
