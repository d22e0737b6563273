#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QTemporaryDir>

#include "tests/support/files.h"
#include "tests/support/pdf_reader.h"
#include "tests/tools/run_cli.h"

namespace velmora::cli {
namespace {

using Arguments = std::vector<std::string>;

TEST(CliOutput, WritesWorkbooksReportsAndTextToTheOutputFileOnly) {
    QTemporaryDir dir;
    const auto path = [&dir](const char* name) { return dir.filePath(name).toStdString(); };
    ASSERT_TRUE(writeFile(dir.filePath("plan.velmora"),
                          R"({"format": "velmora", "version": 1, "basic": {"price": 4.99},
                              "chartType": "cohorts"})"));
    const auto sheets = [](const std::string& book) {
        return toolOutput(
            "/usr/bin/python3",
            {"-c",
             "import openpyxl, sys\n"
             "for s in openpyxl.load_workbook(sys.argv[1]): print(s.title, s.max_row)",
             QString::fromStdString(book)});
    };
    const auto pdf = [](const std::string& report) {
        return pdfText(QString::fromStdString(report));
    };
    const struct {
        Arguments arguments;
        int status;
        std::string err;  ///< the start of what standard error says last
        QString (*read)(const std::string&) = nullptr;
        QStringList holds{};  ///< in what `read` makes of the file
    } cases[] = {
        {{"--format", "pdf"},
         2,
         "velmora-project: --format: pdf is not text; it needs --output FILE"},
        {{"--format=xlsx", "--save", path("saved.velmora")}, 2, "velmora-project: --format: xlsx"},
        {{"--save", path("saved.velmora"), "--output", path("saved.velmora")},
         2,
         "velmora-project: --output: the same file as --save"},
        {{"--format", "xlsx", "--months", "24", "--output", path("plan.xlsx")},
         0,
         "Calculated",
         sheets,
         {"Basic Analysis 25", "Values 14"}},
        {{"--format", "pdf", "--scenario", path("plan.velmora"), "--output", path("plan.pdf")},
         0,
         "Calculated",
         pdf,
         {"plan.velmora", "$4.99", "Subscribers by cohort", "M35"}},
        // Days too long to build at once: the chart joins the first days instead.
        {{"--format", "pdf", "--scenario", path("plan.velmora"), "--months", "600",
          "--month-duration", "365", "--output", path("long.pdf")},
         0,
         "Calculated",
         pdf,
         {"Active subscribers, on the", "M599"}},
        {{"--format", "pdf", "--goal", "monthlyProceeds=50000", "--solve-for", "dailyNewSubs",
          "--output", path("goal.pdf")},
         0,
         "Calculated",
         pdf,
         {"Untitled", "What it takes", "Reaches the target."}},
        {{"--format", "xlsx", "--sensitivity", "subscribers", "--output", path("moved.xlsx")},
         0,
         "Calculated",
         sheets,
         {"Insights 16"}},
        {{"--format", "pdf", "--output", path("gone/report.pdf")},
         1,
         "velmora-project: --output: " + path("gone/report.pdf") + ": cannot be written: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.front() + " " + c.arguments.back());
        const Ran ran = runTool(c.arguments);
        EXPECT_EQ(ran.status, c.status) << ran.err;
        EXPECT_EQ(ran.out, "");
        const std::string last = ran.err.substr(ran.err.rfind('\n', ran.err.size() - 2) + 1);
        EXPECT_EQ(last.substr(0, c.err.size()), c.err) << ran.err;
        if (c.read != nullptr) {
            const QString read = c.read(c.arguments.back());
            for (const QString& held : c.holds) {
                EXPECT_TRUE(read.contains(held))
                    << held.toStdString() << " in " << read.toStdString();
            }
        }
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("saved.velmora")));

    // Text goes to the file as it would to standard output.
    const Arguments csv{"--format", "csv", "--months", "3"};
    Arguments toFile = csv;
    toFile.insert(toFile.end(), {"--output", path("plan.csv")});
    EXPECT_EQ(runTool(toFile).status, 0);
    EXPECT_EQ(contents(dir.filePath("plan.csv")).toStdString(), runTool(csv).out);
}

}  // namespace
}  // namespace velmora::cli
