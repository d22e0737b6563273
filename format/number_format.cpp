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

}  // namespace

QString NumberFormatter::format(double value) const {
    if (std::isnan(value)) {
        return QStringLiteral("n/a");
    }
    if (std::isinf(value)) {
        return value > 0 ? QStringLiteral("∞") : locale_.negativeSign() + QStringLiteral("∞");
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
    constexpr double plainBelow = 1e15;
    if (!(std::abs(value) >= plainBelow) || !std::isfinite(value)) {
        return formatter.format(value);
    }
    const QLocale& locale = formatter.locale();
    return locale.toString(value, 'e', QLocale::FloatingPointShortest)
        .replace(locale.exponential(), QStringLiteral("e"));
}

}  // namespace velmora
