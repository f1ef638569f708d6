#include "app/workflow/ReportFile.h"
#include <windows.h>
#include <string>
#include "common/base/Error.h"
#include "common/base/Handle.h"
#include "common/base/Path.h"
#include "common/io/ContainerFile.h"

namespace Quorvane_ns {
namespace {

const Base_ns::ErrorEntry_st kReportErrors[] = {
    {101, L"无法写入报告文件。"},
};

[[noreturn]] void RaiseWriteError(int line, const String_cl& path)
{
    throw IO_ns::IOError_cl(line, L"ReportFile", L"ReportFile", 101, kReportErrors, 1, path);
}

bool Allowed(wchar_t c)
{
    return c == L'\t' || c == L'\n' || c == L'\r' || (c >= 0x20 && c != 0xFFFE && c != 0xFFFF);
}

bool Unreserved(unsigned char b)
{
    return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '-' || b == '.' ||
           b == '_' || b == '~' || b == '/' || b == ':';
}

String_cl PercentEncoded(const String_cl& path)
{
    static const char hex[] = "0123456789ABCDEF";
    String_cl out;
    for (unsigned char b : path.ToUtf8()) {
        if (Unreserved(b)) {
            out += static_cast<wchar_t>(b);
        } else {
            out += L'%';
            out += static_cast<wchar_t>(hex[b >> 4]);
            out += static_cast<wchar_t>(hex[b & 15]);
        }
    }
    return out;
}

} // namespace

String_cl MarkupText(const String_cl& text)
{
    String_cl out;
    out.reserve(text.size() + 16);
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            out += c;
            out += text[++i];
            continue;
        }
        switch (c) {
        case L'&': out += L"&amp;"; break;
        case L'<': out += L"&lt;"; break;
        case L'>': out += L"&gt;"; break;
        case L'"': out += L"&quot;"; break;
        case L'\'': out += L"&#39;"; break;
        default: out += (Allowed(c) && !(c >= 0xD800 && c <= 0xDFFF)) ? c : L'?';
        }
    }
    return out;
}

String_cl MarkupAttribute(const String_cl& text)
{
    String_cl out;
    for (wchar_t c : MarkupText(text)) {
        switch (c) {
        case L'\t': out += L"&#9;"; break;
        case L'\n': out += L"&#10;"; break;
        case L'\r': out += L"&#13;"; break;
        default: out += c;
        }
    }
    return out;
}

String_cl FileLink(const String_cl& folder, const String_cl& target)
{
    String_cl base = folder;
    if (!base.empty() && base.back() != L'\\' && base.back() != L'/') base += L'\\';
    String_cl relative;
    if (!base.empty() && target.size() > base.size() && Base_ns::EqualsNoCase(target.substr(0, base.size()), base))
        relative = target.substr(base.size());
    String_cl path = relative.empty() ? target : relative;
    for (wchar_t& c : path)
        if (c == L'\\') c = L'/';
    if (!relative.empty()) return PercentEncoded(path);
    return L"file:///" + PercentEncoded(path);
}

void WriteReportFile(const String_cl& path, const String_cl& text)
{
    Base_ns::CreateDirectories(path);
    const String_cl partial = path + L".partial";
    const std::string bytes = text.ToUtf8();
    {
        IO_ns::ContainerFile_cl file;
        file.OpenWrite(partial);
        if (!file.Write(bytes.data(), static_cast<uint32_t>(bytes.size())) || !file.Flush()) RaiseWriteError(__LINE__, path);
        file.Close();
        if (file.Failed()) {
            DeleteFileW(partial.c_str());
            RaiseWriteError(__LINE__, path);
        }
    }
    if (!MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(partial.c_str());
        RaiseWriteError(__LINE__, path);
    }
}

void CheckReportFileWritable(const String_cl& path)
{
    Base_ns::CreateDirectories(path);
    // The report replaces the file: whoever holds it open must let it be
    // written and deleted, as the replacement will need.
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    Base_ns::Handle_cl existing(
        CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (existing.Valid()) return;
    if (GetLastError() != ERROR_FILE_NOT_FOUND) RaiseWriteError(__LINE__, path);
    // Nothing there: a file of that name can be made, and is gone again
    // when its handle closes.
    Base_ns::Handle_cl created(CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, share, nullptr, CREATE_NEW,
                                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!created.Valid()) RaiseWriteError(__LINE__, path);
}

} // namespace Quorvane_ns
