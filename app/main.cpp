#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <QApplication>
#include <QLocale>
#include <QSocketNotifier>

#include "ui/common/number_format.h"
#include "ui/window/velmora_app.h"

namespace {

/// Turns SIGINT and SIGTERM into an orderly end of the application, read from
/// a signalfd on the event loop, so that a terminal's Ctrl+C or a session's end
/// closes every window without asking about unsaved changes. Blocked before Qt
/// starts any thread, so every thread inherits the mask.
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

int main(int argc, char** argv) {
    const int signalFd = blockTerminationSignals();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setApplicationDisplayName(QStringLiteral("Velmora"));
    // Figures follow the user's locale; a system without one reads US English.
    QLocale::setDefault(velmora::figureLocale());

    velmora::VelmoraApp app;
    if (signalFd >= 0) {
        auto* notifier = new QSocketNotifier(signalFd, QSocketNotifier::Read, &application);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, [signalFd, &app] {
            signalfd_siginfo info{};
            while (read(signalFd, &info, sizeof info) == sizeof info) {
            }
            app.terminate();
        });
    }

    // Each document named on the command line opens in a window of its own.
    app.openFiles(QApplication::arguments().mid(1));
    const int status = QApplication::exec();
    if (signalFd >= 0) {
        close(signalFd);
    }
    return status;
}
