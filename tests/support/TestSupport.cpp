#include "tests/support/TestSupport.h"
#include <atomic>

namespace Test_ns {

RecordingPresenter_cl::RecordingPresenter_cl(int answer)
    : m_answer(answer), m_previous(Base_ns::CurrentPresenter())
{
    Base_ns::SetPresenter(this);
}

RecordingPresenter_cl::~RecordingPresenter_cl() { Base_ns::SetPresenter(m_previous); }

int RecordingPresenter_cl::Message(HWND owner, const String_cl& text, const String_cl& caption, UINT type)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_shown.push_back({owner, text, caption, type});
    return m_answer;
}

std::vector<Shown_st> RecordingPresenter_cl::Shown() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_shown;
}

TempDir_cl::TempDir_cl(const wchar_t* hint)
{
    static std::atomic<unsigned> counter{0};
    wchar_t tmp[MAX_PATH];
    DWORD n = GetTempPathW(MAX_PATH, tmp);
    String_cl base(tmp, n);
    for (;;) {
        String_cl p = base + hint + L"-" + String_cl::FromUnsigned(GetCurrentProcessId()) + L"-" +
                      String_cl::FromUnsigned(GetTickCount()) + L"-" +
                      String_cl::FromUnsigned(counter++);
        if (CreateDirectoryW(p.c_str(), nullptr)) {
            m_path = p + L"\\";
            break;
        }
    }
}

TempDir_cl::~TempDir_cl() { RemoveTree(m_path); }

void RemoveTree(const String_cl& folder)
{
    String_cl dir = folder;
    if (!dir.empty() && dir.back() != L'\\') dir += L'\\';
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            String_cl name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            String_cl p = dir + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(p);
            } else {
                SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(p.c_str());
            }
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(dir.c_str());
}

void CreateFolders(const String_cl& path)
{
    // The backslash of "C:\" ends no folder to create.
    for (size_t at = path.find(L'\\', 3); at != String_cl::npos; at = path.find(L'\\', at + 1))
        CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
}

bool FileExists(const String_cl& path)
{
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool WriteBytes(const String_cl& path, const std::string& bytes)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD w = 0;
    BOOL ok = bytes.empty() || WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &w, nullptr);
    CloseHandle(h);
    return ok && w == bytes.size();
}

std::string ReadBytes(const String_cl& path)
{
    std::string out;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return out;
    char buf[65536];
    DWORD r = 0;
    while (ReadFile(h, buf, sizeof buf, &r, nullptr) && r > 0) out.append(buf, r);
    CloseHandle(h);
    return out;
}

bool WriteUtf16(const String_cl& path, const String_cl& text)
{
    std::string bytes("\xFF\xFE", 2);
    bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    return WriteBytes(path, bytes);
}

String_cl ReadText(const String_cl& path)
{
    std::string b = ReadBytes(path);
    if (b.size() >= 2 && static_cast<unsigned char>(b[0]) == 0xFF && static_cast<unsigned char>(b[1]) == 0xFE)
        return String_cl(reinterpret_cast<const wchar_t*>(b.data() + 2), (b.size() - 2) / 2);
    if (b.size() >= 3 && b.compare(0, 3, "\xEF\xBB\xBF") == 0)
        return String_cl::FromUtf8(std::string_view(b).substr(3));
    return String_cl::FromMultiByte(b, CP_ACP);
}

std::string Ansi(const String_cl& text) { return text.ToMultiByte(CP_ACP); }

String_cl ExeDirectory()
{
    wchar_t buf[1024];
    DWORD n = GetModuleFileNameW(nullptr, buf, 1024);
    String_cl p(buf, n);
    return p.substr(0, p.find_last_of(L'\\') + 1);
}

String_cl StandinDir(const wchar_t* edition, const wchar_t* layout)
{
    // bin\ holds the programs; the installations lie in <layout>\<edition>\ beside it.
    return ExeDirectory() + L"..\\" + layout + L"\\" + edition + L"\\";
}

LocatorStandin_cl::LocatorStandin_cl() : m_installer(m_programFiles / L"Microsoft Visual Studio\\Installer\\")
{
    CreateFolders(m_installer + L"vswhere.exe");
    m_ready = CopyFileW((ExeDirectory() + L"..\\tools\\vswhere.exe").c_str(), (m_installer + L"vswhere.exe").c_str(),
                        FALSE) != 0;
    wchar_t old[4096];
    const DWORD n = GetEnvironmentVariableW(L"ProgramFiles(x86)", old, 4096);
    m_had = n > 0 && n < 4096;
    if (m_had) m_old.assign(old, n);
    SetEnvironmentVariableW(L"ProgramFiles(x86)", m_programFiles.Path().c_str());
}

LocatorStandin_cl::~LocatorStandin_cl()
{
    SetEnvironmentVariableW(L"ProgramFiles(x86)", m_had ? m_old.c_str() : nullptr);
}

void LocatorStandin_cl::Names(const String_cl& folder)
{
    const String_cl answer = m_installer + L"installationPath.txt";
    if (folder.empty()) {
        DeleteFileW(answer.c_str());
        return;
    }
    // Without its final separator, as the locator prints a folder.
    const String_cl text = folder.EndsWith(L"\\") ? String_cl(folder.substr(0, folder.size() - 1)) : folder;
    WriteBytes(answer, Ansi(text) + "\r\n");
}

HANDLE StartProcess(const String_cl& commandLine)
{
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    String_cl cmd = commandLine;
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
        return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

int EndProcess(HANDLE process)
{
    if (!process) return -1;
    WaitForSingleObject(process, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    return static_cast<int>(code);
}

int RunProcess(const String_cl& commandLine, const String_cl& workDir, std::string* output)
{
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE rd = nullptr, wr = nullptr;
    if (output && !CreatePipe(&rd, &wr, &sa, 0)) return -1;
    if (rd) SetHandleInformation(rd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    if (output) {
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = wr;
        si.hStdError = wr;
        si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    }
    PROCESS_INFORMATION pi{};
    String_cl cmd = commandLine;
    BOOL ok = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, output != nullptr,
                             CREATE_NO_WINDOW, nullptr, workDir.empty() ? nullptr : workDir.c_str(),
                             &si, &pi);
    if (wr) CloseHandle(wr);
    if (!ok) {
        if (rd) CloseHandle(rd);
        return -1;
    }
    if (output) {
        // Reads what is there until the process has ended, never waiting for
        // the end of the pipe: a process started on the child's behalf can
        // keep the writing end open far longer. Under Wine the desktop
        // process (explorer.exe /desktop), started for the first program of
        // a session that needs a window, takes that program's error handle
        // as its own and lives as long as the session, which this test
        // program keeps alive: waiting for the end of the pipe never returned.
        char buf[4096];
        for (bool ended = false;;) {
            DWORD available = 0, r = 0;
            while (PeekNamedPipe(rd, nullptr, 0, nullptr, &available, nullptr) && available > 0 &&
                   ReadFile(rd, buf, available < sizeof buf ? available : sizeof buf, &r, nullptr) && r > 0)
                output->append(buf, r);
            if (ended) break;
            ended = WaitForSingleObject(pi.hProcess, 10) == WAIT_OBJECT_0;
        }
        CloseHandle(rd);
    }
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return static_cast<int>(code);
}

} // namespace Test_ns
