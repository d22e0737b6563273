#include "format/signed_figure.h"

#include <cmath>

namespace velmora {

QString signedFigure(const NumberFormatter& formatter, double change) {
    if (std::isnan(change)) {
        return formatter.format(change);
    }
    const QString magnitude = formatter.format(std::abs(change));
    // A minus before the whole figure, "-$8,983", where the locale's currency
    // style would write "($8,983)"; a change that rounds away has none.
    if (change < 0 && magnitude != formatter.format(0)) {
        return formatter.locale().negativeSign() + magnitude;
    }
    return QStringLiteral("+") + magnitude;
}

QString signedPercent(double change, double base, const QLocale& locale) {
    if (base == 0 || !std::isfinite(base) || !std::isfinite(change)) {
        return {};
    }
    // Rounded first, so that a share that shows as zero carries no minus sign.
    const double percent = std::round(change / std::abs(base) * 1000) / 10;
    const QString number = locale.toString(percent == 0 ? 0.0 : percent, 'f', 1);
    return (percent >= 0 ? QStringLiteral("+") : QString()) + number + locale.percent();
}

}  // namespace velmora
