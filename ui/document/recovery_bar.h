#pragma once

#include <vector>

#include <QFrame>

#include "document/recovery_store.h"

class QLabel;
class QPushButton;

namespace velmora {

/// The offer, at the top of a window, to restore the documents a session that
/// ended unexpectedly left unsaved: what was found (each document's file name
/// or "Untitled" and when its copy was written), and the buttons Restore,
/// Discard and Not Now. It asks nothing modally, so a start with nothing to
/// decide never waits; Not Now hides it and leaves the copies for the next
/// start. Hidden until it is given leftovers.
class RecoveryBar final : public QFrame {
    Q_OBJECT

public:
    explicit RecoveryBar(QWidget* parent = nullptr);

    /// Tells of `leftovers` (as `RecoveryStore::leftovers` lists them), or
    /// hides the bar when there are none. Restore is offered while at least
    /// one of them can be read.
    void setLeftovers(const std::vector<RecoveryLeftover>& leftovers);

    [[nodiscard]] QLabel* message() const { return message_; }
    [[nodiscard]] QLabel* details() const { return details_; }
    [[nodiscard]] QPushButton* restoreButton() const { return restore_; }
    [[nodiscard]] QPushButton* discardButton() const { return discard_; }
    [[nodiscard]] QPushButton* laterButton() const { return later_; }

signals:
    /// Restore was pressed: open the readable leftovers.
    void restoreRequested();
    /// Discard was pressed: delete the leftovers.
    void discardRequested();

private:
    QLabel* message_;
    QLabel* details_;
    QPushButton* restore_;
    QPushButton* discard_;
    QPushButton* later_;
};

}  // namespace velmora
