#pragma once
// The error tables of the build rows (MProjectPack_cl) and their factories.
// The build invocation and the row build raise through them, so every row
// failure carries the class "MProjectPack_cl" and the source "MProjectPack".
#include "common/base/Error.h"

namespace Quorvane_ns {

using Base_ns::String_cl;

inline constexpr const wchar_t kMProjectClassName[] = L"MProjectPack_cl";
inline constexpr const wchar_t kMProjectSource[] = L"MProjectPack";

// System: 1 log cannot be analysed, 2 no build result in the log.
// User: 101 no configuration, 102 no log after the build, 103 configuration
// text that cannot be passed on a command line.
extern const Base_ns::ErrorEntry_st kMProjectSysErrors[];
extern const int kMProjectSysErrorCount;
extern const Base_ns::ErrorEntry_st kMProjectUserErrors[];
extern const int kMProjectUserErrorCount;

Base_ns::SysError_cl MProjectSysError(int code, int line, const String_cl& note);
Base_ns::UserError_cl MProjectUserError(int code, int line, const String_cl& note);
// For callers that raise on behalf of another object and pass its class name.
Base_ns::SysError_cl MProjectSysError(int code, int line, const String_cl& note,
                                      const wchar_t* className);
Base_ns::UserError_cl MProjectUserError(int code, int line, const String_cl& note,
                                        const wchar_t* className);

} // namespace Quorvane_ns
