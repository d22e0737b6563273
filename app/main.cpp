#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <QApplication>
#include <QCommandLineParser>
#include <QLocale>

#include "document/file_name.h"
#include "format/number_format.h"
#include "ui/window/application_identity.h"
#include "ui/window/termination_signals.h"
#include "ui/window/velmora_app.h"

namespace {

/// Whether a display (or a platform that needs none) is named, in the
/// environment or by Qt's own -platform option.
bool displayNamed(int argc, char** argv) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        if (!qEnvironmentVariableIsEmpty(name)) {
            return true;
        }
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0) {
            return true;
        }
    }
    return false;
}

/// The documents named on the command line, which Qt has rid of its own
/// options. `--help` and `--version` are answered and bad options refused
/// here, and the process exits. Names keep every byte, UTF-8 or not.
QStringList parseCommandLine(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << velmora::fileNameFromBytes(argv[i]);
    }
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
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "velmora: %s\n", qPrintable(parser.errorText()));
        std::exit(2);
    }
    // Answers --help, --help-all and --version the Qt way, and exits there.
    parser.process(arguments);
    return parser.positionalArguments();
}

}  // namespace

int main(int argc, char** argv) {
    // Past a file-size limit a save or an export fails and says why, leaving
    // the earlier file as it was, instead of the signal ending the window with
    // every unsaved document.
    std::signal(SIGXFSZ, SIG_IGN);
    const velmora::TerminationSignals termination;
    // Without a display the command line is still read, on Qt's offscreen
    // platform: help, version and bad options are answered, and a window is
    // refused in words rather than by Qt aborting.
    const bool withoutDisplay = !displayNamed(argc, argv);
    if (withoutDisplay) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    velmora::setApplicationIdentity();
    const QStringList documents = parseCommandLine(argc, argv);
    if (withoutDisplay) {
        std::fprintf(stderr,
                     "velmora: no display to open a window on (neither DISPLAY nor "
                     "WAYLAND_DISPLAY is set); QT_QPA_PLATFORM=offscreen runs without one\n");
        return 1;
    }
    // Figures follow the user's locale; a system without one reads US English.
    QLocale::setDefault(velmora::figureLocale());

    velmora::VelmoraApp app;
    termination.deliverTo(app);

    // Each document named on the command line opens in a window of its own,
    // and unsaved documents an earlier session left are offered.
    app.openFiles(documents);
    return QApplication::exec();
}
