// The form's number reading on any text, in US English, German and French:
// nothing crashes, and a field's text and a figure shown read back as shown.
#include <cmath>
#include <cstdlib>

#include "format/number_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using velmora::NumberFormatter;
    static const QLocale locales[] = {QLocale(QLocale::English, QLocale::UnitedStates),
                                      QLocale(QLocale::German, QLocale::Germany),
                                      QLocale(QLocale::French, QLocale::France)};
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const QLocale& locale : locales) {
        for (const int digits : {0, 3}) {
            const NumberFormatter form(NumberFormatter::Style::Decimal, digits, locale);
            const NumberFormatter money(NumberFormatter::Style::Currency, digits, locale);
            const std::optional<double> value = form.read(text);
            if (!value) {
                continue;
            }
            // A field's text reads back as itself, and from 1e15 on as exactly
            // the value it shows.
            const QString field = velmora::formText(form, *value);
            const std::optional<double> kept = form.read(field);
            if (!kept || velmora::formText(form, *kept) != field ||
                (std::abs(*value) >= 1e15 && *kept != *value) || money.format(*value).isEmpty()) {
                std::abort();
            }
            // A figure shown reads back as itself, unless its rounding passed
            // the largest double (1.79769313486232e+308), which is refused.
            const QString shown = form.format(*value);
            const std::optional<double> again = form.read(shown);
            if (again ? form.format(*again) != shown : std::abs(*value) < 1.7976931348623e308) {
                std::abort();
            }
        }
    }
    return 0;
}
