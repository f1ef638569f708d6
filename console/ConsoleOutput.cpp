#include "console/ConsoleOutput.h"

namespace Quorvane_ns {

using Base_ns::String_cl;

namespace {

bool IsControl(wchar_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0xFFFE || c == 0xFFFF; }

// Control characters, and surrogates that are not part of a pair, as "?";
// with oneLine line ends and tabs as blanks.
String_cl Printable(const String_cl& text, bool oneLine)
{
    String_cl out = text;
    for (size_t i = 0; i < out.size(); ++i) {
        wchar_t& c = out[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < out.size() && out[i + 1] >= 0xDC00 && out[i + 1] <= 0xDFFF) {
            ++i;
        } else if (c == L'\r' || c == L'\n' || c == L'\t') {
            if (oneLine) c = L' ';
        } else if (IsControl(c) || (c >= 0xD800 && c <= 0xDFFF)) {
            c = L'?';
        }
    }
    return out;
}

} // namespace

String_cl ConsoleOutput_cl::Field(const String_cl& text) { return Printable(text, true); }

ConsoleOutput_cl::ConsoleOutput_cl(DWORD stdHandle) : m_handle(GetStdHandle(stdHandle))
{
    DWORD mode = 0;
    m_console = m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE &&
                GetConsoleMode(m_handle, &mode) != 0;
}

void ConsoleOutput_cl::Write(const String_cl& text)
{
    if (m_handle == nullptr || m_handle == INVALID_HANDLE_VALUE || text.empty()) return;
    const String_cl printable = Printable(text, false);
    std::lock_guard<std::mutex> lock(m_mutex);
    DWORD done = 0;
    if (m_console) {
        WriteConsoleW(m_handle, printable.data(), static_cast<DWORD>(printable.size()), &done, nullptr);
        return;
    }
    std::string bytes = printable.ToUtf8();
    WriteFile(m_handle, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
}

int ConsolePresenter_cl::Message(HWND, const String_cl& text, const String_cl& caption, UINT type)
{
    m_err.Line(caption + L": " + text);
    switch (type & MB_TYPEMASK) {
    case MB_YESNO:
    case MB_YESNOCANCEL:
        return (type & MB_DEFBUTTON2) ? IDNO : IDYES;
    case MB_OKCANCEL:
        return (type & MB_DEFBUTTON2) ? IDCANCEL : IDOK;
    default:
        return IDOK;
    }
}

} // namespace Quorvane_ns
