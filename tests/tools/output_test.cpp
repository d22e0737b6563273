#include <sys/stat.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QDir>

#include "tests/support/file_faults.h"
#include "tests/support/files.h"
#include "tests/support/pdf_reader.h"
#include "tests/tools/run_cli.h"

namespace velmora::cli {
namespace {

namespace fs = std::filesystem;
using CliOutput = ToolFolder;

TEST_F(CliOutput, WritesWorkbooksReportsAndTextToTheOutputFileOnly) {
    write("plan.velmora", R"({"format": "velmora", "version": 1, "basic": {"price": 4.99},
                              "chartType": "cohorts"})");
    write("cohorts.csv", "cohort,0,1,2,3\na,1000,600,480,420\nb,800,500,410\nc,900,540\n");
    const auto sheets = [](const std::string& book) {
        return toolOutput(
            "/usr/bin/python3",
            {"-c",
             "import openpyxl, sys\n"
             "for s in openpyxl.load_workbook(sys.argv[1]): print(s.title, s.max_row)",
             QString::fromStdString(book)});
    };
    const auto values = [](const std::string& book) {
        return toolOutput("/usr/bin/python3",
                          {"-c",
                           "import openpyxl, sys\n"
                           "for r in openpyxl.load_workbook(sys.argv[1])['Values'].values: "
                           "print(*r)",
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
        {{"--format", "xlsx", "--months", "3", "--later-rates", "0.97,0.981", "--change",
          "price@2=5", "--output", path("later.xlsx")},
         0,
         "Calculated",
         values,
         {"Retention Rate 7 0.97\n", "Retention Rate 8 0.981\n", "Price from M2 5\n"}},
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
        {{"--format", "pdf", "--cost-per-trial", "2", "--economics", "--output", path("cash.pdf")},
         0,
         "Calculated",
         pdf,
         {"Costs and cash", "A trial pays back in 3 months", "Cash needed $9,847, lowest at M2"}},
        {{"--format", "xlsx", "--cost-per-trial", "2", "--economics", "--output",
          path("cash.xlsx")},
         0,
         "Calculated",
         sheets,
         {"Insights 2"}},
        // The Calibration tab's report and workbook, of the table fitted again.
        {{"--format", "pdf", "--calibrate", path("cohorts.csv"), "--output", path("fit.pdf")},
         0,
         "Calculated",
         pdf,
         {"Calibration", "\ncohorts.csv: 3 cohorts, up to 3 renewals", "10th–90th percentile",
          "Survival of the cohorts"}},
        {{"--format", "xlsx", "--calibrate", path("cohorts.csv"), "--output", path("fit.xlsx")},
         0,
         "Calculated",
         sheets,
         // Rows: the values and the fit, the choices of later rates, a gap, and the
         // curve's heading and its 29 rates (renewals 7 to 35).
         {"Calibration 60", "Cohorts 4", "Values 14"}},
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
    EXPECT_EQ(runTool(csv, {"--output", path("plan.csv")}).status, 0);
    EXPECT_EQ(contents(dir.filePath("plan.csv")).toStdString(), runTool(csv).out);
}

// A target that is not a regular file, the document by another name, or a
// write that fails part way leaves every file as it was, with the reason.
TEST_F(CliOutput, NeverReplacesWhatItMustNot) {
    const std::string doc = write("doc.velmora", R"({"format": "velmora", "version": 1})");
    write("old.pdf", "earlier report");
    write("old.xlsx", "earlier workbook");
    write("old.csv", "earlier table");
    ASSERT_EQ(mkfifo(path("pipe").c_str(), 0600), 0);
    ASSERT_TRUE(QDir().mkdir(dir.filePath("sub")));
    // Never the machine's /dev/null itself: a failing test must not replace it.
    fs::create_symlink("/dev/null", path("null"));
    fs::create_symlink(path("doc.velmora"), path("link.velmora"));
    const auto listing = [this] {
        QStringList files;
        for (const QFileInfo& file : QDir(dir.path())
                                         .entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                        QDir::System | QDir::NoDotAndDotDot)) {
            files << file.fileName() + ' ' + QString::number(file.size()) +
                         (file.isSymLink() ? " link"
                          : file.isFile()  ? ""
                                           : " other");
        }
        return files.join(", ").toStdString();
    };
    const std::string before = listing();
    const QByteArray document = contents(dir.filePath("doc.velmora"));
    const struct {
        Arguments arguments;
        int status;
        std::string err;   ///< what standard error ends with
        rlim_t limit = 0;  ///< the largest file the tool may write, if any
    } cases[] = {
        {{"--output", path("pipe")}, 1, path("pipe") + ": cannot be written: not a regular file"},
        {{"--format", "pdf", "--output", path("null")},
         1,
         path("null") + ": cannot be written: not a regular file"},
        {{"--scenario", doc, "--format", "csv", "--output", path("./doc.velmora")},
         2,
         "--output: the same file as --scenario"},
        {{"--scenario", doc, "--output", path("sub/../doc.velmora")},
         2,
         "--output: the same file as --scenario"},
        {{"--scenario", path("link.velmora"), "--output", doc},
         2,
         "--output: the same file as --scenario"},
        {{"--save", path("new.velmora"), "--output", path("sub/../new.velmora")},
         2,
         "--output: the same file as --save"},
        {{"--format", "xlsx", "--months", "600", "--output", path("old.xlsx")},
         1,
         "File too large (the workbook came out damaged: xl/worksheets/sheet1.xml is not whole)",
         20'000},
        {{"--format", "pdf", "--months", "600", "--output", path("old.pdf")},
         1,
         path("old.pdf") + ": cannot be written: File too large",
         20'000},
        {{"--format", "csv", "--months", "600", "--output", path("old.csv")},
         1,
         path("old.csv") + ": cannot be written: File too large",
         100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.back());
        Ran ran{};
        {
            const std::optional<FullDisk> full =
                c.limit > 0 ? std::optional<FullDisk>(std::in_place, c.limit) : std::nullopt;
            ran = runTool(c.arguments);
        }
        EXPECT_EQ(ran.status, c.status) << ran.err;
        ASSERT_GE(ran.err.size(), c.err.size() + 1) << ran.err;
        EXPECT_EQ(ran.err.substr(ran.err.size() - c.err.size() - 1), c.err + '\n');
        EXPECT_EQ(listing(), before);
        EXPECT_EQ(contents(dir.filePath("doc.velmora")), document);
    }
    EXPECT_EQ(contents(dir.filePath("old.pdf")), "earlier report");
    EXPECT_EQ(contents(dir.filePath("old.xlsx")), "earlier workbook");
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

// "-" is standard output, for text and for a workbook or a report alike.
TEST_F(CliOutput, DashIsStandardOutput) {
    const QString working = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const Ran csv = runTool({"--format", "csv", "--months", "3", "--output", "-"});
    const Ran pdf = runTool({"--format", "pdf", "--months", "3", "--output", "-"});
    QDir::setCurrent(working);
    EXPECT_EQ(csv.status, 0);
    EXPECT_EQ(csv.out, runTool({"--format", "csv", "--months", "3"}).out);
    EXPECT_EQ(pdf.status, 0) << pdf.err;
    EXPECT_EQ(pdf.out.substr(0, 5), "%PDF-");
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

}  // namespace
}  // namespace velmora::cli
