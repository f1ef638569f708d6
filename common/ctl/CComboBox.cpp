#include "common/ctl/CComboBox.h"

namespace CTL_ns {

String_cl CComboBox::GetLBText(int index) const
{
    const int length = static_cast<int>(SendMsg(CB_GETLBTEXTLEN, static_cast<WPARAM>(index)));
    if (length <= 0) return String_cl();
    String_cl text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = static_cast<int>(SendMsg(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data())));
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

} // namespace CTL_ns
