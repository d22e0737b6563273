#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <QApplication>
#include <QCommandLineParser>
#include <QLocale>
#include <QSocketNotifier>

#include "ui/common/number_format.h"
#include "ui/window/application_identity.h"
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

/// Whether the arguments ask only for text (help or version), which needs no
/// display: a terminal without one still gets its answer.
bool asksOnlyForText(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        for (const char* option : {"-h", "--help", "-?", "--help-all", "-v", "--version"}) {
            if (std::strcmp(argv[i], option) == 0) {
                return true;
            }
        }
    }
    return false;
}

/// The documents named on the command line. `--help` and `--version` are
/// answered and bad options refused here, and the process exits.
QStringList parseCommandLine(const QApplication& application) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QApplication::translate("main",
                                "Projects the subscribers and proceeds of a "
                                "subscription business whose customers start "
                                "with a free trial."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QApplication::translate("main", "Documents to open."),
                                 QStringLiteral("[file...]"));
    // Qt's process() would refuse an unknown option with status 1; a bad option
    // is bad input, status 2, as for velmora-project.
    if (!parser.parse(application.arguments())) {
        std::fprintf(stderr, "velmora: %s\n", qPrintable(parser.errorText()));
        std::exit(2);
    }
    // Answers --help, --help-all and --version the Qt way, and exits there.
    parser.process(application);
    return parser.positionalArguments();
}

}  // namespace

int main(int argc, char** argv) {
    const int signalFd = blockTerminationSignals();
    if (asksOnlyForText(argc, argv) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    velmora::setApplicationIdentity();
    const QStringList documents = parseCommandLine(application);
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
    app.openFiles(documents);
    const int status = QApplication::exec();
    if (signalFd >= 0) {
        close(signalFd);
    }
    return status;
}
