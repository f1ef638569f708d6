#include "app/ProgramPlaces.h"
#include <windows.h>
#include <mutex>

namespace Quorvane_ns {
namespace {

std::mutex g_moduleMutex;
String_cl g_moduleDirectory;   // guarded by g_moduleMutex; empty until first asked

} // namespace

String_cl ModuleDirectory()
{
    std::lock_guard<std::mutex> lock(g_moduleMutex);
    if (g_moduleDirectory.empty()) g_moduleDirectory = Base_ns::ProgramFolder();
    return g_moduleDirectory;
}

void OverrideModuleDirectory(const String_cl& folder)
{
    String_cl f = folder;
    if (!f.empty() && f.back() != L'\\' && f.back() != L'/') f += L'\\';
    std::lock_guard<std::mutex> lock(g_moduleMutex);
    g_moduleDirectory = f;
}

String_cl DataFilePath() { return ModuleDirectory() + kProductName + L".xml"; }
String_cl LogRoot() { return ModuleDirectory() + L"编译日志\\"; }
String_cl FailedLogDirectory() { return LogRoot() + L"错误\\"; }
String_cl GoodLogDirectory() { return LogRoot() + L"正常\\"; }

} // namespace Quorvane_ns
