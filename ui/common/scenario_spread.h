#pragma once

#include <memory>
#include <string>

#include <QObject>

#include "engine/spread/simulation.h"
#include "ui/insights/latest_job.h"

namespace velmora {

class Rebuild;
class SubscriptionInputs;

/// The spread of outcomes of one scenario whose inputs carry ranges, kept
/// current off the window's thread. Once the scenario's values and ranges come
/// to rest (after the same wait as its projection), the spread is simulated on
/// the runner; a newer rest stops a simulation still running and its answer is
/// dropped. An input whose value has moved outside its range is drawn from the
/// range widened to take the value in.
class ScenarioSpread final : public QObject {
    Q_OBJECT

public:
    /// Follows `inputs`, which must outlive this.
    ScenarioSpread(SubscriptionInputs* inputs, QObject* parent);

    /// Runs the simulations started from now on through `runner`.
    void setRunner(JobRunner runner) { job_->setRunner(std::move(runner)); }

    /// The latest spread delivered; null while the scenario has no range, or
    /// its values cannot be simulated.
    [[nodiscard]] const std::shared_ptr<const Spread>& spread() const { return spread_; }
    /// Whether a simulation is running whose answer is still wanted.
    [[nodiscard]] bool isSimulating() const { return job_->isRunning(); }

signals:
    /// `spread` changed.
    void changed();

private:
    void follow();
    void show(std::shared_ptr<const Spread> spread);

    SubscriptionInputs* inputs_;
    LatestJob* job_;
    Rebuild* watch_;
    std::string key_;  ///< what the spread shown or being simulated was drawn from
    std::shared_ptr<const Spread> spread_;
};

}  // namespace velmora
