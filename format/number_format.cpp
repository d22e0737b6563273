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
/// Digits after the point of a figure shown in e-notation: fifteen significant
/// digits, as many as the plain figures below 1e15 show at most.
constexpr int shownFractionDigits = 14;

/// `number` in e-notation with the locale's marks and "e": "5.9e+302",
/// "1,5e+15". `digits` after the point, trailing zeros dropped, or
/// QLocale::FloatingPointShortest for the shortest text that reads back exactly.
QString eNotation(double number, int digits, const QLocale& locale) {
    const QString mark = locale.exponential();
    const QString text = locale.toString(number, 'e', digits);
    const qsizetype at = text.indexOf(mark);
    return withoutTrailingZeros(text.left(at), locale) + QStringLiteral("e") +
           text.mid(at + mark.size());
}

/// `value` (finite, 1e15 or more in size) in e-notation, for money with the
/// symbol placed as the locale places it: "$1e+15", "($1e+15)", "1e+15 €".
QString scientific(double value, NumberFormatter::Style style, const QLocale& locale) {
    if (style == NumberFormatter::Style::Decimal) {
        return eNotation(value, shownFractionDigits, locale);
    }
    QString pattern = locale.toCurrencyString(value < 0 ? -1.0 : 1.0, locale.currencySymbol(), 0);
    return pattern.replace(locale.toString(1),
                           eNotation(std::abs(value), shownFractionDigits, locale));
}

/// Whether `value` is written in e-notation: from 1e15 on, including a value
/// just below whose rounding to `digits` reaches 1e15, so that a figure shown
/// as 1e15 is always spelled as 1e15 is, and reads back as the same text.
bool roundsToScientific(double value, int digits) {
    const double size = std::abs(value);
    if (size >= plainBelow) {
        return true;
    }
    if (size < plainBelow * 0.999) {
        return false;
    }
    // Every locale rounds as the C locale does; only its marks differ.
    const QLocale plain = QLocale::c();
    return plain.toDouble(plain.toString(size, 'f', digits)) >= plainBelow;
}

}  // namespace

QString NumberFormatter::format(double value) const {
    if (std::isnan(value)) {
        return QStringLiteral("n/a");
    }
    if (std::isinf(value)) {
        return value > 0 ? QStringLiteral("∞") : locale_.negativeSign() + QStringLiteral("∞");
    }
    if (roundsToScientific(value, digits_)) {
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
    if (!(std::abs(value) >= plainBelow) || !std::isfinite(value)) {
        return formatter.format(value);
    }
    // A field keeps its value exactly: the shortest text that reads back as it.
    return eNotation(value, QLocale::FloatingPointShortest, formatter.locale());
}

}  // namespace velmora
