#pragma once

#include <array>

#include <QStringList>
#include <QWidget>

namespace velmora {

class ElidedLabel;
class Rebuild;
class ScenarioColumn;
class SubscriptionInputs;

/// How an alternate's summary differs from the baseline's: the subscribers
/// and the monthly proceeds of the last month both projections have, and the
/// lifetime value of one trial, each as a signed figure in the table's format
/// and a percentage of the baseline's, "▲ +1,234 (+7.9%) subscribers". When
/// the projections end in different months, the month compared is named:
/// "▼ -2,765 (-15.0%) subscribers at M35". An arrow and the sign tell the
/// direction; green and red repeat it for those who see them.
class BaselineDifference final : public QWidget {
    Q_OBJECT

public:
    static constexpr int lineCount = 3;

    /// Compares `alternate` with `baseline` after each rebuild of either;
    /// both must outlive it.
    BaselineDifference(SubscriptionInputs* baseline, SubscriptionInputs* alternate,
                       QWidget* parent);
    /// One comparing `column`'s scenario with `baseline`, placed below the column's table.
    static BaselineDifference* addTo(ScenarioColumn* column, SubscriptionInputs* baseline);

    /// The lines shown; empty while either scenario has no month.
    [[nodiscard]] QStringList texts() const;

private:
    void refresh();

    SubscriptionInputs* baseline_;
    SubscriptionInputs* alternate_;
    std::array<ElidedLabel*, lineCount> lines_{};
    Rebuild* rebuild_;
};

}  // namespace velmora
