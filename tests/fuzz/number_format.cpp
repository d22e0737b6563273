// The form's number reading on any text, in US English, German and French:
// nothing crashes, and a number read, shown and read again comes back as shown.
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
            const QString shown = form.format(*value);
            const std::optional<double> again = form.read(shown);
            if (!again || form.format(*again) != shown || money.format(*value).isEmpty()) {
                std::abort();
            }
        }
    }
    return 0;
}
