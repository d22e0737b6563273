#pragma once

#include <optional>

#include <QLocale>
#include <QString>

namespace velmora {

/// The locale figures are written in: the user's, or US English when the
/// system names none (the C and POSIX locales).
[[nodiscard]] QLocale figureLocale(const QLocale& system = QLocale());

/// Writes numbers for people and reads back what they type, in one locale.
///
/// Decimal style groups digits and writes at most the given fraction digits,
/// without trailing zeros ("1.99", "1,000"). Currency style writes exactly the
/// given fraction digits with the locale's symbol ("$3,383", "3.383 €").
/// Negative figures are written as the locale writes them ("-12", "($8,983)",
/// "-8.983 €"); a value that rounds to zero never shows a minus sign. From
/// 1e15 on (counting a figure that rounds up to 1e15), where digits would run
/// far past any cell and a double no longer holds every whole number, figures
/// are written in e-notation to fifteen significant digits, as many as the
/// plain figures below show at most ("5.9e+302", "$1e+15"). Values that are
/// not finite read as "n/a", "∞" and "-∞".
class NumberFormatter {
public:
    enum class Style { Decimal, Currency };

    NumberFormatter(Style style, int maximumFractionDigits, QLocale locale = figureLocale());

    [[nodiscard]] QString format(double value) const;
    /// The finite number `text` spells in this locale, grouping separators
    /// allowed; nothing when it spells none.
    [[nodiscard]] std::optional<double> read(const QString& text) const;

    [[nodiscard]] Style style() const { return style_; }
    [[nodiscard]] int maximumFractionDigits() const { return digits_; }
    [[nodiscard]] const QLocale& locale() const { return locale_; }

private:
    Style style_;
    int digits_;
    QLocale locale_;
};

/// The decimal formatter of the inputs form: at most three fraction digits.
[[nodiscard]] NumberFormatter formFormatter();

/// `value` as a field of the form shows it: in `formatter`'s format, or from
/// 1e15 on in the shortest e-notation that reads back exactly
/// ("5.899999999999999e+302"), so that a field keeps what was typed.
[[nodiscard]] QString formText(const NumberFormatter& formatter, double value);

}  // namespace velmora
