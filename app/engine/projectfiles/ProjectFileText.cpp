#include "app/engine/projectfiles/ProjectFileText.h"
#include <windows.h>
#include "app/ProgramPlaces.h"

namespace Quorvane_ns {

String_cl ExpandMacros(const String_cl& text, const std::function<bool(const String_cl& name, String_cl& value)>& known)
{
    String_cl out;
    size_t pos = 0;
    for (;;) {
        const size_t open = text.find(L"$(", pos);
        const size_t close = open == String_cl::npos ? open : text.find(L')', open + 2);
        if (close == String_cl::npos) {
            out.append(text, pos, String_cl::npos);
            return out;
        }
        out.append(text, pos, open - pos);
        const String_cl name = text.substr(open + 2, close - open - 2);
        String_cl value;
        if (known(name, value)) {
            out += value;
        } else if (!name.empty()) {
            wchar_t buffer[2048];
            const DWORD n = GetEnvironmentVariableW(name.c_str(), buffer, 2048);
            if (n > 0 && n < 2048) out.append(buffer, n);
        }
        pos = close + 1;
    }
}

std::vector<String_cl> DependencyWords(const String_cl& text)
{
    std::vector<String_cl> words;
    String_cl word;
    bool quoted = false;
    for (wchar_t c : text) {
        if (c == L'"') {
            quoted = !quoted;
        } else if (!quoted && (c == L' ' || c == L'\t' || c == L';' || c == L'\r' || c == L'\n')) {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) words.push_back(word);
    return words;
}

String_cl QuotedWords(const String_cl& list)
{
    String_cl words;
    size_t start = 0;
    for (;;) {
        const size_t end = list.find(L';', start);
        String_cl part = list.substr(start, end == String_cl::npos ? String_cl::npos : end - start);
        part.ReplaceAll(L"\"", L"");
        const size_t first = part.find_first_not_of(L" \t\r\n");
        if (first != String_cl::npos) words += L"\"" + part.substr(first, part.find_last_not_of(L" \t\r\n") - first + 1) + L"\";";
        if (end == String_cl::npos) return words;
        start = end + 1;
    }
}

void AddLibraryName(std::vector<String_cl>& libraries, const String_cl& path)
{
    const String_cl name = GetFileName(path);
    if (name.empty()) return;
    for (const String_cl& l : libraries)
        if (Base_ns::EqualsNoCase(l, name)) return;
    libraries.push_back(name);
}

String_cl FullPathIn(const String_cl& folder, const String_cl& path, bool trailingSeparator)
{
    String_cl given = path;
    given.ReplaceAll(L"/", L"\\");
    const bool absolute = given.find(L':') != String_cl::npos || given.StartsWith(L"\\");
    const String_cl joined = absolute ? given : folder + given;
    wchar_t full[4096];
    const DWORD n = GetFullPathNameW(joined.c_str(), 4096, full, nullptr);
    String_cl result = n > 0 && n < 4096 ? String_cl(full, n) : joined;
    if (trailingSeparator && (result.empty() || result.back() != L'\\')) result += L'\\';
    return result;
}

String_cl FileTitle(const String_cl& path) { return GetFileTitle(GetFileName(path)); }

SolutionContext_st SolutionContextOf(const String_cl& projectPath, const String_cl& solution)
{
    SolutionContext_st context;
    context.path = solution.empty() ? ReplaceExtension(projectPath, L"sln") : solution;
    context.dir = GetFileDirectory(context.path, true);
    if (!context.dir.empty() && context.dir.back() != L'\\' && context.dir.back() != L'/') context.dir += L'\\';
    context.fileName = GetFileName(context.path);
    context.name = FileTitle(context.path);
    const String_cl extension = GetFileExtension(context.fileName);
    context.ext = extension.empty() || context.fileName.find(L'.') == String_cl::npos ? String_cl() : L"." + extension;
    return context;
}

} // namespace Quorvane_ns
