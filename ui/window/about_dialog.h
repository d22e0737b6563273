#pragma once

#include <QDialog>

namespace velmora {

/// Help > About Velmora: the icon, the version, what Velmora does, its
/// licence, and the libraries it runs on with their versions.
class AboutDialog final : public QDialog {
    Q_OBJECT

public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace velmora
