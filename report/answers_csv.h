#pragma once

#include <iosfwd>

#include "report/report.h"

namespace velmora::report {

/// The answers of Insights as CSV for spreadsheets, each block a header line
/// and its rows, a blank line between blocks, numbers plain and unlocalised in
/// their shortest exact form, names as `velmora-project` spells them:
///
///     metric,base                                        the figure the inputs move
///     input,valueDown,valueUp,changeDown,changeUp        a row per input, largest effect first
///     goal,target,input,value,reached,achieved,reason    what goal seeking found
///     settles,subscribers,monthlyProceeds,month90,reason where the scenario settles
///     costPerTrial,monthlySpend,paybackMonths,shortfall,lifetimeValueToCost,
///         breakEvenMonth,cashNeeded,cashNeededMonth      the costs and cash
///
/// A block without an answer is left out.
void writeAnswersCsv(const InsightAnswers& answers, std::ostream& out);

}  // namespace velmora::report
