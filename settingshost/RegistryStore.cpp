#include "settingshost/RegistryStore.h"
#include <cwchar>

namespace SettingsHost_ns {
namespace {

bool IsUsableKey(const wchar_t* key) { return key && *key; }

bool SameIgnoringCase(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// Reads a value of the given RRF_RT_* kind as raw wide characters.
bool ReadWide(HKEY key, const wchar_t* name, DWORD kind, std::wstring& out)
{
    for (int attempt = 0; attempt < 8; ++attempt) {
        DWORD bytes = 0;
        LONG e = RegGetValueW(key, nullptr, name, kind, nullptr, nullptr, &bytes);
        if (e != ERROR_SUCCESS) return false;
        std::wstring buf(bytes / sizeof(wchar_t) + 2, L'\0');
        bytes = static_cast<DWORD>(buf.size() * sizeof(wchar_t));
        e = RegGetValueW(key, nullptr, name, kind, nullptr, buf.data(), &bytes);
        if (e == ERROR_MORE_DATA) continue;   // grew between the two calls
        if (e != ERROR_SUCCESS) return false;
        buf.resize(bytes / sizeof(wchar_t));
        out = std::move(buf);
        return true;
    }
    return false;
}

} // namespace

RegistryStore_cl::~RegistryStore_cl()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    CloseLocked();
}

bool RegistryStore_cl::IsUsableName(const wchar_t* name)
{
    if (!name || !*name) return false;
    size_t n = wcslen(name);
    if (n > 200) return false;
    for (size_t i = 0; i < n; ++i) {
        if (name[i] < 0x20 || name[i] == L'\\' || name[i] == L'/') return false;
    }
    return true;
}

bool RegistryStore_cl::Open(const wchar_t* productName)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    CloseLocked();
    if (!IsUsableName(productName)) return false;
    std::wstring root = std::wstring(L"Software\\") + productName;
    HKEY settings = nullptr;
    HKEY recent = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, (root + L"\\Settings").c_str(), 0, nullptr, 0,
                        KEY_READ | KEY_WRITE, nullptr, &settings, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    if (RegCreateKeyExW(HKEY_CURRENT_USER, (root + L"\\Recent").c_str(), 0, nullptr, 0,
                        KEY_READ | KEY_WRITE, nullptr, &recent, nullptr) != ERROR_SUCCESS) {
        RegCloseKey(settings);
        return false;
    }
    m_settings = settings;
    m_recent = recent;
    return true;
}

void RegistryStore_cl::Close()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    CloseLocked();
}

void RegistryStore_cl::CloseLocked()
{
    for (HKEY* k : {&m_settings, &m_recent}) {
        if (*k) {
            RegFlushKey(*k);
            RegCloseKey(*k);
            *k = nullptr;
        }
    }
    m_registered.clear();
}

bool RegistryStore_cl::SetBool(const wchar_t* key, bool value)
{
    if (!IsUsableKey(key)) return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_settings) return false;
    DWORD v = value ? 1 : 0;
    return RegSetValueExW(m_settings, key, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v),
                          sizeof v) == ERROR_SUCCESS;
}

bool RegistryStore_cl::SetString(const wchar_t* key, const wchar_t* value)
{
    if (!IsUsableKey(key)) return false;
    if (!value) value = L"";
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_settings) return false;
    DWORD bytes = static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t));
    return RegSetValueExW(m_settings, key, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                          bytes) == ERROR_SUCCESS;
}

bool RegistryStore_cl::GetBool(const wchar_t* key, bool defaultValue)
{
    if (!IsUsableKey(key)) return defaultValue;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_settings) return defaultValue;
    DWORD v = 0;
    DWORD bytes = sizeof v;
    if (RegGetValueW(m_settings, nullptr, key, RRF_RT_REG_DWORD, nullptr, &v, &bytes) !=
        ERROR_SUCCESS) {
        return defaultValue;
    }
    return v != 0;
}

bool RegistryStore_cl::ReadString(const wchar_t* key, std::wstring& out)
{
    if (!IsUsableKey(key)) return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_settings) return false;
    std::wstring raw;
    if (!ReadWide(m_settings, key, RRF_RT_REG_SZ, raw)) return false;
    // RegGetValue guarantees a terminator; the text ends at the first one.
    size_t end = raw.find(L'\0');
    out = end == std::wstring::npos ? raw : raw.substr(0, end);
    return true;
}

void RegistryStore_cl::RegisterString(const std::wstring& key, const std::wstring& defaultValue)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_registered[key] = defaultValue;
}

std::wstring RegistryStore_cl::RegisteredString(const wchar_t* key)
{
    std::wstring value;
    if (ReadString(key, value)) return value;
    if (!key) return value;
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_registered.find(key);
    return it == m_registered.end() ? std::wstring() : it->second;
}

std::vector<std::wstring> RegistryStore_cl::RecordsLocked(const wchar_t* key)
{
    std::vector<std::wstring> out;
    std::wstring raw;
    if (!m_recent || !ReadWide(m_recent, key, RRF_RT_REG_MULTI_SZ, raw)) return out;
    size_t pos = 0;
    while (pos < raw.size() && raw[pos] != L'\0') {
        size_t end = raw.find(L'\0', pos);
        if (end == std::wstring::npos) end = raw.size();
        out.push_back(raw.substr(pos, end - pos));
        pos = end + 1;
    }
    return out;
}

std::vector<std::wstring> RegistryStore_cl::Records(const wchar_t* key)
{
    if (!IsUsableKey(key)) return {};
    std::lock_guard<std::mutex> lock(m_mutex);
    return RecordsLocked(key);
}

bool RegistryStore_cl::AddRecord(const wchar_t* key, const wchar_t* value)
{
    if (!IsUsableKey(key)) return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_recent) return false;
    // An empty entry cannot be told apart from the list's end in REG_MULTI_SZ,
    // and a combo box has nothing to show for it.
    if (!value || !*value) return true;
    std::vector<std::wstring> entries = RecordsLocked(key);
    std::vector<std::wstring> list{value};
    for (const std::wstring& e : entries) {
        if (static_cast<int>(list.size()) >= kMaxRecords) break;
        if (!SameIgnoringCase(e, list.front())) list.push_back(e);
    }
    std::wstring raw;
    for (const std::wstring& e : list) {
        raw += e;
        raw += L'\0';
    }
    raw += L'\0';
    return RegSetValueExW(m_recent, key, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(raw.data()),
                          static_cast<DWORD>(raw.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
}

} // namespace SettingsHost_ns
