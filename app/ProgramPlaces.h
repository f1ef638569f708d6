#pragma once
// The places beside the program where it keeps its data file and its build
// logs, and the product's name and version. The application names the path
// helpers of the foundation unqualified, so they are brought in here.
#include "common/base/Path.h"

namespace Quorvane_ns {

using Base_ns::String_cl;
using Base_ns::CreateDirectories;
using Base_ns::GetFileDirectory;
using Base_ns::GetFileExtension;
using Base_ns::GetFileName;
using Base_ns::GetFileTitle;
using Base_ns::HasExtension;
using Base_ns::MakeAbsolutePath;
using Base_ns::ReplaceExtension;

inline constexpr const wchar_t kProductName[] = L"Quorvane";
inline constexpr const wchar_t kProductVersion[] = L"0.3.2";

// The program's folder (with its trailing "\") unless overridden.
String_cl ModuleDirectory();
// Points every program place (data file, logs) at another folder; tests and
// the console front end use it. A missing trailing "\" is added; an empty
// text goes back to the program's own folder.
void OverrideModuleDirectory(const String_cl& folder);

String_cl DataFilePath();        // ModuleDirectory + "Quorvane.xml"
String_cl LogRoot();             // ModuleDirectory + "编译日志\"
String_cl FailedLogDirectory();  // LogRoot + "错误\"
String_cl GoodLogDirectory();    // LogRoot + "正常\"

} // namespace Quorvane_ns
