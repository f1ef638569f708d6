#include "common/sysinfo/DragInfo.h"
#include <iterator>
#include "common/base/Error.h"

namespace SystemInfo_ns {
namespace {

const wchar_t kSource[] = L"Common\\Tools\\v1.2.0\\SystemInfo\\DragInfo";

const Base_ns::ErrorEntry_st kErrors[] = {
    {1, L"拖曳句柄不能为空。"},
};

const UINT kPathLength = 1024;

} // namespace

DragInfo_cl::DragInfo_cl(HDROP drop)
{
    if (!drop) {
        throw Base_ns::SysError_cl(__LINE__, kSource, L"DragInfo_cl", 1, kErrors, int(std::size(kErrors)), L"");
    }
    // The handle is released whatever happens: the shell leaves that to us.
    struct Finish_st {
        HDROP drop;
        ~Finish_st() { ::DragFinish(drop); }
    } finish{drop};
    const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        wchar_t path[kPathLength] = {};
        const UINT n = ::DragQueryFileW(drop, i, path, kPathLength);
        PushBack(Base_ns::String_cl(path, n));
    }
}

} // namespace SystemInfo_ns
