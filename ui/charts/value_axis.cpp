#include "ui/charts/value_axis.h"

#include <qcustomplot.h>

namespace velmora {

namespace {

// Beyond these, the chart library refuses ranges near them.
constexpr double drawnAtMost = 1e200;
constexpr double drawnAtLeast = 1e-200;
// Grouped digits up to "999,999,999,999"; larger figures go to e-notation.
constexpr double groupedBelow = 1e12;
constexpr int mostFractionDigits = 6;

/// `number` (a figure's text without sign) as the locale writes money:
/// "$1e+15", "1e+15 €".
QString asMoney(const QString& number, bool negative, const QLocale& locale) {
    QString pattern = locale.toCurrencyString(negative ? -1.0 : 1.0, locale.currencySymbol(), 0);
    return pattern.replace(locale.toString(1), number);
}

/// The fewest digits after the point that write `figure` in e-notation to
/// within `tolerance`.
int exactDigits(double figure, double tolerance) {
    for (int digits = 0; digits < mostFractionDigits; ++digits) {
        if (std::abs(QString::number(figure, 'e', digits).toDouble() - figure) <= tolerance) {
            return digits;
        }
    }
    return mostFractionDigits;
}

QVector<QString> groupedLabels(const QVector<double>& figures, NumberFormatter::Style style,
                               double step, const QLocale& locale) {
    // Enough digits to tell neighbouring ticks apart, none for whole steps.
    int digits = 0;
    if (step > 0 && step < 1) {
        digits =
            std::min(mostFractionDigits, static_cast<int>(std::ceil(-std::log10(step) - 1e-9)));
    }
    // Money reads in whole cents or not at all.
    if (style == NumberFormatter::Style::Currency && digits > 0) {
        digits = std::max(digits, 2);
    }
    const NumberFormatter formatter(style, digits, locale);
    QVector<QString> labels;
    labels.reserve(figures.size());
    for (const double figure : figures) {
        labels.append(formatter.format(figure));
    }
    return labels;
}

/// Automatic ticks labelled as the table writes figures rather than in Qt's
/// "C" locale, at the figures the axis's drawn values stand for.
class FormattedTicker final : public QCPAxisTicker {
public:
    explicit FormattedTicker(NumberFormatter::Style style) : style_(style) {}

    void setScale(const ValueScale& scale) { scale_ = scale; }

protected:
    QVector<QString> createLabelVector(const QVector<double>& ticks, const QLocale&, QChar,
                                       int) override {
        QVector<double> figures;
        figures.reserve(ticks.size());
        for (const double tick : ticks) {
            figures.append(scale_.toFigure(tick));
        }
        return axisLabels(figures, style_);
    }

private:
    NumberFormatter::Style style_;
    ValueScale scale_;
};

}  // namespace

ValueScale::ValueScale(int exponent) : exponent_(exponent) {
    const int half = exponent / 2;
    down_[0] = std::pow(10.0, -half);
    down_[1] = std::pow(10.0, half - exponent);
    up_[0] = std::pow(10.0, half);
    up_[1] = std::pow(10.0, exponent - half);
}

ValueScale ValueScale::forLargest(double largest) {
    if (!std::isfinite(largest) ||
        (largest <= drawnAtMost && !(largest > 0 && largest < drawnAtLeast))) {
        return {};
    }
    return ValueScale(static_cast<int>(std::floor(std::log10(largest))));
}

void toDrawn(QVector<double>& values, const ValueScale& scale) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (double& value : values) {
        value = std::isfinite(value) ? scale.toDrawn(value) : nan;
    }
}

QVector<QString> axisLabels(const QVector<double>& figures, NumberFormatter::Style style,
                            const QLocale& locale) {
    FiniteSpan span;
    for (const double figure : figures) {
        span.add(figure);
    }
    const double largest = span.largest();
    const double step = figures.size() > 1 ? std::abs(figures[1] - figures[0]) : 0;
    const double smallest = std::pow(10.0, -mostFractionDigits);
    if (largest < groupedBelow && !(largest > 0 && largest < smallest) &&
        !(step > 0 && step < smallest)) {
        return groupedLabels(figures, style, step, locale);
    }
    const NumberFormatter plain(style, 0, locale);
    QVector<QString> labels;
    labels.reserve(figures.size());
    for (const double figure : figures) {
        if (figure == 0 || !std::isfinite(figure)) {
            labels.append(plain.format(figure));
            continue;
        }
        const double tolerance = (step > 0 ? step : std::abs(figure)) * 1e-6;
        // "e" as programs write it: most locales have "E", which reads like a digit.
        const QString number =
            locale.toString(std::abs(figure), 'e', exactDigits(std::abs(figure), tolerance))
                .replace(locale.exponential(), QStringLiteral("e"));
        labels.append(style == NumberFormatter::Style::Currency
                          ? asMoney(number, figure < 0, locale)
                          : (figure < 0 ? locale.negativeSign() + number : number));
    }
    return labels;
}

void setValueLabels(QCPAxis* axis, NumberFormatter::Style style) {
    axis->setTicker(QSharedPointer<FormattedTicker>::create(style));
}

void fitValueAxis(QCPAxis* axis, const FiniteSpan& span, const ValueScale& scale) {
    if (const auto ticker = axis->ticker().dynamicCast<FormattedTicker>()) {
        ticker->setScale(scale);
    }
    // Labels without figures would only repeat a range that means nothing.
    axis->setTickLabels(!span.empty());
    if (span.empty()) {
        axis->setRange(0, 1);
        return;
    }
    const double bottom = std::min(scale.toDrawn(span.low), 0.0);
    const double top = std::max(scale.toDrawn(span.high), 0.0);
    const double size = top - bottom;
    const double margin = size > 0 ? size * 0.05 : 1.0;
    axis->setRange(bottom < 0 ? bottom - margin : 0.0, top + margin);
}

QCPItemText* addNothingDrawnNote(QCustomPlot* plot) {
    auto* note = new QCPItemText(plot);
    note->position->setType(QCPItemPosition::ptAxisRectRatio);
    note->position->setCoords(0.5, 0.5);
    note->setPositionAlignment(Qt::AlignCenter);
    note->setText(QStringLiteral("Nothing to draw: every figure is infinite or not a number"));
    note->setVisible(false);
    return note;
}

}  // namespace velmora
