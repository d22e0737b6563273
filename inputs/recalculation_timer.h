#pragma once

#include <chrono>
#include <functional>

#include <QTimer>

namespace velmora {

/// The one-shot wait between an edit and the rebuild of a projection. An
/// interface, so that tests can run it on a clock they control.
class RecalculationTimer {
public:
    virtual ~RecalculationTimer() = default;
    /// Starts the wait, replacing any running one; `fire` runs once when it
    /// ends, on the thread that started it, unless `cancel` comes first.
    virtual void start(std::chrono::milliseconds wait, std::function<void()> fire) = 0;
    /// Stops a running wait; does nothing when none runs.
    virtual void cancel() = 0;
    [[nodiscard]] virtual bool isActive() const = 0;

protected:
    RecalculationTimer() = default;
};

/// A single-shot QTimer on the current thread's event loop.
class QtRecalculationTimer final : public RecalculationTimer {
public:
    QtRecalculationTimer();
    void start(std::chrono::milliseconds wait, std::function<void()> fire) override;
    void cancel() override;
    [[nodiscard]] bool isActive() const override;

private:
    QTimer timer_;
    std::function<void()> fire_;
};

}  // namespace velmora
