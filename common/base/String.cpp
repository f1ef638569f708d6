#include "common/base/String.h"
#include <windows.h>

namespace Base_ns {

bool EqualsNoCase(std::wstring_view a, std::wstring_view b)
{
    if (a.size() != b.size()) return false;
    // Stores walk every record comparing paths that share their folders and
    // differ near the end: start there, settle ASCII letters here, and leave
    // any other difference to the platform's rule for file names.
    for (size_t i = a.size(); i-- > 0;) {
        wchar_t x = a[i], y = b[i];
        if (x == y) continue;
        if (x >= 0x80 || y >= 0x80)
            return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                        static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
        if (x >= L'a' && x <= L'z') x = wchar_t(x - (L'a' - L'A'));
        if (y >= L'a' && y <= L'z') y = wchar_t(y - (L'a' - L'A'));
        if (x != y) return false;
    }
    return true;
}

String_cl ToUpper(std::wstring_view s)
{
    String_cl out(s);
    if (!out.empty())
        CharUpperBuffW(out.data(), static_cast<DWORD>(out.size()));
    return out;
}

bool String_cl::EqualsNoCase(std::wstring_view other) const { return Base_ns::EqualsNoCase(*this, other); }
String_cl String_cl::Upper() const { return ToUpper(*this); }

bool String_cl::StartsWith(std::wstring_view prefix) const
{
    return size() >= prefix.size() && compare(0, prefix.size(), prefix) == 0;
}

bool String_cl::EndsWith(std::wstring_view suffix) const
{
    return size() >= suffix.size() && compare(size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool String_cl::EndsWithNoCase(std::wstring_view suffix) const
{
    return size() >= suffix.size() &&
           Base_ns::EqualsNoCase(std::wstring_view(*this).substr(size() - suffix.size()), suffix);
}

int String_cl::ReplaceAll(std::wstring_view what, std::wstring_view with)
{
    if (what.empty()) return 0;
    int n = 0;
    size_type pos = 0;
    while ((pos = find(what, pos)) != npos) {
        replace(pos, what.size(), with);
        pos += with.size();
        ++n;
    }
    return n;
}

String_cl String_cl::FromInt(long long value) { return String_cl(std::to_wstring(value)); }
String_cl String_cl::FromUnsigned(unsigned long long value) { return String_cl(std::to_wstring(value)); }

String_cl String_cl::FromMultiByte(std::string_view bytes, unsigned codePage)
{
    if (bytes.empty()) return String_cl();
    int n = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    String_cl out;
    if (n <= 0) return out;
    out.resize(static_cast<size_t>(n));
    MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
    return out;
}

std::string String_cl::ToMultiByte(unsigned codePage) const
{
    if (empty()) return std::string();
    int n = WideCharToMultiByte(codePage, 0, data(), static_cast<int>(size()), nullptr, 0, nullptr, nullptr);
    std::string out;
    if (n <= 0) return out;
    out.resize(static_cast<size_t>(n));
    WideCharToMultiByte(codePage, 0, data(), static_cast<int>(size()), out.data(), n, nullptr, nullptr);
    return out;
}

} // namespace Base_ns
