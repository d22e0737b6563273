#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <QApplication>
#include <QCommandLineParser>
#include <QLocale>

#include "format/number_format.h"
#include "ui/window/application_identity.h"
#include "ui/window/termination_signals.h"
#include "ui/window/velmora_app.h"

namespace {

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
    const velmora::TerminationSignals termination;
    if (asksOnlyForText(argc, argv) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    velmora::setApplicationIdentity();
    const QStringList documents = parseCommandLine(application);
    // Figures follow the user's locale; a system without one reads US English.
    QLocale::setDefault(velmora::figureLocale());

    velmora::VelmoraApp app;
    termination.deliverTo(app);

    // Each document named on the command line opens in a window of its own,
    // and unsaved documents an earlier session left are offered.
    app.openFiles(documents);
    return QApplication::exec();
}
