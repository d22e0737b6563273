// A session of the real application, for the tests of its recovery copies,
// driven from inside: the application takes no commands from outside. It
// starts as `velmora` does (its windows, recovery copies, timers, and the end
// on SIGTERM), in the folders its environment names.
//
//   velmora_session_child edit [FILE]
//       Opens FILE (none: an untitled window), edits it through the window's
//       undo history as the form does, prints "edited", then "written" once
//       the recovery copy is written, and runs until it is ended.
//   velmora_session_child restore OUT
//       Starts, prints "offered N" for the N documents its recovery bar offers,
//       presses Restore, writes the first window's document to OUT (its file
//       as the recovery path), prints "restored windows=W modified=M
//       adopted=A" and ends.
#include <iostream>

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "inputs/subscription_inputs.h"
#include "ui/common/scenario_editor.h"
#include "ui/document/document_session.h"
#include "ui/document/recovery_bar.h"
#include "ui/document/recovery_writer.h"
#include "ui/pages/content_view.h"
#include "ui/pages/dual_analysis.h"
#include "ui/pages/single_analysis.h"
#include "ui/window/application_identity.h"
#include "ui/window/main_window.h"
#include "ui/window/termination_signals.h"
#include "ui/window/velmora_app.h"

namespace {

using namespace velmora;
using Field = SubscriptionInputs::Field;

int edit(VelmoraApp& app, const QStringList& files) {
    app.openFiles(files);
    MainWindow* window = app.windows().front();
    QObject::connect(window->recoveryWriter(), &RecoveryWriter::updated, window,
                     [] { std::cout << "written" << std::endl; });
    // Values whose text is easy to get wrong.
    ScenarioEditor& editor = *window->session()->editor();
    editor.setValue(*window->content()->single()->inputs(), Field::Price, 0.1 + 0.2);
    editor.setValue(*window->content()->dual()->scenario(1), Field::StartingSubs, -0.0);
    editor.setValue(*window->content()->dual()->scenario(2), Field::Rt3, 5e-324);
    std::cout << "edited" << std::endl;
    QTimer::singleShot(60'000, &app, [] {
        std::cerr << "no recovery copy written\n";
        QApplication::exit(1);
    });
    return QApplication::exec();
}

int restore(VelmoraApp& app, const QString& out) {
    app.openFiles({});
    RecoveryBar* bar = app.windows().front()->recoveryBar();
    const qsizetype offered = bar->isVisible() ? bar->details()->text().count('\n') + 1 : 0;
    std::cout << "offered " << offered << std::endl;
    bar->restoreButton()->click();
    const MainWindow* first = app.windows().front();
    const auto problem = saveDocumentFile(out, first->session()->document(),
                                          DocumentMetadata{first->session()->filePath()});
    std::cout << "restored windows=" << app.windows().size()
              << " modified=" << first->session()->isModified()
              << " adopted=" << QFile::exists(first->recoveryWriter()->copyPath()) << std::endl;
    return problem ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    const TerminationSignals termination;
    QApplication application(argc, argv);
    setApplicationIdentity();
    const QStringList arguments = QApplication::arguments().mid(1);
    VelmoraApp app;
    termination.deliverTo(app);
    if (arguments.value(0) == QLatin1String("edit")) {
        return edit(app, arguments.mid(1));
    }
    if (arguments.size() == 2 && arguments[0] == QLatin1String("restore")) {
        return restore(app, arguments[1]);
    }
    std::cerr << "usage: velmora_session_child edit [FILE] | restore OUT\n";
    return 2;
}
