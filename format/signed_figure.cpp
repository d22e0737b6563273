#include "format/signed_figure.h"

#include <cmath>

namespace velmora {

QString signedFigure(const NumberFormatter& formatter, double change) {
    const QString magnitude = formatter.format(std::abs(change));
    // One rule for losses everywhere: the locale's, as the table writes them;
    // "n/a" goes without a sign.
    const bool loss = change < 0 && magnitude != formatter.format(0);
    if (loss || std::isnan(change)) {
        return formatter.format(change);
    }
    return QStringLiteral("+") + magnitude;
}

QString signedPercent(double change, double base, const QLocale& locale) {
    if (base == 0 || !std::isfinite(base) || !std::isfinite(change)) {
        return {};
    }
    // Rounded first, so that a share that shows as zero carries no minus sign.
    const double percent = std::round(change / std::abs(base) * 1000) / 10;
    // Past 1e15 in e-notation, as every figure: the digits would run past any
    // line, and are not the double's anyway.
    const QString number =
        std::abs(percent) >= 1e15
            ? NumberFormatter(NumberFormatter::Style::Decimal, 1, locale).format(percent)
            : locale.toString(percent == 0 ? 0.0 : percent, 'f', 1);
    return (percent >= 0 ? QStringLiteral("+") : QString()) + number + locale.percent();
}

}  // namespace velmora
