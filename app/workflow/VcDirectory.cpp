#include "app/workflow/VcDirectory.h"
#include <windows.h>
#include <iterator>

namespace Quorvane_ns {

using Base_ns::String_cl;

namespace {
const Base_ns::ErrorEntry_st kUserErrors[] = {
    {101, L"没有设置VC安装目录。"},
    {102, L"VC安装目录是错误的。"},
    {104, L"方案不存在。"},
};
} // namespace

Base_ns::UserError_cl MainWindowUserError(int32_t code, int32_t line, const String_cl& note)
{
    return Base_ns::UserError_cl(line, L"QuorvaneDlg", L"CQuorvaneDlg", code, kUserErrors,
                                 static_cast<int>(std::size(kUserErrors)), note);
}

String_cl NormalizeVcDirectory(const String_cl& text)
{
    String_cl dir = text;
    for (wchar_t& c : dir)
        if (c == L'/') c = L'\\';
    if (dir.empty()) throw MainWindowUserError(101, 248, L"");
    if (dir.back() != L'\\') dir += L'\\';
    return dir;
}

void CheckVcDirectory(const String_cl& directory)
{
    String_cl bat = directory + L"VC\\vcvarsall.bat";
    DWORD a = GetFileAttributesW(bat.c_str());
    if (a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_DIRECTORY))
        throw MainWindowUserError(102, 263, L"");
}

} // namespace Quorvane_ns
