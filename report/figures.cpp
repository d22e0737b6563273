#include "report/figures.h"

#include <cmath>

namespace velmora::report {

namespace {

constexpr double plainBelow = 1e15;

QString special(double value, const QLocale& locale) {
    if (std::isnan(value)) {
        return QStringLiteral("n/a");
    }
    return value > 0 ? QStringLiteral("∞") : locale.negativeSign() + QStringLiteral("∞");
}

QString exponent(double value, const QLocale& locale) {
    return locale.toString(value, 'e', QLocale::FloatingPointShortest)
        .replace(locale.exponential(), QStringLiteral("e"));
}

QString decimal(double value, int digits, const QLocale& locale) {
    if (!std::isfinite(value)) {
        return special(value, locale);
    }
    if (std::abs(value) >= plainBelow) {
        return exponent(value, locale);
    }
    if (std::abs(value) * std::pow(10.0, digits) < 0.5) {
        value = 0;
    }
    QString text = locale.toString(value, 'f', digits);
    if (digits > 0) {
        while (text.endsWith(locale.zeroDigit())) {
            text.chop(locale.zeroDigit().size());
        }
        if (text.endsWith(locale.decimalPoint())) {
            text.chop(locale.decimalPoint().size());
        }
    }
    return text;
}

QString currency(double value, int digits, const QLocale& locale) {
    if (!std::isfinite(value)) {
        return special(value, locale);
    }
    if (std::abs(value) >= plainBelow) {
        return locale.toCurrencyString(1.0, locale.currencySymbol(), 0)
            .replace(locale.toString(1), exponent(value, locale));
    }
    if (std::abs(value) * std::pow(10.0, digits) < 0.5) {
        value = 0;
    }
    return locale.toCurrencyString(value, locale.currencySymbol(), digits);
}

QString withSign(double change, const QString& magnitude, const QString& zero,
                 const QLocale& locale) {
    if (std::isnan(change)) {
        return magnitude;
    }
    if (change < 0 && magnitude != zero) {
        return locale.negativeSign() + magnitude;
    }
    return QStringLiteral("+") + magnitude;
}

}  // namespace

Figures::Figures(QLocale locale) : locale_(std::move(locale)) {}

QString Figures::count(double value) const {
    return decimal(value, 0, locale_);
}

QString Figures::money(double value) const {
    return currency(value, 0, locale_);
}

QString Figures::cents(double value) const {
    return currency(value, 2, locale_);
}

QString Figures::value(double value) const {
    return decimal(value, 3, locale_);
}

QString Figures::signedCount(double change) const {
    return withSign(change, count(std::abs(change)), count(0), locale_);
}

QString Figures::signedMoney(double change) const {
    return withSign(change, money(std::abs(change)), money(0), locale_);
}

QString Figures::signedCents(double change) const {
    return withSign(change, cents(std::abs(change)), cents(0), locale_);
}

QString Figures::percent(double change, double base) const {
    if (base == 0 || !std::isfinite(base) || !std::isfinite(change)) {
        return {};
    }
    const double share = std::round(change / std::abs(base) * 1000) / 10;
    const QString number = locale_.toString(share == 0 ? 0.0 : share, 'f', 1);
    return (share >= 0 ? QStringLiteral("+") : QString()) + number + locale_.percent();
}

QString Figures::month(std::int64_t month) {
    return QStringLiteral("M%1").arg(month);
}

}  // namespace velmora::report
