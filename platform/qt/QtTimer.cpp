#include "platform/qt/QtTimer.h"

namespace qtbackend {

QtTimer::QtTimer(std::function<void()> tick) {
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, std::move(tick));
}

} // namespace qtbackend
