#include "app/engine/MProjectErrors.h"

namespace Quorvane_ns {

const Base_ns::ErrorEntry_st kMProjectSysErrors[] = {
    {1, L"无法正确分析日志文件。"},
    {2, L"从日志文件中取得编译结果失败。"},
};
const int kMProjectSysErrorCount = sizeof kMProjectSysErrors / sizeof kMProjectSysErrors[0];

const Base_ns::ErrorEntry_st kMProjectUserErrors[] = {
    {101, L"没有设置编译模式，无法编译。"},
    {102, L"命令行编译VC工程失败。"},
    {103, L"编译模式中不能包含双引号或换行符。"},
};
const int kMProjectUserErrorCount = sizeof kMProjectUserErrors / sizeof kMProjectUserErrors[0];

Base_ns::SysError_cl MProjectSysError(int code, int line, const String_cl& note, const wchar_t* className)
{
    return Base_ns::SysError_cl(line, kMProjectSource, className ? className : L"", code,
                                kMProjectSysErrors, kMProjectSysErrorCount, note);
}

Base_ns::UserError_cl MProjectUserError(int code, int line, const String_cl& note, const wchar_t* className)
{
    return Base_ns::UserError_cl(line, kMProjectSource, className ? className : L"", code,
                                 kMProjectUserErrors, kMProjectUserErrorCount, note);
}

Base_ns::SysError_cl MProjectSysError(int code, int line, const String_cl& note)
{
    return MProjectSysError(code, line, note, kMProjectClassName);
}

Base_ns::UserError_cl MProjectUserError(int code, int line, const String_cl& note)
{
    return MProjectUserError(code, line, note, kMProjectClassName);
}

} // namespace Quorvane_ns
