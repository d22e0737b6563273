#pragma once

#include <chrono>
#include <functional>

#include <QCoreApplication>

#include "inputs/recalculation_timer.h"

namespace velmora {

/// A timer on a clock the test moves by hand: no test waits for real time.
class FakeTimer final : public RecalculationTimer {
public:
    void start(std::chrono::milliseconds wait, std::function<void()> fire) override {
        deadline_ = now + wait;
        fire_ = std::move(fire);
        active_ = true;
    }
    void cancel() override { active_ = false; }
    bool isActive() const override { return active_; }
    void advance(std::chrono::milliseconds span) {
        now += span;
        if (active_ && now >= deadline_) {
            active_ = false;
            fire_();
        }
    }

    std::chrono::milliseconds now{0};

private:
    std::chrono::milliseconds deadline_{0};
    std::function<void()> fire_;
    bool active_ = false;
};

/// Runs the posted tasks, and those they post in turn, as the event loop does
/// between user events. One pass delivers only what was posted before it.
inline void drain() {
    for (int pass = 0; pass < 4; ++pass) {
        QCoreApplication::sendPostedEvents();
    }
}

}  // namespace velmora
