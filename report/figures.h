#pragma once

#include <cstdint>

#include <QLocale>
#include <QString>

namespace velmora::report {

/// Figures written as the window writes them, in one locale: whole
/// subscribers and currency units, cents, the form's values, and from 1e15 on
/// in e-notation.
class Figures {
public:
    explicit Figures(QLocale locale);

    /// Whole subscribers: "2,953".
    [[nodiscard]] QString count(double value) const;
    /// Whole currency units: "$4,995".
    [[nodiscard]] QString money(double value) const;
    /// Currency with cents: "$7.49".
    [[nodiscard]] QString cents(double value) const;
    /// A value as the form shows it: "0.65", "1,000", "1e+20".
    [[nodiscard]] QString value(double value) const;
    /// A change, always signed, a loss as the locale writes it: "+1,749", "-46",
    /// "($2,646)".
    [[nodiscard]] QString signedCount(double change) const;
    [[nodiscard]] QString signedMoney(double change) const;
    [[nodiscard]] QString signedCents(double change) const;
    /// `change` as a share of `base`, to one decimal and signed: "+7.9%";
    /// empty when there is no share to give.
    [[nodiscard]] QString percent(double change, double base) const;
    /// "M12".
    [[nodiscard]] static QString month(std::int64_t month);

    [[nodiscard]] const QLocale& locale() const { return locale_; }

private:
    QLocale locale_;
};

}  // namespace velmora::report
