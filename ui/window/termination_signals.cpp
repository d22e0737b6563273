#include "ui/window/termination_signals.h"

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <QSocketNotifier>

#include "ui/window/velmora_app.h"

namespace velmora {

namespace {

int blockTerminationSignals() {
    sigset_t blocked;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGINT);
    sigaddset(&blocked, SIGTERM);
    if (pthread_sigmask(SIG_BLOCK, &blocked, nullptr) != 0) {
        return -1;
    }
    return signalfd(-1, &blocked, SFD_CLOEXEC | SFD_NONBLOCK);
}

}  // namespace

TerminationSignals::TerminationSignals() : fd_(blockTerminationSignals()) {}

TerminationSignals::~TerminationSignals() {
    if (fd_ >= 0) {
        close(fd_);
    }
}

void TerminationSignals::deliverTo(VelmoraApp& app) const {
    if (fd_ < 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(fd_, QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [fd = fd_, &app] {
        signalfd_siginfo info{};
        while (read(fd, &info, sizeof info) == sizeof info) {
        }
        app.terminate();
    });
}

}  // namespace velmora
