#pragma once
// What the report writers share: text made safe for XML and HTML, links to
// files, and writing a report so that a reader never sees half of it.
// Reports are UTF-8 (what build servers and browsers read without being
// told), not the UTF-16 of the program's own files.
#include "common/base/String.h"

namespace Quorvane_ns {

using Base_ns::String_cl;

// &, <, >, " and ' as entities; characters XML 1.0 does not allow (control
// characters other than tab and line ends, lone surrogates) become "?".
String_cl MarkupText(const String_cl& text);

// MarkupText for an XML attribute's value, with tabs and line ends as
// character references: written as they are, an XML reader hands them back
// as blanks.
String_cl MarkupAttribute(const String_cl& text);

// A link from a file in folder to target: relative with "/" when target lies
// inside folder, else a file:/// address; every byte outside the unreserved
// characters of a URL is percent-encoded (UTF-8).
String_cl FileLink(const String_cl& folder, const String_cl& target);

// Writes text as UTF-8 without a mark to a file beside path, then puts it in
// path's place. Folders on the way are created. Raises the file errors of
// the foundation's output file (IOError_cl) when it cannot.
void WriteReportFile(const String_cl& path, const String_cl& text);

// Whether WriteReportFile could put a report in path's place now: an
// existing file is opened for writing and replacing without being changed,
// a missing one is created and at once deleted again. Raises the same
// error as WriteReportFile when not, so that a build of hours is not run
// for a report that then cannot be written. Folders on the way are created.
void CheckReportFileWritable(const String_cl& path);

} // namespace Quorvane_ns
