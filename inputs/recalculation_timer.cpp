#include "inputs/recalculation_timer.h"

namespace velmora {

QtRecalculationTimer::QtRecalculationTimer() {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
        if (fire_) {
            fire_();
        }
    });
}

void QtRecalculationTimer::start(std::chrono::milliseconds wait, std::function<void()> fire) {
    fire_ = std::move(fire);
    timer_.start(wait);
}

void QtRecalculationTimer::cancel() {
    timer_.stop();
}

bool QtRecalculationTimer::isActive() const {
    return timer_.isActive();
}

}  // namespace velmora
