#pragma once
// Helpers shared by the test programs: a presenter that records what would
// have been shown, temporary folders, raw file access, and the places of the
// builder stand-in installations laid out by the build.
#include <windows.h>
#include <string>
#include <vector>
#include <mutex>
#include "common/base/Presenter.h"
#include "common/base/String.h"

namespace Test_ns {

using Base_ns::String_cl;

struct Shown_st {
    HWND owner;
    String_cl text;
    String_cl caption;
    UINT type;
};

// Installs itself on construction, restores message boxes on destruction.
// answer is what Message returns (IDOK by default).
class RecordingPresenter_cl : public Base_ns::Presenter_cl {
public:
    explicit RecordingPresenter_cl(int answer = IDOK);
    ~RecordingPresenter_cl() override;
    int Message(HWND owner, const String_cl& text, const String_cl& caption, UINT type) override;
    std::vector<Shown_st> Shown() const;
    void SetAnswer(int answer) { m_answer = answer; }

private:
    mutable std::mutex m_mutex;
    std::vector<Shown_st> m_shown;
    int m_answer;
    Base_ns::Presenter_cl* m_previous;
};

// A fresh folder under the temporary folder, removed with everything in it.
class TempDir_cl {
public:
    explicit TempDir_cl(const wchar_t* hint = L"qv");
    ~TempDir_cl();
    TempDir_cl(const TempDir_cl&) = delete;
    TempDir_cl& operator=(const TempDir_cl&) = delete;
    // The folder with a trailing backslash.
    const String_cl& Path() const { return m_path; }
    String_cl operator/(std::wstring_view name) const { return m_path + String_cl(name); }

private:
    String_cl m_path;
};

// Sets an environment variable of this process (which the programs it
// starts inherit) for the scope's life, and removes it at its end.
class EnvironmentScope_cl {
public:
    EnvironmentScope_cl(const wchar_t* name, const String_cl& value) : m_name(name)
    {
        SetEnvironmentVariableW(name, value.c_str());
    }
    ~EnvironmentScope_cl() { SetEnvironmentVariableW(m_name, nullptr); }
    EnvironmentScope_cl(const EnvironmentScope_cl&) = delete;
    EnvironmentScope_cl& operator=(const EnvironmentScope_cl&) = delete;

private:
    const wchar_t* m_name;
};

void RemoveTree(const String_cl& folder);
// Creates the folders of a path; what follows its last backslash names a file.
void CreateFolders(const String_cl& path);
bool FileExists(const String_cl& path);
bool WriteBytes(const String_cl& path, const std::string& bytes);
std::string ReadBytes(const String_cl& path);
// UTF-16LE with the mark FF FE, as the system writes its own text files.
bool WriteUtf16(const String_cl& path, const String_cl& text);
// Decodes by mark: FF FE → UTF-16LE, EF BB BF → UTF-8, otherwise the ANSI code page.
String_cl ReadText(const String_cl& path);
// Text in the ANSI code page of the running Wine/Windows.
std::string Ansi(const String_cl& text);

// The directory of the test program, with a trailing backslash.
String_cl ExeDirectory();
// The installation folder of the builder stand-in ("zh" or "en" edition),
// ending in a backslash, laid out by the build next to the test programs:
// Visual Studio 2008 in the layout "vs", 2015 in "vs2015", 2022 in "vs2022".
String_cl StandinDir(const wchar_t* edition, const wchar_t* layout = L"vs");
// The Visual Studio installer's locator (the vswhere stand-in the build puts
// in tools\) in a program folder of its own, which %ProgramFiles(x86)% names
// for this process and the programs it starts while the object lives.
class LocatorStandin_cl {
public:
    LocatorStandin_cl();
    ~LocatorStandin_cl();
    LocatorStandin_cl(const LocatorStandin_cl&) = delete;
    LocatorStandin_cl& operator=(const LocatorStandin_cl&) = delete;
    bool Ready() const { return m_ready; }
    // The installation it names from now on, written in the ANSI code page
    // as the real one writes it; empty: it names none.
    void Names(const String_cl& folder);

private:
    TempDir_cl m_programFiles{L"qv-pf"};
    String_cl m_installer;
    String_cl m_old;
    bool m_had = false;
    bool m_ready = false;
};

// Runs a command line, waits, returns the exit code (or -1). output receives
// what the process wrote to its standard output and error until it ended.
int RunProcess(const String_cl& commandLine, const String_cl& workDir = String_cl(),
               std::string* output = nullptr);
// Starts a command line without waiting for it; the process handle, or null.
HANDLE StartProcess(const String_cl& commandLine);
// Waits for a process from StartProcess, closes its handle and returns its
// exit code (-1 for a null handle).
int EndProcess(HANDLE process);

} // namespace Test_ns
