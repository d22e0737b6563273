#pragma once

#include <functional>

#include <QObject>

namespace velmora {

class SubscriptionInputs;

/// Rebuilds a view from the current values after its scenarios announce a
/// change. A scenario announces before it stores, so the rebuild runs on a
/// later turn of the event loop; announcements that come before it runs share
/// one rebuild.
class Rebuild final : public QObject {
    Q_OBJECT

public:
    Rebuild(std::function<void()> rebuild, QObject* parent);

    /// Rebuilds after every announcement of `inputs` (which must outlive this).
    void watch(SubscriptionInputs* inputs);
    /// Asks for one rebuild on a later turn of the event loop.
    void request();
    /// Whether a rebuild is asked for and has not run yet.
    [[nodiscard]] bool isPending() const { return pending_; }
    /// Rebuilds run so far.
    [[nodiscard]] int count() const { return count_; }

private:
    void run();

    std::function<void()> rebuild_;
    bool pending_ = false;
    int count_ = 0;
};

}  // namespace velmora
