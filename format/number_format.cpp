#include "format/number_format.h"

#include <cmath>

namespace velmora {

QLocale figureLocale(const QLocale& system) {
    if (system.language() == QLocale::C) {
        return QLocale(QLocale::English, QLocale::UnitedStates);
    }
    return system;
}

NumberFormatter::NumberFormatter(Style style, int maximumFractionDigits, QLocale locale)
    : style_(style), digits_(maximumFractionDigits), locale_(std::move(locale)) {}

namespace {

/// Drops the zeros that end the fraction, and the decimal mark if nothing is
/// left after it: "1.990" becomes "1.99", "2.000" becomes "2".
QString withoutTrailingZeros(QString text, const QLocale& locale) {
    const QString mark = locale.decimalPoint();
    const qsizetype at = text.lastIndexOf(mark);
    if (at < 0) {
        return text;
    }
    const QString zero = locale.zeroDigit();
    qsizetype end = text.size();
    while (end > at + mark.size() && text.mid(end - zero.size(), zero.size()) == zero) {
        end -= zero.size();
    }
    if (end == at + mark.size()) {
        end = at;
    }
    text.truncate(end);
    return text;
}

constexpr double plainBelow = 1e15;

/// `value` (finite, 1e15 or more in size) in the shortest e-notation that
/// reads back exactly, with the locale's marks and, for money, its symbol
/// placed as the locale places it: "5.9e+302", "$1e+15", "($1e+15)", "1e+15 €".
QString scientific(double value, NumberFormatter::Style style, const QLocale& locale) {
    const auto written = [&locale](double number) {
        return locale.toString(number, 'e', QLocale::FloatingPointShortest)
            .replace(locale.exponential(), QStringLiteral("e"));
    };
    if (style == NumberFormatter::Style::Decimal) {
        return written(value);
    }
    QString pattern = locale.toCurrencyString(value < 0 ? -1.0 : 1.0, locale.currencySymbol(), 0);
    return pattern.replace(locale.toString(1), written(std::abs(value)));
}

}  // namespace

QString NumberFormatter::format(double value) const {
    if (std::isnan(value)) {
        return QStringLiteral("n/a");
    }
    if (std::isinf(value)) {
        return value > 0 ? QStringLiteral("∞") : locale_.negativeSign() + QStringLiteral("∞");
    }
    if (std::abs(value) >= plainBelow) {
        return scientific(value, style_, locale_);
    }
    // A value that rounds to zero is written as zero, not as "-0".
    const double scale = std::pow(10.0, digits_);
    if (std::abs(value) * scale < 0.5) {
        value = 0;
    }
    if (style_ == Style::Currency) {
        return locale_.toCurrencyString(value, locale_.currencySymbol(), digits_);
    }
    return withoutTrailingZeros(locale_.toString(value, 'f', digits_), locale_);
}

std::optional<double> NumberFormatter::read(const QString& text) const {
    bool ok = false;
    const double value = locale_.toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

NumberFormatter formFormatter() {
    return NumberFormatter(NumberFormatter::Style::Decimal, 3);
}

QString formText(const NumberFormatter& formatter, double value) {
    return formatter.format(value);
}

}  // namespace velmora
