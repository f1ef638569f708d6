#include "app/engine/projectfiles/MsBuildExpander.h"
#include <windows.h>
#include <algorithm>
#include <cmath>
#include <cwchar>
#include "app/engine/projectfiles/ProjectFileErrors.h"
#include "app/engine/projectfiles/ProjectFileText.h"

namespace Quorvane_ns {

namespace {

constexpr size_t npos = std::wstring_view::npos;
// Functions in the arguments of functions: real sheets nest three or four.
constexpr int kMaxNesting = 32;

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }
bool IsQuote(wchar_t c) { return c == L'\'' || c == L'"' || c == L'`'; }
bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }
bool IsNameStart(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || c == L'_'; }
bool IsMemberChar(wchar_t c) { return IsNameStart(c) || (c >= L'0' && c <= L'9'); }
// Property names may hold "-" too ("Linkage-libzmq").
bool IsNameChar(wchar_t c) { return IsMemberChar(c) || c == L'-'; }

std::wstring_view Trim(std::wstring_view s)
{
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::wstring_view TrimLeft(std::wstring_view s)
{
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    return s;
}

size_t Closing(std::wstring_view text, size_t open, int nesting)
{
    if (nesting > kMaxNesting) return npos;
    int depth = 1;
    for (size_t i = open + 1; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (IsQuote(c)) {
            size_t j = i + 1;
            for (; j < text.size() && text[j] != c; ++j) {
                if (text[j] == L'$' && j + 1 < text.size() && text[j + 1] == L'(') {
                    j = Closing(text, j + 1, nesting + 1);
                    if (j == npos) return npos;
                }
            }
            if (j >= text.size()) return npos;
            i = j;
        } else if (c == L'(') {
            ++depth;
        } else if (c == L')' && --depth == 0) {
            return i;
        }
    }
    return npos;
}

// The arguments between a function's parentheses, split at the commas
// outside quotes and nested parentheses.
std::vector<std::wstring_view> SplitArguments(std::wstring_view inside)
{
    std::vector<std::wstring_view> arguments;
    if (Trim(inside).empty()) return arguments;
    size_t start = 0;
    int depth = 0;
    for (size_t i = 0; i < inside.size(); ++i) {
        const wchar_t c = inside[i];
        if (IsQuote(c)) {
            size_t j = i + 1;
            for (; j < inside.size() && inside[j] != c; ++j) {
                if (inside[j] == L'$' && j + 1 < inside.size() && inside[j + 1] == L'(') {
                    const size_t close = Closing(inside, j + 1, 0);
                    if (close == npos) break;
                    j = close;
                }
            }
            i = std::min(j, inside.size() - 1);
        } else if (c == L'(') {
            ++depth;
        } else if (c == L')') {
            --depth;
        } else if (c == L',' && depth == 0) {
            arguments.push_back(inside.substr(start, i - start));
            start = i + 1;
        }
    }
    arguments.push_back(inside.substr(start));
    return arguments;
}

String_cl EnvironmentValue(const String_cl& name)
{
    const DWORD size = GetEnvironmentVariableW(name.c_str(), nullptr, 0);
    if (size == 0) return String_cl();
    String_cl value(size, L'\0');
    const DWORD got = GetEnvironmentVariableW(name.c_str(), value.data(), size);
    value.resize(got < size ? got : 0);
    return value;
}

String_cl CaseMapped(const String_cl& text, bool upper)
{
    String_cl mapped = text;
    if (!mapped.empty()) {
        if (upper) CharUpperBuffW(mapped.data(), static_cast<DWORD>(mapped.size()));
        else CharLowerBuffW(mapped.data(), static_cast<DWORD>(mapped.size()));
    }
    return mapped;
}

String_cl BoolText(bool b) { return b ? L"True" : L"False"; }

std::optional<long long> Integer(const String_cl& text)
{
    const std::optional<double> n = NumberText(text);
    if (!n || *n != std::floor(*n) || std::fabs(*n) > 9.0e15) return std::nullopt;
    return static_cast<long long>(*n);
}

String_cl NumberResult(double n)
{
    if (n == std::floor(n) && std::fabs(n) < 9.0e15) return String_cl::FromInt(static_cast<long long>(n));
    wchar_t buffer[64];
    swprintf(buffer, 64, L"%.15g", n);
    return buffer;
}

// --- paths as .NET's System.IO.Path takes them on Windows ------------------

bool IsRooted(const String_cl& p) { return (!p.empty() && IsSeparator(p[0])) || (p.size() >= 2 && p[1] == L':'); }

size_t RootLength(const String_cl& p)
{
    if (p.size() >= 2 && p[1] == L':') return p.size() >= 3 && IsSeparator(p[2]) ? 3 : 2;
    if (p.size() >= 2 && IsSeparator(p[0]) && IsSeparator(p[1])) {
        // \\server\share\ is the root of a network path.
        size_t i = 2, parts = 0;
        for (; i < p.size() && parts < 2; ++i)
            if (IsSeparator(p[i])) ++parts;
        return i;
    }
    return !p.empty() && IsSeparator(p[0]) ? 1 : 0;
}

String_cl Combine(const std::vector<String_cl>& parts)
{
    String_cl result;
    for (const String_cl& part : parts) {
        if (part.empty()) continue;
        if (IsRooted(part)) {
            result = part;
            continue;
        }
        if (!result.empty() && !IsSeparator(result.back()) && result.back() != L':') result += L'\\';
        result += part;
    }
    return result;
}

String_cl FileNameOf(const String_cl& p)
{
    const size_t at = p.find_last_of(L"\\/:");
    return at == String_cl::npos ? p : String_cl(p.substr(at + 1));
}

String_cl ExtensionOf(const String_cl& p)
{
    const String_cl name = FileNameOf(p);
    const size_t dot = name.rfind(L'.');
    return dot == String_cl::npos || dot + 1 == name.size() ? String_cl() : name.substr(dot);
}

String_cl DirectoryNameOf(const String_cl& p)
{
    const size_t root = RootLength(p);
    if (p.size() <= root) return String_cl();
    size_t at = p.find_last_of(L"\\/");
    if (at == String_cl::npos || at < root) {
        if (root == 0) return String_cl();
        at = root;
    }
    String_cl directory = p.substr(0, std::max(at, root));
    directory.ReplaceAll(L"/", L"\\");
    return directory;
}

String_cl WithTrailingSlash(const String_cl& p)
{
    return p.empty() || IsSeparator(p.back()) ? p : String_cl(p + L"\\");
}

// The folder at or above start that holds name (a file or a folder),
// without a trailing "\" unless it is a root; empty when none does.
String_cl FolderOfFileAbove(const String_cl& start, const String_cl& name, ExpansionHost_cl& host)
{
    String_cl folder = start;
    while (folder.size() > 1 && IsSeparator(folder.back()) && folder.size() > RootLength(folder)) folder.pop_back();
    for (int guard = 0; !folder.empty() && guard < 512; ++guard) {
        if (host.Kind(WithTrailingSlash(folder) + name) != PathKind_en::Missing) return folder;
        const String_cl parent = DirectoryNameOf(folder);
        if (parent.empty() || parent == folder) break;
        folder = parent;
    }
    return String_cl();
}

std::vector<String_cl> Segments(const String_cl& path)
{
    std::vector<String_cl> segments;
    String_cl segment;
    for (wchar_t c : path) {
        if (IsSeparator(c)) {
            if (!segment.empty()) segments.push_back(segment);
            segment.clear();
        } else {
            segment += c;
        }
    }
    if (!segment.empty()) segments.push_back(segment);
    return segments;
}

// path relative to the folder base, both full: MSBuild's MakeRelative.
String_cl RelativePath(const String_cl& base, const String_cl& path)
{
    const std::vector<String_cl> from = Segments(base), to = Segments(path);
    size_t common = 0;
    while (common < from.size() && common < to.size() && Base_ns::EqualsNoCase(from[common], to[common])) ++common;
    if (common == 0) return path;
    String_cl relative;
    for (size_t i = common; i < from.size(); ++i) relative += L"..\\";
    for (size_t i = common; i < to.size(); ++i) relative += to[i] + (i + 1 < to.size() ? L"\\" : L"");
    if (!path.empty() && IsSeparator(path.back()) && !relative.empty() && !IsSeparator(relative.back())) relative += L'\\';
    return relative;
}

bool IgnoresCase(const String_cl& comparison) { return comparison.Upper().find(L"IGNORECASE") != String_cl::npos; }

size_t Find(const String_cl& in, const String_cl& what, size_t from, bool ignoreCase, bool last)
{
    const String_cl a = ignoreCase ? in.Upper() : in;
    const String_cl b = ignoreCase ? what.Upper() : what;
    return last ? a.rfind(b) : a.find(b, from);
}

String_cl TrimmedOf(const String_cl& s, const String_cl& chars, bool front, bool back)
{
    const String_cl set = chars.empty() ? String_cl(L" \t\r\n\v\f") : chars;
    size_t first = 0, end = s.size();
    if (front)
        while (first < end && set.find(s[first]) != String_cl::npos) ++first;
    if (back)
        while (end > first && set.find(s[end - 1]) != String_cl::npos) --end;
    return s.substr(first, end - first);
}

class Expander_cl {
public:
    explicit Expander_cl(ExpansionHost_cl& host) : m_host(host) {}

    Value_st Expand(std::wstring_view text, int nesting)
    {
        Value_st out;
        if (text.find_first_of(L"$%@") == npos) {
            out.text.assign(text);
            Check(out, nesting);
            return out;
        }
        if (nesting > kMaxNesting) m_host.OverLimit(103, L"属性函数嵌套超过 " + String_cl::FromInt(kMaxNesting) + L" 层");
        size_t literal = 0;
        for (size_t pos = 0; pos + 1 < text.size();) {
            const wchar_t c = text[pos];
            if ((c != L'$' && c != L'@' && c != L'%') || text[pos + 1] != L'(') {
                ++pos;
                continue;
            }
            const size_t close = Closing(text, pos + 1, nesting);
            if (close == npos) break;
            const std::wstring_view inner = text.substr(pos + 2, close - pos - 2);
            if (c == L'%') {
                Value_st metadata;
                if (MetadataReference(inner, metadata)) {
                    Flush(out, text.substr(literal, pos - literal), nesting);
                    Append(out, metadata, nesting);
                    literal = close + 1;
                }
            } else {
                Flush(out, text.substr(literal, pos - literal), nesting);
                if (c == L'$' && IsPlainName(inner)) AppendProperty(out, String_cl(Trim(inner)), nesting);
                else if (c == L'$') Append(out, Reference(inner, nesting), nesting);
                else out.causes.push_back(m_host.Unsupported(String_cl(text.substr(pos, close + 1 - pos))));
                literal = close + 1;
            }
            pos = close + 1;
        }
        Flush(out, text.substr(std::min(literal, text.size())), nesting);
        std::sort(out.causes.begin(), out.causes.end());
        out.causes.erase(std::unique(out.causes.begin(), out.causes.end()), out.causes.end());
        m_host.Charge(out.text.size());
        return out;
    }

private:
    void Check(const Value_st& v, int)
    {
        if (v.text.size() > kMaxValueLength)
            m_host.OverLimit(101, L"值超过 " + String_cl::FromInt(static_cast<long long>(kMaxValueLength)) + L" 个字符");
    }

    void Flush(Value_st& out, std::wstring_view literal, int nesting)
    {
        out.text.append(literal);
        Check(out, nesting);
    }

    void Append(Value_st& out, const Value_st& v, int nesting)
    {
        out.text += v.text;
        AddCauses(out.causes, v.causes);
        Check(out, nesting);
    }

    static bool IsPlainName(std::wstring_view inner)
    {
        inner = Trim(inner);
        if (inner.empty() || !IsNameStart(inner[0])) return false;
        for (wchar_t c : inner)
            if (!IsNameChar(c)) return false;
        return true;
    }

    // "$(Name)", the most common reference, without copying the value first.
    void AppendProperty(Value_st& out, const String_cl& name, int nesting)
    {
        if (const Value_st* v = m_host.Property(name)) Append(out, *v, nesting);
        else Flush(out, EnvironmentValue(name), nesting);
    }

    bool MetadataReference(std::wstring_view inner, Value_st& value)
    {
        inner = Trim(inner);
        const size_t dot = inner.find(L'.');
        const std::wstring_view type = dot == npos ? std::wstring_view() : inner.substr(0, dot);
        const std::wstring_view name = dot == npos ? inner : inner.substr(dot + 1);
        if (name.empty() || !IsNameStart(name[0])) return false;
        for (wchar_t c : name)
            if (!IsMemberChar(c)) return false;
        for (wchar_t c : type)
            if (!IsNameChar(c)) return false;
        return m_host.Metadata(String_cl(type), String_cl(name), value);
    }

    Value_st Unknown(std::wstring_view body)
    {
        Value_st v;
        v.causes.push_back(m_host.Unsupported(L"$(" + String_cl(body) + L")"));
        return v;
    }

    Value_st Lookup(const String_cl& name)
    {
        if (const Value_st* v = m_host.Property(name)) return *v;
        Value_st v;
        v.text = EnvironmentValue(name);
        return v;
    }

    std::vector<Value_st> Arguments(std::wstring_view inside, int nesting)
    {
        std::vector<Value_st> values;
        for (std::wstring_view a : SplitArguments(inside)) {
            a = Trim(a);
            if (a.size() >= 2 && IsQuote(a.front()) && a.back() == a.front()) {
                values.push_back(Expand(a.substr(1, a.size() - 2), nesting + 1));
            } else {
                Value_st v = Expand(a, nesting + 1);
                v.text = String_cl(Trim(v.text));
                values.push_back(v);
            }
        }
        return values;
    }

    // One member name and its arguments from the front of rest: ".Name(…)"
    // or "::Name(…)" already stripped of its dot or colons.
    bool Member(std::wstring_view& rest, String_cl& name, std::vector<Value_st>& arguments, bool& called, int nesting)
    {
        size_t n = 0;
        while (n < rest.size() && IsMemberChar(rest[n])) ++n;
        if (n == 0) return false;
        name.assign(rest.substr(0, n));
        rest = TrimLeft(rest.substr(n));
        called = !rest.empty() && rest[0] == L'(';
        arguments.clear();
        if (called) {
            const size_t close = Closing(rest, 0, nesting);
            if (close == npos) return false;
            arguments = Arguments(rest.substr(1, close - 1), nesting);
            rest = rest.substr(close + 1);
        }
        return true;
    }

    Value_st Reference(std::wstring_view body, int nesting)
    {
        body = Trim(body);
        if (body.empty()) return Value_st();
        Value_st value;
        std::wstring_view rest;
        String_cl member;
        std::vector<Value_st> arguments;
        bool called = false;
        if (body[0] == L'[') {
            const size_t close = body.find(L']');
            if (close == npos) return Unknown(body);
            const String_cl type(Trim(body.substr(1, close - 1)));
            rest = TrimLeft(body.substr(close + 1));
            if (rest.substr(0, 2) != L"::") return Unknown(body);
            rest = TrimLeft(rest.substr(2));
            if (!Member(rest, member, arguments, called, nesting) || !Static(type, member, arguments, value))
                return Unknown(body);
        } else {
            size_t n = 0;
            if (!IsNameStart(body[0])) return Unknown(body);
            while (n < body.size() && IsNameChar(body[n])) ++n;
            value = Lookup(String_cl(body.substr(0, n)));
            rest = body.substr(n);
        }
        for (rest = TrimLeft(rest); !rest.empty(); rest = TrimLeft(rest)) {
            if (rest[0] != L'.') return Unknown(body);
            rest = TrimLeft(rest.substr(1));
            if (!Member(rest, member, arguments, called, nesting) || !OnString(value, member, arguments, called))
                return Unknown(body);
        }
        return value;
    }

    static bool Is(const String_cl& a, const wchar_t* b) { return Base_ns::EqualsNoCase(a, b); }

    // [Type]::Member(arguments). False: not a function done here.
    bool Static(const String_cl& type, const String_cl& member, const std::vector<Value_st>& args, Value_st& result)
    {
        std::vector<String_cl> a;
        for (const Value_st& v : args) {
            a.push_back(v.text);
            AddCauses(result.causes, v.causes);
        }
        const size_t n = a.size();
        const String_cl& folder = m_host.ProjectFolder();
        String_cl& r = result.text;
        if (Is(type, L"System.IO.Path")) {
            if (Is(member, L"Combine") && n >= 1) r = Combine(a);
            else if (Is(member, L"GetFileName") && n == 1) r = FileNameOf(a[0]);
            else if (Is(member, L"GetFileNameWithoutExtension") && n == 1) {
                r = FileNameOf(a[0]);
                const size_t dot = r.rfind(L'.');
                if (dot != String_cl::npos) r.resize(dot);
            } else if (Is(member, L"GetDirectoryName") && n == 1) r = DirectoryNameOf(a[0]);
            else if (Is(member, L"GetExtension") && n == 1) r = ExtensionOf(a[0]);
            else if (Is(member, L"HasExtension") && n == 1) r = BoolText(!ExtensionOf(a[0]).empty());
            else if (Is(member, L"IsPathRooted") && n == 1) r = BoolText(IsRooted(a[0]));
            else if (Is(member, L"GetFullPath") && n == 1 && !a[0].empty()) r = FullPathIn(folder, a[0], false);
            else if (Is(member, L"ChangeExtension") && n == 2) {
                const String_cl extension = ExtensionOf(a[0]);
                r = a[0].substr(0, a[0].size() - extension.size());
                if (!a[1].empty()) r += (a[1][0] == L'.' ? L"" : L".") + a[1];
            } else return false;
        } else if (Is(type, L"MSBuild")) {
            if (Is(member, L"NormalizeDirectory") && n >= 1) {
                const String_cl combined = Combine(a);
                r = combined.empty() ? String_cl() : FullPathIn(folder, combined, true);
            } else if (Is(member, L"NormalizePath") && n >= 1) {
                const String_cl combined = Combine(a);
                r = combined.empty() ? String_cl() : FullPathIn(folder, combined, false);
            } else if (Is(member, L"GetDirectoryNameOfFileAbove") && n == 2) {
                r = FolderOfFileAbove(FullPathIn(folder, a[0], false), a[1], m_host);
            } else if (Is(member, L"GetPathOfFileAbove") && (n == 1 || n == 2)) {
                const String_cl start = n == 2 && !a[1].empty() ? a[1] : m_host.ThisFileFolder();
                const String_cl above = FolderOfFileAbove(FullPathIn(folder, start, false), a[0], m_host);
                r = above.empty() ? String_cl() : Combine({above, a[0]});
            } else if (Is(member, L"ValueOrDefault") && n == 2) r = a[0].empty() ? a[1] : a[0];
            else if (Is(member, L"EnsureTrailingSlash") && n == 1) r = WithTrailingSlash(a[0]);
            else if (Is(member, L"Escape") && n == 1) r = a[0];
            else if (Is(member, L"Unescape") && n == 1) r = UnescapeMsBuild(a[0]);
            else if (Is(member, L"MakeRelative") && n == 2)
                r = RelativePath(FullPathIn(folder, a[0], false), FullPathIn(folder, a[1], false));
            else if ((Is(member, L"IsOSPlatform") || Is(member, L"IsOsPlatform")) && n == 1)
                r = BoolText(Is(a[0], L"Windows"));
            else if (Is(member, L"IsOSUnixLike") && n == 0) r = BoolText(false);
            else if ((Is(member, L"Add") || Is(member, L"Subtract") || Is(member, L"Multiply") ||
                      Is(member, L"Divide") || Is(member, L"Modulo")) && n == 2) {
                const std::optional<double> x = NumberText(a[0]), y = NumberText(a[1]);
                if (!x || !y) return false;
                if ((Is(member, L"Divide") || Is(member, L"Modulo")) && *y == 0) return false;
                r = NumberResult(Is(member, L"Add")        ? *x + *y
                                 : Is(member, L"Subtract") ? *x - *y
                                 : Is(member, L"Multiply") ? *x * *y
                                 : Is(member, L"Divide")   ? *x / *y
                                                           : std::fmod(*x, *y));
            } else return false;
        } else if (Is(type, L"System.String")) {
            if (Is(member, L"IsNullOrEmpty") && n == 1) r = BoolText(a[0].empty());
            else if (Is(member, L"IsNullOrWhiteSpace") && n == 1) r = BoolText(Trim(a[0]).empty());
            else if (Is(member, L"Copy") && n == 1) r = a[0];
            else if (Is(member, L"Concat")) {
                for (const String_cl& part : a) r += part;
            } else return false;
        } else if (Is(type, L"System.IO.File") && Is(member, L"Exists") && n == 1) {
            r = BoolText(!a[0].empty() && m_host.Kind(FullPathIn(folder, a[0], false)) == PathKind_en::File);
        } else if (Is(type, L"System.IO.Directory") && Is(member, L"Exists") && n == 1) {
            r = BoolText(!a[0].empty() && m_host.Kind(FullPathIn(folder, a[0], false)) == PathKind_en::Folder);
        } else if (Is(type, L"System.Environment") && Is(member, L"GetEnvironmentVariable") && n == 1) {
            r = EnvironmentValue(a[0]);
        } else {
            return false;
        }
        return true;
    }

    // value.Member(arguments) on a string, as .NET's System.String does it
    // (ordinal comparisons). False: not done here, or what .NET would refuse.
    static bool OnString(Value_st& value, const String_cl& member, const std::vector<Value_st>& args, bool called)
    {
        std::vector<String_cl> a;
        for (const Value_st& v : args) {
            a.push_back(v.text);
            AddCauses(value.causes, v.causes);
        }
        const size_t n = a.size();
        const String_cl s = value.text;
        String_cl& r = value.text;
        auto comparison = [&](size_t i) { return i < n && IgnoresCase(a[i]); };
        if (!called) {
            if (!Is(member, L"Length")) return false;
            r = String_cl::FromInt(static_cast<long long>(s.size()));
        } else if ((Is(member, L"ToLower") || Is(member, L"ToLowerInvariant")) && n == 0) r = CaseMapped(s, false);
        else if ((Is(member, L"ToUpper") || Is(member, L"ToUpperInvariant")) && n == 0) r = CaseMapped(s, true);
        else if (Is(member, L"ToString") && n == 0) r = s;
        else if (Is(member, L"Trim") || Is(member, L"TrimStart") || Is(member, L"TrimEnd")) {
            String_cl chars;
            for (const String_cl& c : a) chars += c;
            r = TrimmedOf(s, chars, !Is(member, L"TrimEnd"), !Is(member, L"TrimStart"));
        } else if (Is(member, L"Replace") && n == 2) {
            if (a[0].empty()) return false;
            r = s;
            r.ReplaceAll(a[0], a[1]);
        } else if (Is(member, L"Contains") && (n == 1 || n == 2)) r = BoolText(Find(s, a[0], 0, comparison(1), false) != String_cl::npos);
        else if (Is(member, L"StartsWith") && (n == 1 || n == 2))
            r = BoolText(s.size() >= a[0].size() && Find(s.substr(0, a[0].size()), a[0], 0, comparison(1), false) == 0);
        else if (Is(member, L"EndsWith") && (n == 1 || n == 2))
            r = BoolText(s.size() >= a[0].size() && Find(s.substr(s.size() - a[0].size()), a[0], 0, comparison(1), false) == 0);
        else if (Is(member, L"Equals") && (n == 1 || n == 2))
            r = BoolText(comparison(1) ? Base_ns::EqualsNoCase(s, a[0]) : s == a[0]);
        else if ((Is(member, L"IndexOf") || Is(member, L"LastIndexOf")) && (n == 1 || n == 2)) {
            size_t from = 0;
            bool ignoreCase = false;
            if (n == 2) {
                if (std::optional<long long> start = Integer(a[1])) {
                    if (*start < 0 || static_cast<size_t>(*start) > s.size()) return false;
                    from = static_cast<size_t>(*start);
                } else {
                    ignoreCase = IgnoresCase(a[1]);
                }
            }
            const size_t at = Find(s, a[0], from, ignoreCase, Is(member, L"LastIndexOf"));
            r = String_cl::FromInt(at == String_cl::npos ? -1 : static_cast<long long>(at));
        } else if ((Is(member, L"Substring") || Is(member, L"Remove")) && (n == 1 || n == 2)) {
            const std::optional<long long> start = Integer(a[0]);
            const std::optional<long long> count = n == 2 ? Integer(a[1]) : std::optional<long long>(static_cast<long long>(s.size()) - start.value_or(0));
            if (!start || !count || *start < 0 || *count < 0 || *start + *count > static_cast<long long>(s.size())) return false;
            const size_t i = static_cast<size_t>(*start), c = static_cast<size_t>(*count);
            r = Is(member, L"Substring") ? s.substr(i, c) : s.substr(0, i) + s.substr(i + c);
        } else if ((Is(member, L"PadLeft") || Is(member, L"PadRight")) && (n == 1 || n == 2)) {
            const std::optional<long long> width = Integer(a[0]);
            if (!width || *width < 0 || *width > static_cast<long long>(kMaxValueLength)) return false;
            const wchar_t pad = n == 2 && !a[1].empty() ? a[1][0] : L' ';
            const size_t fill = static_cast<size_t>(*width) > s.size() ? static_cast<size_t>(*width) - s.size() : 0;
            r = Is(member, L"PadLeft") ? String_cl(fill, pad) + s : s + String_cl(fill, pad);
        } else {
            return false;
        }
        return true;
    }

    ExpansionHost_cl& m_host;
};

} // namespace

void AddCauses(Causes_t& into, const Causes_t& from)
{
    for (uint32_t c : from)
        if (std::find(into.begin(), into.end(), c) == into.end()) into.push_back(c);
}

bool ExpansionHost_cl::Metadata(const String_cl&, const String_cl&, Value_st&) { return false; }

Value_st ExpandText(std::wstring_view text, ExpansionHost_cl& host) { return Expander_cl(host).Expand(text, 0); }

size_t ClosingParenthesis(std::wstring_view text, size_t open) { return Closing(text, open, 0); }

std::optional<bool> BooleanText(std::wstring_view text)
{
    text = Trim(text);
    for (const wchar_t* t : {L"true", L"on", L"yes", L"!false", L"!off", L"!no"})
        if (Base_ns::EqualsNoCase(text, t)) return true;
    for (const wchar_t* f : {L"false", L"off", L"no", L"!true", L"!on", L"!yes"})
        if (Base_ns::EqualsNoCase(text, f)) return false;
    return std::nullopt;
}

std::optional<double> NumberText(std::wstring_view text)
{
    text = Trim(text);
    if (text.empty()) return std::nullopt;
    if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
        double n = 0;
        for (size_t i = 2; i < text.size(); ++i) {
            const wchar_t c = text[i];
            const int d = c >= L'0' && c <= L'9'   ? c - L'0'
                          : c >= L'a' && c <= L'f' ? c - L'a' + 10
                          : c >= L'A' && c <= L'F' ? c - L'A' + 10
                                                   : -1;
            if (d < 0) return std::nullopt;
            n = n * 16 + d;
        }
        return n;
    }
    size_t i = 0, digits = 0, points = 0;
    if (text[0] == L'+' || text[0] == L'-') ++i;
    for (; i < text.size(); ++i) {
        if (text[i] >= L'0' && text[i] <= L'9') ++digits;
        else if (text[i] == L'.' && ++points == 1) continue;
        else return std::nullopt;
    }
    if (digits == 0) return std::nullopt;
    return std::wcstod(String_cl(text).c_str(), nullptr);
}

String_cl UnescapeMsBuild(std::wstring_view text)
{
    String_cl out;
    auto hex = [](wchar_t c) {
        return c >= L'0' && c <= L'9' ? c - L'0' : c >= L'a' && c <= L'f' ? c - L'a' + 10 : c >= L'A' && c <= L'F' ? c - L'A' + 10 : -1;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'%' && i + 2 < text.size() && hex(text[i + 1]) >= 0 && hex(text[i + 2]) >= 0) {
            out += static_cast<wchar_t>(hex(text[i + 1]) * 16 + hex(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace Quorvane_ns
