#pragma once
// Reading of the integers that settings and data files hold as text.
#include <cstdint>
#include <optional>
#include <string_view>

namespace Base_ns {

// An optional "+" or "-", then digits read in base 10 until the first letter,
// from which on the base is 16 ("1A" is 26, "12A" is 202, "FF" is 255). A
// sign alone reads as 0. Empty text, any other character ("0x10" stops at the
// x) and values past 32 bits give nothing: a refused number is never wrapped
// round into another one.
std::optional<int32_t> ParseNumber(std::wstring_view text);

} // namespace Base_ns
