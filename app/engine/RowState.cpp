#include "app/engine/RowState.h"

namespace Quorvane_ns {

const wchar_t* RowStateText(int32_t state)
{
    static const wchar_t* const kTexts[] = {
        L"正常", L"已编译(未改变)", L"已编译", L"正常(库依赖)", L"编译失败", L"忽略", L"不存在",
    };
    // A value outside the table can only come from damaged data; show it as
    // the one state that asks for attention.
    const int32_t count = static_cast<int32_t>(sizeof kTexts / sizeof kTexts[0]);
    if (state < 0 || state >= count) return kTexts[CompileFailed];
    return kTexts[state];
}

} // namespace Quorvane_ns
