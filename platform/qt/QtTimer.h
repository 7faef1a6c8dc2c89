#pragma once

#include <functional>

#include <QTimer>

#include "platform/Backend.h"

namespace qtbackend {

// A timer whose ticks arrive through the message loop.
class QtTimer : public platform::TimerPeer {
public:
    explicit QtTimer(std::function<void()> tick);

    void start(std::int32_t intervalMs) override { timer_.start(intervalMs); }
    void stop() override { timer_.stop(); }

private:
    QTimer timer_;
};

} // namespace qtbackend
