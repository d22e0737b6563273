#include <QDir>
#include <QFile>

#include "support/file_faults.h"
#include "ui/document/file_commands.h"
#include "ui/form/inputs_view.h"
#include "window_fixture.h"

namespace velmora {
namespace {

using SaveFaults = DocumentWindow;

TEST_F(SaveFaults, AFailedSaveSaysWhyKeepsTheEarlierFileAndTheDocumentModified) {
    struct Row {
        const char* folder;
        const char* saveAs;  // none: saved to the document's own file
        const char* reason;
        std::function<std::shared_ptr<void>(const QString& folder)> fault;
    };
    const Row rows[] = {
        {"read-only", nullptr, "Permission denied",
         [](const QString& folder) {
             QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
             return std::shared_ptr<void>(new AsOwner, [folder](void* owner) {
                 QFile::setPermissions(folder,
                                       QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
                 delete static_cast<AsOwner*>(owner);
             });
         }},
        {"file-is-a-folder", "plan2.velmora", "directory",
         [](const QString& folder) { return QDir(folder).mkdir("plan2.velmora"), nullptr; }},
        {"deleted", nullptr, "No such file or directory",
         [](const QString& folder) { return QDir(folder).removeRecursively(), nullptr; }},
        {"full-disk", nullptr, "File too large",
         [](const QString&) { return std::make_shared<FullDisk>(); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.folder);
        const QString folder = file(row.folder);
        const QString earlier = folder + "/plan.velmora";
        ASSERT_TRUE(QDir().mkpath(folder));
        ASSERT_EQ(saveDocumentFile(earlier, ScenarioDocument{}), std::nullopt);
        MainWindow* edited = app.openWindow();
        edited->session()->load(ScenarioDocument{}, earlier);
        type(edited->content()->single()->form()->field(Field::Price), "3.5");
        dialogs.savePath = row.saveAs ? folder + "/" + row.saveAs : earlier;
        dialogs.warnings.clear();

        const std::shared_ptr<void> fault = row.fault(folder);
        const auto state = [&folder, &earlier] {
            QFile file(earlier);
            return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                   << (file.open(QFile::ReadOnly) ? file.readAll() : "(none)");
        };
        const QStringList before = state();
        EXPECT_FALSE(row.saveAs ? edited->fileCommands()->saveAs()
                                : edited->fileCommands()->save());
        ASSERT_EQ(dialogs.warnings.size(), 1);
        EXPECT_TRUE(dialogs.warnings[0].startsWith(dialogs.savePath + ": cannot be saved: ") &&
                    dialogs.warnings[0].contains(row.reason))
            << dialogs.warnings[0].toStdString();
        EXPECT_EQ(state(), before) << "the earlier file intact, no temporary file left";
        EXPECT_TRUE(edited->isWindowModified());
        EXPECT_EQ(edited->session()->filePath(), earlier);
    }
}

}  // namespace
}  // namespace velmora
