#pragma once

#include <QWidget>

class QLabel;

namespace velmora {

/// One figure in large type followed by its caption, as the table's summary
/// shows its figures: "19,530 subscribers when settled". Read out as one phrase.
class FigureLine final : public QWidget {
    Q_OBJECT

public:
    explicit FigureLine(QWidget* parent);

    void setFigure(const QString& figure, const QString& caption);
    /// "figure caption", as shown.
    [[nodiscard]] QString text() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyFonts();

    QLabel* figure_;
    QLabel* caption_;
};

}  // namespace velmora
