#include "app/workflow/SettingsInterface.h"
#include "common/base/Path.h"
#include <iterator>

namespace Quorvane_ns {
namespace {

const wchar_t kSource[] = L"SettingsInterface";

const Base_ns::ErrorEntry_st kSysErrors[] = {
    {1, L"无法打开设置存储。"},
    {2, L"无法保存设置。"},
};
const Base_ns::ErrorEntry_st kUserErrors[] = {
    {101, L"找不到设置库 SettingsHost.dll，请重新安装程序。"},
    {102, L"设置库 SettingsHost.dll 缺少必需的函数，请重新安装程序。"},
};

Base_ns::SysError_cl SettingsSysError(int code, int line, const String_cl& note)
{
    return Base_ns::SysError_cl(line, kSource, L"SettingsHost_cl", code, kSysErrors,
                                static_cast<int>(std::size(kSysErrors)), note);
}

Base_ns::UserError_cl SettingsUserError(int code, int line, const String_cl& note)
{
    return Base_ns::UserError_cl(line, kSource, L"SettingsHost_cl", code, kUserErrors,
                                 static_cast<int>(std::size(kUserErrors)), note);
}

String_cl SystemMessage(DWORD code)
{
    wchar_t* text = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    String_cl s = n && text ? String_cl(text, n) : String_cl(L"#") + String_cl::FromUnsigned(code);
    if (text) LocalFree(text);
    while (!s.empty() && (s.back() == L'\n' || s.back() == L'\r' || s.back() == L' ')) s.pop_back();
    return s;
}

// Reads a text through the library's caller-buffer convention: the call
// returns the size it needs, and fills the buffer only when that fits. A
// value that grows between two calls simply takes another round.
// A list's inner NULs are kept; the last NUL is dropped either way.
template <class Fetch>
String_cl FetchText(Fetch&& fetch)
{
    std::vector<wchar_t> buffer(256);
    for (;;) {
        int needed = fetch(buffer.data(), static_cast<int>(buffer.size()));
        if (needed <= 0) return String_cl();
        if (needed <= static_cast<int>(buffer.size())) {
            return String_cl(buffer.data(), static_cast<size_t>(needed) - 1);
        }
        buffer.assign(static_cast<size_t>(needed), L'\0');
    }
}

} // namespace

// The program's own folder, not ModuleDirectory: that one can be pointed at
// another data folder, while the library always lies beside the program.
SettingsHost_cl::SettingsHost_cl() { Load(Base_ns::ProgramFolder()); }

SettingsHost_cl::SettingsHost_cl(const String_cl& folder) { Load(folder); }

SettingsHost_cl::~SettingsHost_cl()
{
    if (m_open && m_close) m_close();
}

void SettingsHost_cl::Load(const String_cl& folder)
{
    m_path = folder;
    if (!m_path.empty() && m_path.back() != L'\\' && m_path.back() != L'/') m_path += L'\\';
    m_path += kSettingsLibraryName;
    m_module = LoadLibraryW(m_path.c_str());
    if (!m_module) {
        DWORD code = GetLastError();
        throw SettingsUserError(101, __LINE__, m_path + L"\r\n" + SystemMessage(code));
    }
    // Never freed (see the destructor); a second load only counts up.
    m_init = Resolve<InitFileStorage_fn>("InitFileStorage");
    m_close = Resolve<CloseFileStorage_fn>("CloseFileStorage");
    auto custom = Resolve<GetCustomFromFile_fn>("GetCustomFromFile");
    auto recent = Resolve<GetRecentRecordFromFile_fn>("GetRecentRecordFromFile");
    auto ui = Resolve<GetUICommunication_fn>("GetUICommunication");
    m_custom = custom();
    m_recent = recent();
    m_ui = ui();
}

template <class Fn>
Fn SettingsHost_cl::Resolve(const char* name) const
{
    FARPROC f = GetProcAddress(m_module, name);
    if (!f) {
        throw SettingsUserError(102, __LINE__,
                                m_path + L"\r\n" + String_cl::FromMultiByte(name, CP_ACP));
    }
    // Through the generic function pointer type, the one cast both compilers
    // accept between unrelated function types.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(f));
}

void SettingsHost_cl::Open(const String_cl& productName)
{
    // A failed opening has closed whatever was open before.
    m_open = m_init(productName.c_str());
    if (!m_open) throw SettingsSysError(1, __LINE__, productName);
}

void SettingsHost_cl::Close()
{
    m_close();
    m_open = false;
}

void SettingsHost_cl::RegisterString(const String_cl& key, const String_cl& defaultValue) const
{
    m_custom->RegisterString(key.c_str(), defaultValue.c_str());
}

void SettingsHost_cl::SetBool(const String_cl& key, bool value) const
{
    if (!m_custom->SetBool(key.c_str(), value)) throw SettingsSysError(2, __LINE__, key);
}

void SettingsHost_cl::SetString(const String_cl& key, const String_cl& value) const
{
    if (!m_custom->SetString(key.c_str(), value.c_str())) {
        throw SettingsSysError(2, __LINE__, key + L"\r\n" + value);
    }
}

bool SettingsHost_cl::GetBool(const String_cl& key, bool defaultValue) const
{
    return m_custom->GetBool(key.c_str(), defaultValue);
}

String_cl SettingsHost_cl::GetString(const String_cl& key, const String_cl& defaultValue) const
{
    return FetchText(
        [&](wchar_t* b, int n) { return m_custom->GetString(key.c_str(), defaultValue.c_str(), b, n); });
}

String_cl SettingsHost_cl::GetString(const String_cl& key) const
{
    return FetchText([&](wchar_t* b, int n) { return m_custom->GetString(key.c_str(), b, n); });
}

void SettingsHost_cl::AddRecord(const String_cl& key, const String_cl& value) const
{
    if (!m_recent->AddRecord(key.c_str(), value.c_str())) {
        throw SettingsSysError(2, __LINE__, key + L"\r\n" + value);
    }
}

std::vector<String_cl> SettingsHost_cl::GetRecords(const String_cl& key) const
{
    String_cl list =
        FetchText([&](wchar_t* b, int n) { return m_recent->GetRecords(key.c_str(), b, n); });
    std::vector<String_cl> out;
    size_t pos = 0;
    while (pos < list.size()) {
        size_t end = list.find(L'\0', pos);
        if (end == String_cl::npos) end = list.size();
        if (end > pos) out.push_back(list.substr(pos, end - pos));
        pos = end + 1;
    }
    return out;
}

bool SettingsHost_cl::RegisterWindow(HWND window, int id) const
{
    return m_ui->RegisterWindow(window, id);
}

void SettingsHost_cl::UnregisterWindow(HWND window) const { m_ui->UnregisterWindow(window); }

bool SettingsHost_cl::SendToWindow(int id, UINT message, LPARAM param) const
{
    return m_ui->SendToWindow(id, message, param);
}

} // namespace Quorvane_ns
