// A window of another running instance, for the recovery store's tests: takes
// a recovery copy in FOLDER and, when SOURCE is given, writes the document of
// SOURCE into it. Prints "ready" once done, then holds the copy until killed.
#include <iostream>
#include <variant>

#include <QCoreApplication>

#include "document/recovery_store.h"

int main(int argc, char** argv) {
    using namespace velmora;
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2) {
        std::cerr << "usage: recovery_owner FOLDER [SOURCE]\n";
        return 2;
    }
    RecoveryStore store(arguments[1]);
    auto created = store.create();
    if (auto* problem = std::get_if<DocumentProblem>(&created)) {
        std::cerr << problem->message.toStdString() << '\n';
        return 1;
    }
    if (arguments.size() > 2) {
        auto document = readDocumentFile(arguments[2]);
        std::optional<DocumentProblem> problem;
        if (const auto* read = std::get_if<ScenarioDocument>(&document)) {
            problem = std::get<std::unique_ptr<RecoveryCopy>>(created)->write(*read, arguments[2]);
        } else {
            problem = std::get<DocumentProblem>(document);
        }
        if (problem) {
            std::cerr << problem->message.toStdString() << '\n';
            return 1;
        }
    }
    std::cout << "ready" << std::endl;
    std::cin.get();
    return 0;
}
