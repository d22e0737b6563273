#include "tools/file_output.h"

#include <memory>
#include <ostream>
#include <streambuf>

#include <QBuffer>
#include <QFileInfo>
#include <QGuiApplication>

#include "document/atomic_file.h"
#include "document/file_name.h"
#include "engine/calibration/calibration_ranges.h"
#include "engine/decisions/economics.h"
#include "engine/decisions/goal_seek.h"
#include "engine/decisions/sensitivity.h"
#include "engine/decisions/settle_point.h"
#include "engine/projection/calculation.h"
#include "format/number_format.h"
#include "report/report_writer.h"
#include "report/workbook.h"
#include "tools/calibration_answer.h"
#include "tools/flag_values.h"

namespace velmora::cli {

namespace {

/// A stream's bytes written on to a device, in blocks.
class DeviceBuffer final : public std::streambuf {
public:
    explicit DeviceBuffer(QIODevice& device) : device_(device) { setp(block_, block_ + size); }

protected:
    int_type overflow(int_type c) override {
        if (!flush()) {
            return traits_type::eof();
        }
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }
    int sync() override { return flush() ? 0 : -1; }

private:
    bool flush() {
        const qint64 count = pptr() - pbase();
        const bool written = count == 0 || device_.write(pbase(), count) == count;
        setp(block_, block_ + size);
        return written;
    }

    static constexpr std::size_t size = 1 << 16;
    QIODevice& device_;
    char block_[size];
};

/// The projection of a scenario with the scenario it reads from.
struct Projected {
    Projected(const ScenarioValues& values, std::ostream& announce, ProjectionDetail detail)
        : scenario(values),
          projection(std::make_shared<SubscriptionCalculation>(scenario, announce, detail)) {}
    FixedScenario scenario;
    std::shared_ptr<const SubscriptionCalculation> projection;
};

// The workbook and the answers show monthly figures only; the report's chart
// draws the days when they are quick to build, and the first days otherwise.
ProjectionDetail detailNeeded(const Options& options, const ScenarioValues& values) {
    if (options.fileFormat != FileFormat::Pdf || options.question != Question::Projection) {
        return ProjectionDetail::Months;
    }
    const auto size = projectionSize(values);
    return size && quickDays(*size) ? ProjectionDetail::Days : ProjectionDetail::Months;
}

QString pageName(Page page) {
    switch (page) {
        case Page::Baseline:
            return QStringLiteral("Baseline");
        case Page::Alternate1:
            return QStringLiteral("Alternate 1");
        case Page::Alternate2:
            return QStringLiteral("Alternate 2");
        case Page::Basic:
            break;
    }
    return report::pageTitle(report::ReportKind::Basic);
}

report::InsightAnswers answers(const Options& options, const ScenarioValues& values,
                               const SubscriptionCalculation& projection) {
    report::InsightAnswers found;
    switch (options.question) {
        case Question::Settle: {
            std::vector<double> actives;
            for (const SubscriptionSnapshot& month : projection.monthlySnapshots) {
                actives.push_back(month.active);
            }
            found.settle = settlePoint(values, actives);
            break;
        }
        case Question::Goal:
            found.goal = report::GoalAnswer{options.goal, seekGoal(values, options.goal)};
            break;
        case Question::Sensitivity:
            found.sensitivity = sensitivity(values, options.sensitivityMetric);
            break;
        case Question::Economics: {
            std::vector<double> actives;
            for (const SubscriptionSnapshot& month : projection.monthlySnapshots) {
                actives.push_back(month.active);
            }
            found.economics = economics(values, actives);
            found.costPerTrial = values.costPerTrial;
            break;
        }
        case Question::Projection:
        case Question::Calibrate:
        case Question::Simulate:
            break;
    }
    return found;
}

/// The table of `--calibrate` with what is fitted to it and the fitted
/// values' ranges, as the Calibration page shows them; or why there is none.
std::variant<report::CalibrationFigures, QString> calibrationFigures(const Options& options,
                                                                     const ScenarioValues& values) {
    const auto read = readCalibrationTable(options);
    if (const auto* problem = std::get_if<DocumentProblem>(&read)) {
        return problem->message;
    }
    report::CalibrationFigures figures;
    auto table = std::make_shared<const CohortTable>(std::get<CohortTable>(read));
    const CalibrationSettings settings = calibrationSettings(options, values);
    auto fitted = calibrate(*table, settings);
    if (const auto* refused = std::get_if<std::string>(&fitted)) {
        return QString::fromStdString(*refused);
    }
    figures.fitted = std::get<Calibration>(std::move(fitted));
    // The window's draws, so that its report and this one agree.
    figures.ranges = calibrationRanges(*table, settings, 1, 200);
    figures.source = report::cohortTableSummary(
        *table, QFileInfo(fileNameFromBytes(*options.calibrateFile)).fileName());
    figures.table = std::move(table);
    return figures;
}

QString writeFileFormat(const Options& options, const ResolvedScenario& resolved,
                        std::ostream& announce, QIODevice& file) {
    const Projected projected(resolved.values, announce, detailNeeded(options, resolved.values));
    report::Report made;
    made.documentName = options.scenarioFile
                            ? QFileInfo(fileNameFromBytes(*options.scenarioFile)).fileName()
                            : QStringLiteral("Untitled");
    made.date = QDate::currentDate();
    made.scenarios.push_back(
        {pageName(options.page), QColor(0x00, 0x7A, 0xFF), resolved.values, projected.projection});
    if (options.question == Question::Calibrate) {
        made.kind = report::ReportKind::Calibration;
        auto figures = calibrationFigures(options, resolved.values);
        if (const auto* problem = std::get_if<QString>(&figures)) {
            return *problem;
        }
        made.calibration = std::get<report::CalibrationFigures>(std::move(figures));
    } else if (options.question != Question::Projection) {
        made.kind = report::ReportKind::Insights;
        made.answers = answers(options, resolved.values, *projected.projection);
    } else {
        made.cohorts =
            options.page == Page::Basic && resolved.document.chartType == ChartType::Cohorts;
    }
    const QLocale locale = figureLocale();
    if (options.fileFormat == FileFormat::Xlsx) {
        return report::writeWorkbook(made, file, locale);
    }
    // The report measures and embeds fonts, which takes a GUI application;
    // the offscreen platform needs no display.
    std::unique_ptr<QGuiApplication> application;
    int argc = 3;
    char name[] = "velmora-project";
    char platform[] = "-platform";
    char offscreen[] = "offscreen";
    char* argv[] = {name, platform, offscreen, nullptr};
    if (QCoreApplication::instance() == nullptr) {
        application = std::make_unique<QGuiApplication>(argc, argv);
    } else if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return QStringLiteral("a report needs fonts, which this program cannot load");
    }
    return report::writeReportPdf(made, file, locale);
}

std::string cannotWrite(const Options& options, const QString& reason) {
    return "--output: " + escaped(options.outputFile.value(), false) +
           ": cannot be written: " + reason.toStdString();
}

}  // namespace

std::optional<std::string> outputClash(const Options& options) {
    if (!options.outputFile || *options.outputFile == standardOutput) {
        return std::nullopt;
    }
    const QString output = fileNameFromBytes(*options.outputFile);
    for (const auto& [file, flag] :
         {std::pair{&options.scenarioFile, "--scenario"}, std::pair{&options.saveFile, "--save"}}) {
        if (*file && sameFile(output, fileNameFromBytes(**file))) {
            return "--output: the same file as " + std::string(flag);
        }
    }
    return std::nullopt;
}

std::optional<std::string> outputRefused(const Options& options) {
    if (!options.outputFile || *options.outputFile == standardOutput) {
        return std::nullopt;
    }
    if (const auto reason = notReplaceable(fileNameFromBytes(*options.outputFile))) {
        return cannotWrite(options, *reason);
    }
    return std::nullopt;
}

std::optional<std::string> writeOutputFile(const Options& options, const ResolvedScenario& resolved,
                                           std::ostream& out, std::ostream& announce,
                                           const std::function<void(std::ostream&)>& writeText) {
    // Why the output could not be written to `device`, or nothing.
    const auto fill = [&](QIODevice& device) -> QString {
        if (options.fileFormat) {
            return writeFileFormat(options, resolved, announce, device);
        }
        DeviceBuffer buffer(device);
        std::ostream stream(&buffer);
        writeText(stream);
        return stream.flush() ? QString() : device.errorString();
    };
    if (*options.outputFile == standardOutput) {
        if (!options.fileFormat) {
            writeText(out);
            return std::nullopt;
        }
        QBuffer whole;
        whole.open(QIODevice::WriteOnly);
        if (const QString problem = fill(whole); !problem.isEmpty()) {
            return cannotWrite(options, problem);
        }
        out.write(whole.data().constData(), whole.size());
        return std::nullopt;  // a failed standard output is told by the caller
    }
    // A writer that cannot report a failed write (the PDF's) writes on; the
    // file keeps the first failure, and refuses to replace the target.
    AtomicFile file(fileNameFromBytes(*options.outputFile));
    QString problem = file.open(QIODevice::WriteOnly) ? fill(file) : file.problem();
    if (const auto reason = problem.isEmpty() ? file.commit() : std::nullopt) {
        problem = *reason;
    }
    if (problem.isEmpty()) {
        return std::nullopt;
    }
    return cannotWrite(options, file.problem().isEmpty() ? problem : file.problem());
}

}  // namespace velmora::cli
