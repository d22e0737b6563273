#include "ui/document/recovery_bar.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace velmora {

namespace {

/// "plan.velmora, written 5/12/25 2:03 PM"; the tip names the whole path or
/// the reason a copy cannot be read.
std::pair<QString, QString> describe(const RecoveryLeftover& leftover) {
    const QString written = QLocale().toString(leftover.written, QLocale::ShortFormat);
    if (const auto* problem = std::get_if<DocumentProblem>(&leftover.document)) {
        return {RecoveryBar::tr("A copy that cannot be read, written %1").arg(written),
                problem->message};
    }
    if (leftover.recoveryOf.isEmpty()) {
        return {RecoveryBar::tr("Untitled, written %1").arg(written), RecoveryBar::tr("Untitled")};
    }
    return {
        RecoveryBar::tr("%1, written %2").arg(QFileInfo(leftover.recoveryOf).fileName(), written),
        QDir::toNativeSeparators(leftover.recoveryOf)};
}

QString foundText(std::size_t found, std::size_t damaged) {
    QString text = found == 1 ? RecoveryBar::tr(
                                    "Velmora found a document with unsaved changes "
                                    "from a session that ended unexpectedly.")
                              : RecoveryBar::tr(
                                    "Velmora found %1 documents with unsaved changes "
                                    "from a session that ended unexpectedly.")
                                    .arg(QLocale().toString(static_cast<qulonglong>(found)));
    if (damaged == found) {
        text += QLatin1Char(' ') + (found == 1 ? RecoveryBar::tr("It cannot be read.")
                                               : RecoveryBar::tr("None of them can be read."));
    } else if (damaged > 0) {
        text += QLatin1Char(' ') + RecoveryBar::tr("%1 of them cannot be read.")
                                       .arg(QLocale().toString(static_cast<qulonglong>(damaged)));
    }
    return text;
}

}  // namespace

RecoveryBar::RecoveryBar(QWidget* parent)
    : QFrame(parent),
      message_(new QLabel(this)),
      details_(new QLabel(this)),
      restore_(new QPushButton(tr("&Restore"), this)),
      discard_(new QPushButton(tr("&Discard"), this)),
      later_(new QPushButton(tr("Not Now"), this)) {
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::ToolTipBase);
    setForegroundRole(QPalette::ToolTipText);
    setAccessibleName(tr("Unsaved documents found"));

    auto* icon = new QLabel(this);
    const int iconSize = style()->pixelMetric(QStyle::PM_SmallIconSize);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(iconSize));
    message_->setWordWrap(true);
    details_->setWordWrap(true);
    restore_->setAccessibleDescription(tr("Opens each document in a window of its own"));
    discard_->setAccessibleDescription(tr("Deletes the unsaved changes for good"));
    later_->setAccessibleDescription(tr("Keeps the documents to offer at the next start"));

    auto* text = new QVBoxLayout;
    text->addWidget(message_);
    text->addWidget(details_);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(icon, 0, Qt::AlignTop);
    layout->addLayout(text, 1);
    for (QPushButton* button : {restore_, discard_, later_}) {
        button->setFocusPolicy(Qt::StrongFocus);
        layout->addWidget(button, 0, Qt::AlignVCenter);
    }

    connect(restore_, &QPushButton::clicked, this, &RecoveryBar::restoreRequested);
    connect(discard_, &QPushButton::clicked, this, &RecoveryBar::discardRequested);
    connect(later_, &QPushButton::clicked, this, &QWidget::hide);
    hide();
}

void RecoveryBar::setLeftovers(const std::vector<RecoveryLeftover>& leftovers) {
    QStringList lines;
    QStringList tips;
    std::size_t damaged = 0;
    for (const RecoveryLeftover& leftover : leftovers) {
        const auto [line, tip] = describe(leftover);
        lines << line;
        tips << tip;
        damaged += leftover.readable() ? 0 : 1;
    }
    message_->setText(foundText(leftovers.size(), damaged));
    details_->setText(lines.join(QLatin1Char('\n')));
    details_->setToolTip(tips.join(QLatin1Char('\n')));
    restore_->setEnabled(damaged < leftovers.size());
    setVisible(!leftovers.empty());
}

}  // namespace velmora
