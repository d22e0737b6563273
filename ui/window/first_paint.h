#pragma once

#include <QObject>

class QWidget;

namespace velmora {

/// Notices the first time a window has been painted.
class FirstPaint final : public QObject {
    Q_OBJECT

public:
    /// Watches `window`, which must outlive this.
    explicit FirstPaint(QWidget* window);

    [[nodiscard]] bool painted() const { return painted_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool painted_ = false;
};

/// Milliseconds since this process was started by the system (not since main),
/// so that loading the libraries counts too.
[[nodiscard]] double millisecondsSinceProcessStart();

}  // namespace velmora
