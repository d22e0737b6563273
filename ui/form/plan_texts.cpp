#include "ui/form/plan_texts.h"

#include <algorithm>

#include <QCoreApplication>
#include <QDate>
#include <QStringList>

#include "format/number_format.h"
#include "ui/common/field_titles.h"

namespace velmora {

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("velmora::PlanTexts", text);
}

QString number(double value) {
    return formText(formFormatter(), value);
}

std::optional<PlanInput> inputNamed(const QString& name) {
    for (const PlanInput input : planInputs) {
        if (name.compare(planInputTitle(input), Qt::CaseInsensitive) == 0 ||
            name.compare(QLatin1String(planInputName(input)), Qt::CaseInsensitive) == 0) {
            return input;
        }
    }
    return std::nullopt;
}

/// One pasted line as a change, or why it is none.
std::variant<PlanChange, QString> readLine(const QString& line) {
    const QChar separator = line.contains(QLatin1Char('\t')) ? QLatin1Char('\t') : QLatin1Char(',');
    const QString monthText = line.section(separator, 0, 0).trimmed();
    const QString inputText = line.section(separator, 1, 1).trimmed();
    const QString valueText = line.section(separator, 2).trimmed();
    if (inputText.isEmpty() || valueText.isEmpty()) {
        return tr("a change is a month, an input and a value");
    }
    QString digits = monthText;
    if (digits.startsWith(QLatin1Char('M'), Qt::CaseInsensitive)) {
        digits.remove(0, 1);
    }
    bool whole = false;
    const qlonglong month = digits.toLongLong(&whole);
    if (!whole || month < 1 || month > Plan::lastMonth) {
        return tr("“%1” is not a month from 1 to %2").arg(monthText).arg(Plan::lastMonth);
    }
    const auto input = inputNamed(inputText);
    if (!input) {
        return tr("“%1” is not an input").arg(inputText);
    }
    const auto value = formFormatter().read(valueText);
    if (!value) {
        return tr("“%1” is not a number").arg(valueText);
    }
    PlanChange change{*input, month, *value};
    Plan alone;
    alone.changes = {change};
    if (const auto problem = planProblem(alone)) {
        return QString::fromStdString(*problem);
    }
    return change;
}

}  // namespace

std::variant<std::vector<PlanChange>, QString> readPlanChanges(const QString& text) {
    std::vector<PlanChange> changes;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype line = 0; line < lines.size(); ++line) {
        if (lines[line].trimmed().isEmpty()) {
            continue;
        }
        const auto read = readLine(lines[line]);
        if (const auto* problem = std::get_if<QString>(&read)) {
            return tr("line %1: %2").arg(line + 1).arg(*problem);
        }
        changes.push_back(std::get<PlanChange>(read));
    }
    return changes;
}

QString planButtonText(const std::optional<Plan>& plan) {
    if (!plan) {
        return tr("Plan…");
    }
    const auto changes = static_cast<int>(plan->changes.size());
    if (changes > 0) {
        return changes == 1 ? tr("Plan (1 change)…") : tr("Plan (%1 changes)…").arg(changes);
    }
    if (plan->hasGrowth()) {
        return plan->hasSeasons() ? tr("Plan (growth, seasons)…") : tr("Plan (growth)…");
    }
    return plan->hasSeasons() ? tr("Plan (seasons)…") : tr("Plan…");
}

QString planSummary(const std::optional<Plan>& plan) {
    if (!plan || (plan->isEmpty() && !plan->startMonth)) {
        return tr("Set how the inputs change over the months: growth, seasons and changes");
    }
    QStringList lines;
    if (plan->hasGrowth()) {
        const QString growth =
            tr("Daily trials grow %1% a month").arg(number(*plan->growthPercent));
        lines << (plan->growthUntil ? tr("%1 until M%2").arg(growth).arg(*plan->growthUntil)
                                    : growth);
    }
    if (plan->startMonth) {
        const QString start = QLocale().toString(
            QDate(plan->startMonth->year, plan->startMonth->month, 1), QStringLiteral("MMM yyyy"));
        lines << (plan->hasSeasons() ? tr("Seasons; M0 is %1").arg(start)
                                     : tr("M0 is %1").arg(start));
    }
    for (const PlanChange& change : plan->changes) {
        lines << tr("%1 %2 from M%3")
                     .arg(planInputTitle(change.input), number(change.value))
                     .arg(change.month);
    }
    const bool priceChanges =
        std::any_of(plan->changes.begin(), plan->changes.end(),
                    [](const PlanChange& change) { return change.input == PlanInput::Price; });
    if (priceChanges) {
        lines << (plan->priceChangesApply == PriceChangesApply::Everyone
                      ? tr("Price changes apply to everyone")
                      : tr("Price changes apply to new subscribers only"));
    }
    return lines.join(QLatin1Char('\n'));
}

}  // namespace velmora
