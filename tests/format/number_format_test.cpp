#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "format/number_format.h"
#include "format/signed_figure.h"

namespace velmora {
namespace {

using Style = NumberFormatter::Style;

const QLocale us(QLocale::English, QLocale::UnitedStates);
const QLocale german(QLocale::German, QLocale::Germany);

struct Case {
    Style style;
    int digits;
    QLocale locale;
    double value;
    const char* text;
};

TEST(NumberFormatter, WritesFiguresAsTheLocaleDoes) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {Style::Decimal, 3, us, 1.99, "1.99"},
        {Style::Decimal, 3, us, 0.95, "0.95"},
        {Style::Decimal, 3, us, 100, "100"},
        {Style::Decimal, 3, us, 1000, "1,000"},
        {Style::Decimal, 3, us, 0.12345, "0.123"},
        {Style::Decimal, 3, us, -2.5, "-2.5"},
        {Style::Decimal, 3, german, 1234.5, "1.234,5"},
        {Style::Decimal, 0, us, 2000, "2,000"},
        {Style::Decimal, 0, us, 1999.6, "2,000"},
        {Style::Decimal, 0, us, -0.3, "0"},
        {Style::Decimal, 0, us, -12, "-12"},
        {Style::Currency, 0, us, (2000 * 1.99) * 0.85, "$3,383"},
        {Style::Currency, 0, us, ((2000 * 1.99) * 0.85 / 30) * 365, "$41,160"},
        {Style::Currency, 2, us, 7.49, "$7.49"},
        {Style::Currency, 2, us, 7.5, "$7.50"},
        {Style::Currency, 0, german, 3383, "3.383\u00a0€"},
        // Losses as the locale writes them, in the table and everywhere else.
        {Style::Currency, 0, us, -198885, "($198,885)"},
        {Style::Currency, 0, german, -198885, "-198.885\u00a0€"},
        // From 1e15 on, e-notation to fifteen significant digits.
        {Style::Decimal, 0, us, 999999999999999, "999,999,999,999,999"},
        {Style::Decimal, 0, us, 1e15, "1e+15"},
        // A figure whose rounding reaches 1e15 is written as 1e15 is.
        {Style::Decimal, 0, us, 999999999999999.5, "1e+15"},
        {Style::Decimal, 3, us, 999999999999999.5, "999,999,999,999,999.5"},
        {Style::Currency, 0, us, -999999999999999.5, "($1e+15)"},
        {Style::Currency, 0, german, 999999999999999.5, "1e+15\u00a0€"},
        {Style::Decimal, 0, us, 5.899999999999999e302, "5.9e+302"},
        {Style::Decimal, 0, us, 1.234567890123456e20, "1.23456789012346e+20"},
        {Style::Decimal, 3, german, -2.5e16, "-2,5e+16"},
        {Style::Currency, 0, us, 1.5e15, "$1.5e+15"},
        {Style::Currency, 2, us, -1e300, "($1e+300)"},
        {Style::Currency, 0, german, 1.5e15, "1,5e+15\u00a0€"},
        {Style::Decimal, 0, us, nan, "n/a"},
        {Style::Currency, 2, us, inf, "∞"},
        {Style::Decimal, 0, us, -inf, "-∞"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NumberFormatter(c.style, c.digits, c.locale).format(c.value).toStdString(),
                  c.text)
            << c.value;
    }
}

TEST(NumberFormatter, ReadsWhatPeopleTypeAndNothingElse) {
    const NumberFormatter form(Style::Decimal, 3, us);
    EXPECT_EQ(form.read("1.99"), 1.99);
    EXPECT_EQ(form.read(" 2,500 "), 2500);
    EXPECT_EQ(form.read("-4"), -4);
    EXPECT_EQ(form.read("95"), 95);
    EXPECT_EQ(NumberFormatter(Style::Decimal, 3, german).read("0,95"), 0.95);
    for (const char* unreadable : {"", "abc", "1.2.3", "nan", "inf", "1e999", "$5"}) {
        EXPECT_FALSE(form.read(unreadable).has_value()) << unreadable;
    }
}

TEST(SignedFigure, GainsCarryAPlusLossesTheLocalesRuleAndZeroNoMinus) {
    const struct {
        NumberFormatter formatter;
        double change;
        const char* text;
    } cases[] = {
        {NumberFormatter(Style::Currency, 0, us), 2646, "+$2,646"},
        {NumberFormatter(Style::Currency, 0, us), -8983, "($8,983)"},
        {NumberFormatter(Style::Currency, 0, us), -0.4, "+$0"},
        {NumberFormatter(Style::Currency, 2, us), -0.004, "+$0.00"},
        {NumberFormatter(Style::Currency, 0, german), -8983, "-8.983\u00a0€"},
        {NumberFormatter(Style::Decimal, 0, us), -46796, "-46,796"},
        {NumberFormatter(Style::Decimal, 0, us), -2e15, "-2e+15"},
        {NumberFormatter(Style::Decimal, 0, us), std::numeric_limits<double>::quiet_NaN(), "n/a"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(signedFigure(c.formatter, c.change).toStdString(), c.text) << c.change;
    }
}

TEST(SignedFigure, PercentsOfHugeChangesInENotation) {
    const struct {
        double change;
        double base;
        const char* text;
    } cases[] = {
        {79, 1000, "+7.9%"},
        {-1, 3, "-33.3%"},
        {-0.0001, 3, "+0.0%"},
        {1e12, 1, "+100,000,000,000,000.0%"},
        {1e300, 1e-2, "+1e+304%"},
        {-2.5e16, 1, "-2.5e+18%"},
        {5, 0, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(signedPercent(c.change, c.base, us).toStdString(), c.text) << c.change;
    }
}

TEST(NumberFormatter, FieldsKeepEveryDigitOfHugeValues) {
    const NumberFormatter form(Style::Decimal, 3, german);
    EXPECT_EQ(formText(form, 5.899999999999999e302), "5,899999999999999e+302");
    EXPECT_EQ(formText(form, 1234.5), "1.234,5");
}

TEST(NumberFormatter, ThePosixLocaleWritesAsUsEnglish) {
    EXPECT_EQ(figureLocale(QLocale::c()), us);
    EXPECT_EQ(figureLocale(german), german);
}

}  // namespace
}  // namespace velmora
