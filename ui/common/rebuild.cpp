#include "ui/common/rebuild.h"

#include "inputs/subscription_inputs.h"

namespace velmora {

Rebuild::Rebuild(std::function<void()> rebuild, QObject* parent)
    : QObject(parent), rebuild_(std::move(rebuild)) {}

void Rebuild::watch(SubscriptionInputs* inputs) {
    connect(inputs, &SubscriptionInputs::objectWillChange, this, &Rebuild::request);
}

void Rebuild::request() {
    if (pending_) {
        return;
    }
    pending_ = true;
    QMetaObject::invokeMethod(this, &Rebuild::run, Qt::QueuedConnection);
}

void Rebuild::run() {
    pending_ = false;
    ++count_;
    rebuild_();
}

}  // namespace velmora
