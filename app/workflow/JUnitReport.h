#pragma once
// The build as test results in the JUnit XML form that build servers
// publish: one <testsuite> per solution of each plan built, one <testcase>
// per row (a row two solutions share counts in the first), a <failure>
// with the first error line and the log for a failed row, <skipped> for a
// row the job did not get to. Ignored and missing rows are no test cases.
#include <vector>
#include "common/base/String.h"
#include "app/workflow/RunRecord.h"

namespace Quorvane_ns {

using Base_ns::String_cl;

String_cl JUnitText(const std::vector<RunRecord_st>& runs, const String_cl& hostName);
// The text for the runs to path (UTF-8); the file errors of WriteReportFile.
void WriteJUnitReport(const String_cl& path, const std::vector<RunRecord_st>& runs);

} // namespace Quorvane_ns
