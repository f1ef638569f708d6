#pragma once
// The text of a command line after the program's name, as the system passes
// it: the name (quoted or not) and the blanks after it are dropped, nothing
// else is touched, quotes included.
#include <string_view>
#include "common/base/String.h"

namespace Base_ns {

inline String_cl ArgumentsText(std::wstring_view commandLine)
{
    size_t i = 0;
    if (!commandLine.empty() && commandLine[0] == L'"') {
        const size_t close = commandLine.find(L'"', 1);
        i = close == std::wstring_view::npos ? commandLine.size() : close + 1;
    } else {
        while (i < commandLine.size() && commandLine[i] != L' ' && commandLine[i] != L'\t') ++i;
    }
    while (i < commandLine.size() && (commandLine[i] == L' ' || commandLine[i] == L'\t')) ++i;
    return String_cl(commandLine.substr(i));
}

} // namespace Base_ns
