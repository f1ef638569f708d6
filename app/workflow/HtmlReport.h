#pragma once
// The page a person reads after a build job: the plan, the configuration,
// when it ran, the counters line of the project page, the failures (root
// failures with their knock-on failures under them), a timeline with one bar
// per build on its lane (builds that ran side by side show side by side),
// and every row with its state, time, first error and log. One file with
// its style and its picture inside: no script, no font, nothing fetched.
#include "common/base/String.h"
#include "app/workflow/RunRecord.h"

namespace Quorvane_ns {

using Base_ns::String_cl;

// LogRoot + "报告.html": beside the log folders, which it links relatively.
String_cl HtmlReportPath();

// folder: where the page will lie, for the links to the logs.
String_cl HtmlReportText(const RunRecord_st& record, const String_cl& folder);
// Writes the page to HtmlReportPath (UTF-8); the errors of WriteReportFile.
void WriteHtmlReport(const RunRecord_st& record);

} // namespace Quorvane_ns
