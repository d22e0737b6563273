#include "ui/window/about_dialog.h"

#include <qcustomplot.h>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "packaging/version.h"
#include "ui/window/application_identity.h"

namespace velmora {

namespace {

constexpr int iconSize = 64;
constexpr int textWidthInCharacters = 56;

QLabel* addLabel(QVBoxLayout* layout, const QString& text, const QString& name) {
    auto* label = new QLabel(text);
    label->setObjectName(name);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextBrowserInteraction);
    layout->addWidget(label);
    return label;
}

}  // namespace

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("About Velmora"));
    auto* layout = new QVBoxLayout(this);

    auto* icon = new QLabel;
    icon->setPixmap(applicationIcon().pixmap(iconSize, iconSize));
    icon->setAlignment(Qt::AlignHCenter);
    layout->addWidget(icon);

    QLabel* name = addLabel(layout, tr("Velmora"), QStringLiteral("name"));
    QFont large = name->font();
    large.setPointSizeF(large.pointSizeF() * 1.6);
    large.setBold(true);
    name->setFont(large);
    name->setAlignment(Qt::AlignHCenter);

    const QString version =
        QString::fromUtf8(versionText.data(), static_cast<qsizetype>(versionText.size()));
    addLabel(layout, tr("Version %1").arg(version), QStringLiteral("version"))
        ->setAlignment(Qt::AlignHCenter);
    addLabel(layout,
             tr("Projects the subscribers and proceeds of a subscription business whose "
                "customers start with a free trial."),
             QStringLiteral("description"));
    addLabel(layout,
             tr("Free software under the GNU General Public License, version 3 or any later "
                "version (GPL-3.0-or-later), without any warranty."),
             QStringLiteral("licence"));
    addLabel(layout,
             tr("Libraries: Qt %1, QCustomPlot %2.")
                 .arg(QString::fromLatin1(qVersion()), QStringLiteral(QCUSTOMPLOT_VERSION_STR)),
             QStringLiteral("libraries"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    // Wide enough for the sentences to wrap into a few even lines.
    setMinimumWidth(fontMetrics().averageCharWidth() * textWidthInCharacters);
}

}  // namespace velmora
