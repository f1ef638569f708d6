#include "app/engine/OneProjectSolution.h"
#include <windows.h>
#include <vector>
#include "common/base/Handle.h"
#include "common/base/Path.h"

namespace Quorvane_ns {

namespace {

// One line of the file: where its bytes are (with its line end) and its text.
struct Line_st {
    size_t begin = 0;
    size_t end = 0;
    String_cl text;
};

String_cl DecodeLine(std::string_view bytes, bool utf8)
{
    // A solution without a mark is UTF-8 when it decodes as UTF-8 (Visual
    // Studio writes ASCII names so), else the ANSI code page.
    const unsigned codePage = utf8 || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                                          static_cast<int>(bytes.size()), nullptr, 0) > 0
                                  ? CP_UTF8
                                  : CP_ACP;
    return String_cl::FromMultiByte(bytes, codePage);
}

std::vector<Line_st> SplitLines(const std::string& bytes)
{
    std::vector<Line_st> lines;
    const bool utf16 = bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
                       static_cast<unsigned char>(bytes[1]) == 0xFE;
    const bool utf8 = bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    const size_t unit = utf16 ? 2 : 1;
    size_t at = utf16 ? 2 : utf8 ? 3 : 0;
    // The mark stands apart, kept as it is.
    if (at > 0) lines.push_back({0, at, String_cl()});
    while (at < bytes.size()) {
        size_t end = at;
        while (end + unit <= bytes.size()) {
            const bool lineEnd = bytes[end] == '\n' && (!utf16 || bytes[end + 1] == 0);
            end += unit;
            if (lineEnd) break;
        }
        if (end + unit > bytes.size()) end = bytes.size();
        Line_st line{at, end, String_cl()};
        const std::string_view piece(bytes.data() + at, end - at);
        if (utf16)
            line.text.assign(reinterpret_cast<const wchar_t*>(piece.data()), piece.size() / 2);
        else
            line.text = DecodeLine(piece, utf8);
        lines.push_back(line);
        at = end;
    }
    return lines;
}

String_cl Trimmed(const String_cl& text)
{
    const size_t first = text.find_first_not_of(L" \t\r\n");
    if (first == String_cl::npos) return String_cl();
    return text.substr(first, text.find_last_not_of(L" \t\r\n") - first + 1);
}

String_cl FullPathOf(const String_cl& path)
{
    String_cl slashes = path;
    for (wchar_t& c : slashes)
        if (c == L'/') c = L'\\';
    const DWORD n = GetFullPathNameW(slashes.c_str(), 0, nullptr, nullptr);
    if (n == 0) return slashes;
    std::wstring full(n, L'\0');
    const DWORD got = GetFullPathNameW(slashes.c_str(), n, full.data(), nullptr);
    full.resize(got < n ? got : 0);
    return full.empty() ? slashes : String_cl(full);
}

// The GUID of the "Project(" line that names project, or empty.
String_cl GuidOfProjectLine(const String_cl& line, const String_cl& folder, const String_cl& project)
{
    // Project("{type}") = "name", "relative path", "{guid}"
    std::vector<String_cl> quoted;
    for (size_t at = 0;;) {
        const size_t open = line.find(L'"', at);
        const size_t close = open == String_cl::npos ? open : line.find(L'"', open + 1);
        if (close == String_cl::npos) break;
        quoted.push_back(line.substr(open + 1, close - open - 1));
        at = close + 1;
    }
    if (quoted.size() < 4) return String_cl();
    const String_cl path = MakeAbsolutePath(folder, quoted[2]);
    if (path.IsEmpty() || !FullPathOf(path).EqualsNoCase(FullPathOf(project))) return String_cl();
    return quoted[3];
}

bool ReadWhole(const String_cl& path, std::string& bytes)
{
    Base_ns::Handle_cl h(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.Valid()) return false;
    char buffer[16384];
    DWORD got = 0;
    while (ReadFile(h.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    return true;
}

} // namespace

bool OneProjectSolutionFile(const String_cl& solutionPath, const String_cl& project,
                            const String_cl& solutionConfiguration, std::string& text)
{
    std::string bytes;
    return ReadWhole(solutionPath, bytes) &&
           OneProjectSolutionText(bytes, solutionPath, project, solutionConfiguration, text);
}

bool LinesLeftOutOf(const String_cl& copy, const String_cl& source)
{
    std::string copied, whole;
    if (!ReadWhole(copy, copied) || !ReadWhole(source, whole) || copied.size() > whole.size()) return false;
    const std::vector<Line_st> part = SplitLines(copied), all = SplitLines(whole);
    auto bytesOf = [](const std::string& file, const Line_st& line) {
        return std::string_view(file).substr(line.begin, line.end - line.begin);
    };
    size_t at = 0;
    for (const Line_st& line : part) {
        while (at < all.size() && bytesOf(whole, all[at]) != bytesOf(copied, line)) ++at;
        if (at == all.size()) return false;
        ++at;
    }
    return true;
}

bool OneProjectSolutionText(const std::string& solution, const String_cl& solutionPath, const String_cl& project,
                            const String_cl& solutionConfiguration, std::string& text)
{
    const std::vector<Line_st> lines = SplitLines(solution);
    const String_cl folder = Base_ns::GetFileDirectory(solutionPath, false);
    String_cl guid;
    for (const Line_st& line : lines) {
        const String_cl t = Trimmed(line.text);
        if (t.StartsWith(L"Project(")) guid = GuidOfProjectLine(t, folder, project);
        if (!guid.IsEmpty()) break;
    }
    if (guid.IsEmpty()) return false;

    // "{GUID}.<solution configuration>.Build.0 = <project configuration>";
    // configuration names may hold dots, the GUID none.
    const String_cl kind = L".Build.0";
    text.clear();
    text.reserve(solution.size());
    bool inTable = false;
    for (const Line_st& line : lines) {
        const String_cl t = Trimmed(line.text);
        if (t.StartsWith(L"GlobalSection(")) inTable = t.find(L"(ProjectConfigurationPlatforms)") != String_cl::npos;
        if (t == L"EndGlobalSection") inTable = false;
        bool drop = false;
        const size_t equals = t.find(L" = ");
        if (inTable && equals != String_cl::npos) {
            const String_cl left = Trimmed(t.substr(0, equals));
            const size_t dot = left.find(L'.');
            if (dot != String_cl::npos && left.size() > dot + kind.size() && left.EndsWith(kind)) {
                const String_cl configuration = left.substr(dot + 1, left.size() - kind.size() - dot - 1);
                drop = configuration.EqualsNoCase(solutionConfiguration) && !Base_ns::EqualsNoCase(left.substr(0, dot), guid);
            }
        }
        if (!drop) text.append(solution, line.begin, line.end - line.begin);
    }
    return true;
}

} // namespace Quorvane_ns
