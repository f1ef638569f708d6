#pragma once
// A file the user names for the program to write (an exported build order, a
// JUnit report) is checked before anything is built or written: it must be
// a file that can be written, and none of the files the program keeps or
// reads. A report written over the data file would cost every plan at the
// next start; one over a project file, the project. Files are compared by
// what the file system says they are, however the path is spelt.
#include "common/base/String.h"

namespace Quorvane_ns {

class Stores_cl;

// Raises a user error (class "WriteTarget") when path names a folder (104),
// lies in a folder that does not exist (103), is a read-only file (105), is
// the data file, the rename record or Error.log (101), is a solution or
// project file of a plan or of the learned order or a property sheet one of
// its projects reads (102), or is one of the program's own files: its
// programs and settings library, a build log, the clean's log, the build
// report (106). Each is the same file under any spelling, a link to it
// included. path is a full path.
void CheckWriteTarget(const Stores_cl& stores, const Base_ns::String_cl& path);

} // namespace Quorvane_ns
