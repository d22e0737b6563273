#pragma once

#include <span>

#include <QLabel>
#include <QStringList>

namespace velmora {

/// A label for one figure that never shows it cut without a sign: it asks
/// for the width of its whole text (up to `setWidest`), and given less, it
/// shows the text shortened with "…" and the whole of it as its tooltip.
class ElidedLabel final : public QLabel {
    Q_OBJECT

public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    /// Shows `text`, shortened when it does not fit.
    void setFullText(const QString& text);
    /// The text as given, whether or not it fits.
    [[nodiscard]] const QString& fullText() const { return full_; }
    /// Whether the label shows less than its whole text.
    [[nodiscard]] bool isElided() const { return text() != full_; }
    /// The most width, in pixels, the label asks for; a wider text is shortened.
    void setWidest(int pixels);

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    [[nodiscard]] int horizontalRoom() const;
    void elide();

    QString full_;
    int widest_ = QWIDGETSIZE_MAX;
};

/// The whole texts of the labels shown, in order: what a list of lines says.
[[nodiscard]] QStringList shownTexts(std::span<ElidedLabel* const> lines);

}  // namespace velmora
