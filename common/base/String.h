#pragma once
// The wide string in which the system holds every name, path, message and
// value. It is std::wstring (copies are cheap enough with move semantics and
// small-string storage) plus the few operations the Windows side needs:
// ordinal case-insensitive comparison, upper-casing, numbers and code pages.
#include <string>
#include <string_view>
#include <cstdint>

namespace Base_ns {

class String_cl : public std::wstring {
public:
    using std::wstring::wstring;
    String_cl() = default;
    String_cl(const std::wstring& s) : std::wstring(s) {}
    String_cl(std::wstring&& s) : std::wstring(std::move(s)) {}
    String_cl(std::wstring_view s) : std::wstring(s) {}

    const wchar_t* Text() const { return c_str(); }
    int Length() const { return static_cast<int>(size()); }
    bool IsEmpty() const { return empty(); }

    // Ordinal comparison ignoring case, as Windows compares file names.
    bool EqualsNoCase(std::wstring_view other) const;
    String_cl Upper() const;
    bool StartsWith(std::wstring_view prefix) const;
    bool EndsWith(std::wstring_view suffix) const;
    bool EndsWithNoCase(std::wstring_view suffix) const;
    // Replaces every occurrence of what (case-sensitive); returns the count.
    int ReplaceAll(std::wstring_view what, std::wstring_view with);

    static String_cl FromInt(long long value);
    static String_cl FromUnsigned(unsigned long long value);
    // Text in the given code page (CP_ACP, CP_UTF8, 936, ...) to wide and back.
    static String_cl FromMultiByte(std::string_view bytes, unsigned codePage);
    std::string ToMultiByte(unsigned codePage) const;
    static String_cl FromUtf8(std::string_view bytes) { return FromMultiByte(bytes, 65001); }
    std::string ToUtf8() const { return ToMultiByte(65001); }
};

bool EqualsNoCase(std::wstring_view a, std::wstring_view b);
String_cl ToUpper(std::wstring_view s);

} // namespace Base_ns
