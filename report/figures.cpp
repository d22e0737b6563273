#include "report/figures.h"

#include <cmath>

#include "format/number_format.h"
#include "format/signed_figure.h"

namespace velmora::report {

namespace {

using Style = NumberFormatter::Style;

/// From 1e15 on a change is written in e-notation, as its figure is.
QString withSign(double change, const NumberFormatter& formatter) {
    constexpr double plainBelow = 1e15;
    if (std::isfinite(change) && std::abs(change) >= plainBelow) {
        return (change < 0 ? formatter.locale().negativeSign() : QStringLiteral("+")) +
               formText(formatter, std::abs(change));
    }
    return signedFigure(formatter, change);
}

}  // namespace

Figures::Figures(QLocale locale) : locale_(std::move(locale)) {}

QString Figures::count(double value) const {
    return formText(NumberFormatter(Style::Decimal, 0, locale_), value);
}

QString Figures::money(double value) const {
    return formText(NumberFormatter(Style::Currency, 0, locale_), value);
}

QString Figures::cents(double value) const {
    return formText(NumberFormatter(Style::Currency, 2, locale_), value);
}

QString Figures::value(double value) const {
    return formText(NumberFormatter(Style::Decimal, 3, locale_), value);
}

QString Figures::signedCount(double change) const {
    return withSign(change, NumberFormatter(Style::Decimal, 0, locale_));
}

QString Figures::signedMoney(double change) const {
    return withSign(change, NumberFormatter(Style::Currency, 0, locale_));
}

QString Figures::signedCents(double change) const {
    return withSign(change, NumberFormatter(Style::Currency, 2, locale_));
}

QString Figures::percent(double change, double base) const {
    return signedPercent(change, base, locale_);
}

QString Figures::month(std::int64_t month) {
    return QStringLiteral("M%1").arg(month);
}

}  // namespace velmora::report
