#include "common/base/Number.h"

namespace Base_ns {

std::optional<int32_t> ParseNumber(std::wstring_view text)
{
    if (text.empty()) return std::nullopt;
    size_t i = 0;
    bool negative = false;
    if (text[0] == L'+') {
        i = 1;
    } else if (text[0] == L'-') {
        i = 1;
        negative = true;
    }
    int64_t multiplier = 10;
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        const wchar_t c = text[i];
        int digit;
        if (c >= L'0' && c <= L'9') {
            digit = c - L'0';
        } else {
            multiplier = 16;
            if (c >= L'A' && c <= L'F') digit = c - L'A' + 10;
            else if (c >= L'a' && c <= L'f') digit = c - L'a' + 10;
            else return std::nullopt;
        }
        value = value * multiplier + digit;
        if (value > INT32_MAX) return std::nullopt;
    }
    return static_cast<int32_t>(negative ? -value : value);
}

} // namespace Base_ns
