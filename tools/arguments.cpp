#include <QCommandLineParser>
#include <QStringList>
#include <algorithm>
#include <map>
#include <ostream>
#include <set>
#include <utility>

#include "tools/cli.h"
#include "tools/flag_values.h"
#include "tools/flags.h"
#include "tools/number_text.h"

namespace velmora::cli {

namespace {

// The command line as Qt's parser reads it. Each byte travels as the character
// of the same number (Latin-1), so file names that are not UTF-8 come back
// byte for byte; every flag's name is ASCII.
QString wide(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string narrow(const QString& text) {
    return text.toLatin1().toStdString();
}

// The flag that `argument` names, as written ("--months" of "--months=3") and
// without its dashes ("months"); both empty when it names none.
std::pair<std::string_view, std::string_view> flagOf(std::string_view argument) {
    const std::size_t dashes = argument.starts_with("--") ? 2 : argument.starts_with('-') ? 1 : 0;
    const std::string_view written = argument.substr(0, argument.find('='));
    return dashes == 0 ? std::pair{"", ""} : std::pair{written, written.substr(dashes)};
}

// A flag as the user wrote it ("--months" or "-months"), found by its name
// without dashes; `--name` when no argument spells it.
std::string spelled(std::span<const std::string_view> arguments, std::string_view name) {
    for (const std::string_view argument : arguments) {
        if (const auto [written, bare] = flagOf(argument); !written.empty() && bare == name) {
            return std::string(written);
        }
    }
    return "--" + std::string(name);
}

// Whether `argument` was given as `-name=value` or `--name=value`.
bool givenAttached(std::span<const std::string_view> arguments, const QString& name,
                   const std::string& value) {
    const std::string attached = narrow(name) + '=' + value;
    return std::ranges::any_of(arguments, [&attached](std::string_view argument) {
        return argument == "-" + attached || argument == "--" + attached;
    });
}

struct CommandLine {
    QCommandLineParser parser;
    QCommandLineOption help{QStringList{"help", "h"}};
    QCommandLineOption version{"version"};

    CommandLine() {
        // `-months` reads as `--months`, not as the switches -m -o -n ...
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.addOption(help);
        parser.addOption(version);
        for (const Flag& flag : allFlags()) {
            parser.addOption({wide(flag.name.substr(2)), {}, wide(flag.metavar)});
        }
    }

    [[nodiscard]] static bool takesValue(std::string_view name) {
        const Flag* flag = findFlag("--" + std::string(name));
        return flag != nullptr && !flag->metavar.empty();
    }

    [[nodiscard]] static bool isSwitch(std::string_view name) {
        const Flag* flag = findFlag("--" + std::string(name));
        return flag != nullptr ? flag->metavar.empty()
                               : name == "help" || name == "h" || name == "version";
    }
};

// What the parser's reading of `arguments` gets wrong, as the one line that
// names the flag, or nothing. A value that begins with "--" given apart from
// its flag is taken for a forgotten value: `--price --months 3`.
std::optional<std::string> malformed(const CommandLine& line, bool parsed,
                                     std::span<const std::string_view> arguments) {
    const QCommandLineParser& parser = line.parser;
    if (const QStringList unknown = parser.unknownOptionNames(); !unknown.isEmpty()) {
        return escaped(spelled(arguments, narrow(unknown.front()))) + ": unknown flag (see --help)";
    }
    for (const QString& name : parser.optionNames()) {
        const QStringList values = parser.values(name);
        if (!CommandLine::takesValue(narrow(name)) || values.isEmpty()) {
            continue;  // a switch, or a value missing at the end
        }
        const std::string value = narrow(values.front());
        if (value.starts_with("--") && !givenAttached(arguments, name, value)) {
            return spelled(arguments, narrow(name)) + ": missing value";
        }
    }
    if (!parsed) {
        // Qt's parser stops at a switch given a value, or a value missing at the end.
        QStringList values;
        for (const QString& name : parser.optionNames()) {
            values += parser.values(name);
        }
        for (const std::string_view argument : arguments) {
            const auto [written, bare] = flagOf(argument);
            if (written.size() < argument.size() && CommandLine::isSwitch(bare) &&
                !values.contains(wide(argument))) {
                return std::string(written) + ": takes no value";
            }
        }
        return escaped(arguments.back()) + ": missing value";
    }
    if (const QStringList positional = parser.positionalArguments(); !positional.isEmpty()) {
        return quoted(narrow(positional.front())) + ": unexpected argument; flags start with --";
    }
    return std::nullopt;
}

}  // namespace

ParseResult parseArguments(std::span<const std::string_view> arguments) {
    CommandLine line;
    QStringList list{QStringLiteral("velmora-project")};
    for (const std::string_view argument : arguments) {
        list += wide(argument);
    }
    const bool parsed = line.parser.parse(list);
    if (auto problem = malformed(line, parsed, arguments)) {
        return UsageError{std::move(*problem)};
    }
    if (line.parser.isSet(line.help)) {
        return HelpRequested{};
    }
    if (line.parser.isSet(line.version)) {
        return VersionRequested{};
    }
    Options options;
    std::set<std::string_view> seen;
    std::map<std::string_view, qsizetype> repeated;  // values read so far of a repeating flag
    const Flag* question = nullptr;
    for (const QString& name : line.parser.optionNames()) {
        const Flag* flag = findFlag("--" + narrow(name));
        if (flag == nullptr) {
            continue;  // --help or --version, given more than once
        }
        // A flag given twice is more likely a slip (--rt1 for --rt2) than intended.
        if (!seen.insert(flag->name).second && !flag->repeats) {
            return UsageError{std::string(flag->name) + ": given more than once"};
        }
        if (flag->asks && question != nullptr) {
            return UsageError{std::string(flag->name) + ": cannot be combined with " +
                              std::string(question->name)};
        }
        question = flag->asks ? flag : question;
        const std::string value = flag->metavar.empty() ? ""
                                  : flag->repeats
                                      ? narrow(line.parser.values(name).at(repeated[flag->name]++))
                                      : narrow(line.parser.value(name));
        if (auto problem = flag->set(value, options)) {
            return UsageError{std::string(flag->name) + ": " + *problem};
        }
        if (flag->copy != nullptr) {
            options.scenarioFlags.push_back(flag->name);
        }
    }
    // The output would replace the document read or saved.
    for (const auto& [file, flag] :
         {std::pair{&options.scenarioFile, "--scenario"}, std::pair{&options.saveFile, "--save"}}) {
        if (options.outputFile && options.outputFile == *file) {
            return UsageError{"--output: the same file as " + std::string(flag)};
        }
    }
    // A spread is written as text, CSV or JSON only.
    if (options.fileFormat && options.question == Question::Simulate) {
        return UsageError{
            "--format: " + std::string(options.fileFormat == FileFormat::Xlsx ? "xlsx" : "pdf") +
            " is not written for --simulate; use table, csv or json"};
    }
    // A workbook or a report is not text for a terminal or a pipe.
    if (options.fileFormat && !options.outputFile) {
        return UsageError{
            "--format: " + std::string(options.fileFormat == FileFormat::Xlsx ? "xlsx" : "pdf") +
            " is not text; it needs --output FILE"};
    }
    for (const Flag& flag : allFlags()) {
        if (seen.contains(flag.name) && !flag.needs.empty() && !seen.contains(flag.needs)) {
            return UsageError{std::string(flag.name) + ": needs " + std::string(flag.needs) + ' ' +
                              std::string(findFlag(flag.needs)->metavar)};
        }
    }
    return options;
}

ScenarioValues withFlags(ScenarioValues base, const Options& options) {
    for (const std::string_view name : options.scenarioFlags) {
        findFlag(name)->copy(options.values, base);
    }
    return base;
}

void writeUsage(std::ostream& out) {
    out << "Usage: velmora-project [--flag value | --flag=value]...\n"
           "\n"
           "Projects the subscribers and proceeds of a free-trial subscription business\n"
           "and prints them to standard output, or answers a question about them.\n"
           "\n"
           "Flags, each at most once but --range and --change (default in brackets):\n";
    for (const Flag& flag : allFlags()) {
        std::string left = "  " + std::string(flag.name);
        if (!flag.metavar.empty()) {
            left += ' ' + std::string(flag.metavar);
        }
        left.resize(std::max<std::size_t>(left.size() + 2, 30), ' ');
        out << left << flag.help;
        out << " [" << flag.defaultText() << "]\n";
    }
    out << "  --help, -h                  print this text\n"
           "  --version                   print the version\n"
           "\n"
           "Rates and shares are fractions: 0.65 means 65 %. Numbers take \".\" as the\n"
           "decimal point whatever the locale; any number up to about 1.8e308 in size is\n"
           "accepted (smaller than 5e-324 reads as 0), and --months -1 or less projects\n"
           "nothing.\n"
           "\n"
           "--later-rates LIST gives the shares staying at renewals 7, 8, ... in turn\n"
           "(0.93,0.94,0.95: at most 1,200 finite numbers, no entry empty); every renewal\n"
           "after the last listed keeps --rest, as the starting subscribers do at every\n"
           "renewal. Every projection and question follows them.\n"
           "\n"
           "A plan changes the scenario over the months: --trials-growth PCT grows the\n"
           "daily trials by PCT percent a month (above -100) up to --growth-until M;\n"
           "--seasonality multiplies each calendar month's trials by its factor (12, each\n"
           "0 or more, January first; needs --start-month, the calendar month of M0);\n"
           "--change NAME@M=VALUE (NAME dailyNewSubs, price, trialRetention or\n"
           "costPerTrial, M 1 or later; repeat it, one per input and month) sets NAME from\n"
           "month M on; --price-changes-apply new charges each subscriber the price of\n"
           "the month they started in. Every output follows the plan.\n"
           "\n"
           "--scenario reads the page of FILE that --page picks (basic, baseline,\n"
           "alternate1 or alternate2); the scenario flags given beside it override its\n"
           "values. --save writes the scenario as the basic page of a new document, or\n"
           "with --scenario the whole document read with its page changed; --save alone\n"
           "prints nothing, with --format or a question it also prints.\n"
           "\n"
           "table: the last month's figures, then one row per month.\n"
           "csv:   month,active,change,proceeds,annualized; one row per month (with\n"
           "       --economics also cumulativeProceeds,spend,cumulativeNet).\n"
           "json:  the inputs, the lifetime value of one trial, and every daily and\n"
           "       monthly snapshot with its cohorts.\n"
           "xlsx:  a workbook: the monthly table (or the answer) and the values, as numbers.\n"
           "pdf:   the report: the values, the summary, the chart and every month (or the\n"
           "       answer), on Letter or A4 after the locale.\n"
           "xlsx and pdf are not text: they need --output FILE, which any format may be\n"
           "written to (- is standard output); the file is replaced only once it is whole,\n"
           "and never when it is a folder, a pipe or a device.\n"
           "\n"
           "Questions, printed in the chosen format instead of the projection:\n"
           "  --settle: the subscribers and monthly proceeds the scenario approaches,\n"
           "    and the first month (from 0) within 10% of them; or why it does not settle.\n"
           "  --economics: with --cost-per-trial, the months a trial takes to pay back,\n"
           "    the 24-month lifetime value to cost, the acquisition spend a month, the\n"
           "    break-even month (cumulative net 0 or more) and the cash needed (minus\n"
           "    the lowest cumulative net) with its month.\n"
           "  --goal METRIC=VALUE --solve-for INPUT: the value of INPUT that brings METRIC\n"
           "    to VALUE, or the nearest when none in its range does (0 to 1 for shares).\n"
           "  --sensitivity METRIC: the change of METRIC with each input at 90% and at\n"
           "    110% of its value, a share's churn (1 - share) at 90% and 110% of the\n"
           "    churn (never past 0 or 1), largest effect first; the later rates, if any,\n"
           "    move together, each on its own churn, as one input: laterRates.\n"
           "  METRIC: "
        << metricList()
        << "\n"
           "    (the last month's figures; lifetimeValue is one trial's over 24 months;\n"
           "    paybackMonths and breakEvenMonth as goals mean within and by VALUE; the\n"
           "    last four need --cost-per-trial, unless --solve-for costPerTrial).\n"
           "  INPUT: dailyNewSubs, price, trialRetention, rt1 to rt6, rtPlus (--rest),\n"
           "    startingSubs, costPerTrial.\n"
           "\n"
           "--simulate N projects N scenarios drawn from the ranges given by --range\n"
           "NAME=LOW:HIGH (NAME an INPUT above but costPerTrial; repeat --range for each\n"
           "input; the input's own value, which must lie in its range, is the most likely:\n"
           "a triangular distribution) and from the ranges the --scenario page holds (a\n"
           "--range replaces the page's range of its input, in what --save writes too; a\n"
           "page's range is widened to take in a value outside it), with a generator\n"
           "seeded by --seed S, the same figures for the same seed on every machine. It\n"
           "prints the 10th, 50th and 90th\n"
           "percentiles of every month's active subscribers and proceeds (csv:\n"
           "month,activeP10,...,monthlyProceedsP90; one row per month) and, in the table\n"
           "and the JSON, of the last month's figures, the lifetime value, the subscribers\n"
           "where it settles and, with --cost-per-trial, the break-even month (\"inf\" in the\n"
           "JSON, \"none\" in the table, for draws that do not break even within the months)\n"
           "and the cash needed. N is at most 100,000; the months and the later rates take\n"
           "no range.\n"
           "\n"
           "--calibrate TABLE fits rt1 to rt6, rtPlus (and trialRetention, dailyNewSubs\n"
           "with the columns trials and days) to a cohort table: CSV or tab-separated, a\n"
           "header row (the label, then 0, 1, 2, ... renewals), one row per cohort with\n"
           "the subscribers paying at each renewal. It prints the fitted values, the fit\n"
           "error and a backtest's error (the last --holdout renewals hidden), for the\n"
           "projection and the shifted-beta-geometric model; --save writes them with the\n"
           "table. After the 6th renewal it fits two choices: a curve (later rates for\n"
           "renewals 7 to the horizon - 1: the table's pooled rates while enough\n"
           "subscribers are at risk, then the model's; rtPlus the model's at the horizon)\n"
           "and one constant rtPlus. It backtests both and recommends the one with the\n"
           "smaller error (the curve without a backtest); the fitted values and --save are\n"
           "the recommended one's, both are printed beside them (\"choices\" in the JSON).\n"
           "One renewal's rate cannot tell the later ones: a table of one renewal fits\n"
           "rt1 and keeps the scenario's rt2 to rt6, rtPlus and later rates. xlsx and pdf\n"
           "write the Calibration tab's workbook and report, with the fitted values'\n"
           "ranges.\n"
           "\n"
           "The table and the CSV build monthly figures only, a few hundred bytes a month,\n"
           "and may take at most "
        << scientificText(maxCohortMonths)
        << " cohort-months of work: about 36,500 months of 30\n"
           "days, 10,400 of 365 days. The JSON may hold at most "
        << byteText(maxProjectionBytes) << ", write at most " << byteText(maxProjectionBytes)
        << "\nand take at most " << scientificText(maxCohortDays)
        << " cohort-days of work; 600 months of 30 days with 5,000\n"
           "starting subscribers take about 50 MiB and write about 530 MiB. The questions,\n"
           "the workbook and the report build monthly figures too, within the table's\n"
           "limit; --simulate N may take at most "
        << scientificText(maxDrawMonths)
        << " draw-months (N times the months).\n"
           "\n"
           "Examples:\n"
           "  velmora-project --months 24 --daily-trials 250 --format csv\n"
           "  velmora-project --price 4.99 --save plan.velmora\n"
           "  velmora-project --scenario plan.velmora --page alternate1 --rt1 0.7\n"
           "  velmora-project --settle --format json\n"
           "  velmora-project --goal monthlyProceeds=50000 --solve-for dailyNewSubs\n"
           "  velmora-project --sensitivity subscribers --format csv\n"
           "  velmora-project --calibrate cohorts.csv --format json\n"
           "  velmora-project --cost-per-trial 2 --economics --format json\n"
           "  velmora-project --cost-per-trial 2 --goal breakEvenMonth=6 --solve-for price\n"
           "  velmora-project --simulate 2000 --range rt1=0.6:0.7 --format json\n"
           "\n"
           "Exit status: 0 on success; 2 on bad input, a document that cannot be read or\n"
           "a scenario a document cannot hold (one line on standard error, nothing on\n"
           "standard output); 1 when the output or the --save file cannot be written.\n";
}

}  // namespace velmora::cli
