#pragma once

#include <optional>

#include <QGroupBox>

#include "engine/decisions/metrics.h"
#include "ui/insights/latest_job.h"

class QComboBox;
class QLabel;

namespace velmora {

class TornadoChart;

/// Which input matters most: the change of the figure the user picks (the
/// monthly proceeds of the last month first) when each input is moved to 90%
/// and to 110% of its value, found off the main thread and drawn as a tornado.
class SensitivityPanel final : public QGroupBox {
    Q_OBJECT

public:
    explicit SensitivityPanel(QWidget* parent);

    /// The scenario as projected now: computes anew unless the chart shows,
    /// or is being given, the figures of these values.
    void setScenario(const ScenarioValues& values);
    /// The scenario is changing: stops the figures being computed; the chart
    /// keeps what it shows until the new ones come.
    void withdraw();
    /// Computes through `runner` from now on, anew.
    void setRunner(JobRunner runner);

    [[nodiscard]] Metric metric() const;
    /// Whether figures are being computed.
    [[nodiscard]] bool isBusy() const;

    [[nodiscard]] QComboBox* metricPicker() const { return picker_; }
    [[nodiscard]] TornadoChart* chart() const { return chart_; }
    /// The exact figures of the row the keyboard is on.
    [[nodiscard]] QLabel* details() const { return details_; }

private:
    struct Asked {
        ScenarioValues values;
        Metric metric;
    };

    void ask();
    void showDetails(int row);

    QComboBox* picker_;
    TornadoChart* chart_;
    QLabel* details_;
    LatestJob* job_;
    std::optional<ScenarioValues> scenario_;
    std::optional<Asked> asked_;
};

}  // namespace velmora
