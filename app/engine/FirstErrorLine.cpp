#include "app/engine/FirstErrorLine.h"
#include "app/engine/BuildRunner.h"

namespace Quorvane_ns {
namespace {

bool IsAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool IsCapital(wchar_t c) { return c >= L'A' && c <= L'Z'; }

// The code that must follow the word at pos: C2065, LNK1104, PRJ0019,
// RC2135, D8016, MIDL2025. Anything else after it (a letter, "(s)") makes
// the word part of ordinary text.
bool CodeFollows(std::wstring_view line, size_t pos)
{
    while (pos < line.size() && line[pos] == L' ') ++pos;
    size_t letters = 0;
    while (pos + letters < line.size() && IsCapital(line[pos + letters])) ++letters;
    if (letters < 1 || letters > 4) return false;
    pos += letters;
    size_t digits = 0;
    while (pos + digits < line.size() && IsDigit(line[pos + digits])) ++digits;
    if (digits < 4 || digits > 5) return false;
    pos += digits;
    return pos == line.size() || !(IsAsciiLetter(line[pos]) || IsDigit(line[pos]));
}

std::wstring_view Trimmed(std::wstring_view s)
{
    const wchar_t* space = L" \t\r\n";
    const size_t first = s.find_first_not_of(space);
    if (first == std::wstring_view::npos) return {};
    return s.substr(first, s.find_last_not_of(space) - first + 1);
}

} // namespace

bool IsErrorLine(std::wstring_view line)
{
    // The English word must stand alone ("error", not "myerror.cpp"); the
    // Chinese one is never part of a longer word that matters here.
    for (size_t at = line.find(L"error"); at != std::wstring_view::npos; at = line.find(L"error", at + 1)) {
        const bool alone = at == 0 || !(IsAsciiLetter(line[at - 1]) || IsDigit(line[at - 1]) || line[at - 1] == L'_');
        if (alone && CodeFollows(line, at + 5)) return true;
    }
    for (size_t at = line.find(L"错误"); at != std::wstring_view::npos; at = line.find(L"错误", at + 1))
        if (CodeFollows(line, at + 2)) return true;
    return false;
}

String_cl FirstErrorLine(const String_cl& logPath)
{
    if (logPath.IsEmpty()) return String_cl();
    try {
        LogReader_cl log(logPath);
        String_cl line;
        while (log.Next(line))
            if (IsErrorLine(line)) return String_cl(Trimmed(line));
    } catch (const Base_ns::Error_cl&) {
        // Gone or unreadable: the report says there is no such line.
    }
    return String_cl();
}

} // namespace Quorvane_ns
