#include "ui/insights/settle_panel.h"

#include <QLabel>
#include <QVBoxLayout>

#include "engine/decisions/settle_point.h"
#include "engine/projection/calculation.h"
#include "format/number_format.h"
#include "ui/insights/figure_line.h"

namespace velmora {

namespace {

using Style = NumberFormatter::Style;

QString projectedMonths(std::size_t months) {
    return months == 1
               ? QStringLiteral("the 1 month projected")
               : QStringLiteral("the %1 months projected")
                     .arg(NumberFormatter(Style::Decimal, 0).format(static_cast<double>(months)));
}

}  // namespace

SettlePanel::SettlePanel(QWidget* parent)
    : QGroupBox(QStringLiteral("Where it settles"), parent),
      subscribers_(new FigureLine(this)),
      proceeds_(new FigureLine(this)),
      month_(new FigureLine(this)),
      sentence_(new QLabel(this)) {
    setAccessibleName(title());
    setAccessibleDescription(
        QStringLiteral("The subscribers the scenario approaches if it ran for ever"));
    sentence_->setWordWrap(true);
    sentence_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* lines = new QVBoxLayout(this);
    lines->addWidget(subscribers_);
    lines->addWidget(proceeds_);
    lines->addWidget(month_);
    lines->addWidget(sentence_);
}

void SettlePanel::showScenario(const ScenarioValues& values,
                               const SubscriptionCalculation* projection) {
    std::vector<double> actives;
    if (projection != nullptr) {
        actives.reserve(projection->monthlySnapshots.size());
        for (const SubscriptionSnapshot& month : projection->monthlySnapshots) {
            actives.push_back(month.active);
        }
    }
    const SettlePoint point = settlePoint(values, actives);
    const bool settles = point.kind == SettlePoint::Kind::Settles;
    subscribers_->setVisible(settles);
    proceeds_->setVisible(settles);
    month_->setVisible(settles && point.month90.has_value());
    QString sentence;
    if (!settles) {
        sentence = (point.kind == SettlePoint::Kind::GrowsWithoutBound
                        ? QStringLiteral("It does not settle. ")
                        : QStringLiteral("Velmora cannot tell where it settles. ")) +
                   QString::fromStdString(point.reason);
    } else if (point.subscribers <= 0) {
        sentence = QStringLiteral("There is nothing to reach: no subscriber stays.");
    } else if (!point.month90) {
        sentence = QStringLiteral("None of %1 comes within 10% of it yet.")
                       .arg(projectedMonths(actives.size()));
    }
    sentence_->setText(sentence);
    sentence_->setVisible(!sentence.isEmpty());
    if (!settles) {
        return;
    }
    subscribers_->setFigure(NumberFormatter(Style::Decimal, 0).format(point.subscribers),
                            QStringLiteral("subscribers when settled"));
    proceeds_->setFigure(NumberFormatter(Style::Currency, 0).format(point.monthlyProceeds),
                         QStringLiteral("monthly when settled"));
    if (point.month90) {
        month_->setFigure(QStringLiteral("M") + QString::number(*point.month90),
                          QStringLiteral("the first month within 10% of that"));
    }
}

QStringList SettlePanel::lines() const {
    QStringList shown;
    for (const FigureLine* line : {subscribers_, proceeds_, month_}) {
        if (!line->isHidden()) {
            shown << line->text();
        }
    }
    if (!sentence_->isHidden()) {
        shown << sentence_->text();
    }
    return shown;
}

}  // namespace velmora
