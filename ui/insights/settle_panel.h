#pragma once

#include <QGroupBox>
#include <QStringList>

#include "engine/projection/scenario.h"

class QLabel;

namespace velmora {

class FigureLine;
struct SubscriptionCalculation;

/// Where a scenario settles: the subscribers it approaches if it ran for
/// ever, the monthly proceeds there and the first projected month within 10% of
/// them; or a sentence saying why it does not settle.
class SettlePanel final : public QGroupBox {
    Q_OBJECT

public:
    explicit SettlePanel(QWidget* parent);

    /// Shows where `values` settle, searching the months of `projection`
    /// (none: no month) for the first within 10%.
    void showScenario(const ScenarioValues& values, const SubscriptionCalculation* projection);

    /// The lines shown, in order.
    [[nodiscard]] QStringList lines() const;

private:
    FigureLine* subscribers_;
    FigureLine* proceeds_;
    FigureLine* month_;
    QLabel* sentence_;
};

}  // namespace velmora
