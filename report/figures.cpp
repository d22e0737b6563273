#include "report/figures.h"

#include "format/number_format.h"
#include "format/signed_figure.h"

namespace velmora::report {

namespace {

using Style = NumberFormatter::Style;

}  // namespace

Figures::Figures(QLocale locale) : locale_(std::move(locale)) {}

QString Figures::count(double value) const {
    return NumberFormatter(Style::Decimal, 0, locale_).format(value);
}

QString Figures::money(double value) const {
    return NumberFormatter(Style::Currency, 0, locale_).format(value);
}

QString Figures::cents(double value) const {
    return NumberFormatter(Style::Currency, 2, locale_).format(value);
}

QString Figures::value(double value) const {
    return formText(NumberFormatter(Style::Decimal, 3, locale_), value);
}

QString Figures::signedCount(double change) const {
    return signedFigure(NumberFormatter(Style::Decimal, 0, locale_), change);
}

QString Figures::signedMoney(double change) const {
    return signedFigure(NumberFormatter(Style::Currency, 0, locale_), change);
}

QString Figures::signedCents(double change) const {
    return signedFigure(NumberFormatter(Style::Currency, 2, locale_), change);
}

QString Figures::percent(double change, double base) const {
    return signedPercent(change, base, locale_);
}

QString Figures::month(std::int64_t month) {
    return QStringLiteral("M%1").arg(month);
}

}  // namespace velmora::report
