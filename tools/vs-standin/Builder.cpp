#include "tools/vs-standin/Builder.h"
#include <memory>
#include "tools/vs-standin/MiniXml.h"
#include "tools/vs-standin/StandinFiles.h"
#include <windows.h>
#include <cwctype>

namespace Standin_ns {

namespace {

bool Compilable(const std::wstring& path)
{
    for (const wchar_t* ext : {L".c", L".cpp", L".cxx", L".cc"})
        if (EndsWithNoCase(path, ext)) return true;
    return false;
}

std::wstring DecodeSource(const std::string& bytes)
{
    auto at = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (bytes.size() >= 3 && at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF)
        return Widen(std::string_view(bytes).substr(3), CP_UTF8);
    if (bytes.size() >= 2 && at(0) == 0xFF && at(1) == 0xFE)
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    return Widen(bytes, CP_ACP);
}

// The first #error directive of a source: its 1-based line and column, and its text.
bool FindErrorDirective(const std::wstring& text, size_t& line, size_t& column, std::wstring& message)
{
    size_t pos = 0;
    for (line = 1; pos < text.size(); ++line) {
        size_t end = text.find(L'\n', pos);
        if (end == std::wstring::npos) end = text.size();
        size_t p = pos;
        while (p < end && (text[p] == L' ' || text[p] == L'\t')) ++p;
        if (p < end && text[p] == L'#') {
            column = p - pos + 1;
            ++p;
            while (p < end && (text[p] == L' ' || text[p] == L'\t')) ++p;
            if (text.compare(p, 5, L"error") == 0 &&
                (p + 5 == end || !(std::iswalnum(text[p + 5]) || text[p + 5] == L'_'))) {
                message = Trim(std::wstring_view(text).substr(p + 5, end - p - 5));
                return true;
            }
        }
        pos = end + 1;
    }
    return false;
}

// The libraries of every #pragma comment(lib, "name") line.
void FindPragmaLibraries(const std::wstring& text, std::vector<std::wstring>& libraries)
{
    const std::wstring mark = L"#pragma comment(lib,";
    for (size_t at = text.find(mark); at != std::wstring::npos; at = text.find(mark, at + 1)) {
        const size_t open = text.find(L'"', at + mark.size());
        const size_t close = open == std::wstring::npos ? open : text.find(L'"', open + 1);
        const size_t end = text.find(L'\n', at);
        if (close == std::wstring::npos || (end != std::wstring::npos && close > end)) continue;
        libraries.push_back(text.substr(open + 1, close - open - 1));
    }
}

std::vector<std::wstring> ToolsetLibraryFolders()
{
    std::vector<std::wstring> folders = SplitList(EnvironmentValue(L"LIB"), L";");
    // The installation's own libraries, for runs without vcvarsall.bat: VC\lib
    // up to 2015, VC\Tools\MSVC\<toolset>\lib\<machine> since 2017.
    wchar_t exe[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return folders;
    const std::wstring vc = FullPath(FolderOf(std::wstring(exe, n)), L"..\\..\\VC");
    folders.push_back(vc + L"\\lib");
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW((vc + L"\\Tools\\MSVC\\*").c_str(), &found);
    for (BOOL more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileW(h, &found))
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && found.cFileName[0] != L'.')
            folders.push_back(vc + L"\\Tools\\MSVC\\" + found.cFileName + L"\\lib\\x86");
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
    return folders;
}

// The machine the environment's linker makes (VSCMD_ARG_TGT_ARCH, set by the
// environment script of 2017 and later); empty when none is set.
std::wstring TargetMachine()
{
    std::wstring arch = EnvironmentValue(L"VSCMD_ARG_TGT_ARCH");
    if (EqualsNoCase(arch, L"arm64")) return L"ARM64";
    if (EqualsNoCase(arch, L"arm")) return L"ARM";
    return arch;
}

} // namespace

Builder_cl::Builder_cl(Verb_en verb, const Messages_cl& messages)
    : m_verb(verb), m_messages(messages), m_trace(Trace_cl::FromEnvironment()),
      m_libraryFolders(ToolsetLibraryFolders()), m_targetMachine(TargetMachine()), m_startedMs(GetTickCount64())
{
    std::wstring delay = EnvironmentValue(L"QV_STANDIN_DELAY_MS");
    if (!delay.empty()) {
        long v = _wtol(delay.c_str());
        m_delayMs = v > 0 ? static_cast<unsigned>(v) : 0;
    }
    std::wstring linger = EnvironmentValue(L"QV_STANDIN_LINGER_MS");
    if (!linger.empty()) {
        long v = _wtol(linger.c_str());
        m_lingerMs = v > 0 ? static_cast<unsigned>(v) : 0;
    }
}

void Builder_cl::Flush()
{
    if (m_text.empty()) return;
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0, written = 0;
    if (out && out != INVALID_HANDLE_VALUE) {
        if (GetConsoleMode(out, &mode)) {
            WriteConsoleW(out, m_text.data(), static_cast<DWORD>(m_text.size()), &written, nullptr);
        } else {
            // Redirected into a log: the real builder writes the ANSI code page.
            int n = WideCharToMultiByte(CP_ACP, 0, m_text.data(), static_cast<int>(m_text.size()), nullptr, 0,
                                        nullptr, nullptr);
            std::string bytes(static_cast<size_t>(n > 0 ? n : 0), '\0');
            if (n > 0)
                WideCharToMultiByte(CP_ACP, 0, m_text.data(), static_cast<int>(m_text.size()), bytes.data(), n,
                                    nullptr, nullptr);
            WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        }
    }
    m_text.clear();
}

void Builder_cl::Count(Outcome_en outcome)
{
    if (outcome == Outcome_en::Succeeded) ++m_succeeded;
    else if (outcome == Outcome_en::Failed) ++m_failed;
    else ++m_upToDate;
}

void Builder_cl::MissingProject(const std::wstring& path)
{
    // Visual Studio unloads a project whose file is gone and carries on
    // without it: the solution's summary counts it as skipped, not failed.
    Write(m_messages.ProjectFileMissing(path));
    Flush();
    ++m_skipped;
}

void Builder_cl::Project(const std::wstring& path, const std::wstring& config, const std::wstring& solutionPath,
                         bool dependency)
{
    const unsigned long long start = Trace_cl::Now();
    std::wstring built = config;
    const Outcome_en outcome = BuildProject(path, built, solutionPath, dependency);
    m_trace.Append(path, built, start, Trace_cl::Now(),
                   outcome == Outcome_en::Succeeded ? L"built" : outcome == Outcome_en::Failed ? L"failed" : L"up-to-date",
                   m_asked.empty() ? path : m_asked);
}

void Builder_cl::NotSelected(const std::wstring& name, const std::wstring& config)
{
    StartNode();
    Node(m_messages.NotSelected(m_verb, name, config));
    Flush();
    ++m_skipped;
}

void Builder_cl::Node(const std::wstring& text)
{
    if (!m_messages.Msbuild() || m_node == 0 || text.empty()) {
        Write(text);
        return;
    }
    const std::wstring prefix = std::to_wstring(m_node) + L">";
    for (size_t pos = 0; pos < text.size();) {
        size_t end = text.find(L"\r\n", pos);
        end = end == std::wstring::npos ? text.size() : end + 2;
        Write(prefix + text.substr(pos, end - pos));
        pos = end;
    }
}

Builder_cl::Outcome_en Builder_cl::ProjectFailed(const std::wstring& path, const std::wstring& name,
                                                 const std::wstring& config, const std::wstring& error)
{
    StartNode();
    Node(m_messages.Header(m_verb, name, config));
    Node(error);
    Node(m_messages.Result(name, 1, 0));
    Node(m_messages.Failed(FileNameOf(path)));
    Flush();
    ++m_failed;
    return Outcome_en::Failed;
}

Builder_cl::Outcome_en Builder_cl::BuildProject(const std::wstring& path, std::wstring& config,
                                               const std::wstring& solutionPath, bool dependency)
{
    if (ProjectFile_cl::IsMsbuildProject(path) != m_messages.Msbuild()) {
        // A project of the other era: refused before anything is built.
        Write(m_messages.ProjectRefused(path));
        Flush();
        ++m_failed;
        return Outcome_en::Failed;
    }
    std::unique_ptr<ProjectFile_cl> project = ProjectFile_cl::For(path);
    std::wstring why;
    if (!project->Load(path, solutionPath, why))
        return ProjectFailed(path, StemOf(path), config, m_messages.ProjectLoadFailed(path, why));
    ProjectPlan_st plan;
    if (!project->Plan(config, m_libraryFolders, plan))
        return ProjectFailed(path, project->Name(), config, m_messages.NoConfiguration(project->Name(), path, config));
    if (!plan.error.empty())
        return ProjectFailed(path, project->Name(), plan.config, m_messages.ImportNotFound(path, plan.error));
    if (plan.outOfMemory)
        return ProjectFailed(path, project->Name(), plan.config,
                             m_messages.ProjectLoadFailed(path, m_messages.OutOfMemory()));
    config = plan.config;
    // What the builder finds up to date among the projects it only checks
    // on the way takes it no time worth waiting for.
    const bool upToDate = m_verb == Verb_en::Build && IsUpToDate(plan);
    const unsigned delay = upToDate && dependency ? 0 : m_delayMs;
    if (m_messages.Msbuild() && upToDate) {
        // Counted, and not a line about it.
        if (delay) Sleep(delay);
        Count(Outcome_en::UpToDate);
        return Outcome_en::UpToDate;
    }
    StartNode();
    Node(m_messages.Header(m_verb, project->Name(), plan.config));
    Flush();
    if (delay) Sleep(delay);
    const Outcome_en outcome = Run(*project, plan);
    Count(outcome);
    Flush();
    if (m_lingerMs) Sleep(m_lingerMs);
    return outcome;
}

Builder_cl::Outcome_en Builder_cl::Run(const ProjectFile_cl& project, const ProjectPlan_st& plan)
{
    if (m_verb != Verb_en::Build) {
        Node(m_messages.Deleting(project.Name(), plan.config));
        DeleteOutputs(plan);
        if (m_verb == Verb_en::Clean) return Outcome_en::Succeeded;
    } else if (!m_messages.Msbuild() && IsUpToDate(plan)) {
        Node(m_messages.UpToDate(project.Name()));
        return Outcome_en::UpToDate;
    }
    int errors = Compile(plan);
    // A source's #pragma comment(lib, "x.lib") makes the linker want x.lib
    // too, though the project file never names it.
    ProjectPlan_st linked = plan;
    for (const std::wstring& name : m_pragmaLibraries) {
        bool named = false;
        for (const auto& l : linked.libraries) named = named || EqualsNoCase(FileNameOf(l.written), name);
        if (named) continue;
        LibraryRef_st lib{name, std::wstring()};
        for (const auto& f : linked.libraryFolders)
            if (FileExists(FullPath(f, name))) {
                lib.found = FullPath(f, name);
                break;
            }
        linked.libraries.push_back(lib);
    }
    if (errors == 0) errors = Link(project, linked);
    const std::wstring projectFile = FileNameOf(plan.projectFiles.front());
    Node(m_messages.BuildLogSaved(plan.intDir));
    Node(m_messages.Result(project.Name(), errors, 0));
    if (errors) Node(m_messages.Failed(projectFile));
    else if (!plan.outputs.empty()) Node(m_messages.Produced(projectFile, plan.outputs.front()));
    return errors ? Outcome_en::Failed : Outcome_en::Succeeded;
}

bool Builder_cl::IsUpToDate(const ProjectPlan_st& plan) const
{
    if (plan.outputs.empty()) return false;
    unsigned long long oldestOutput = ~0ull, t = 0;
    for (const auto& o : plan.outputs) {
        if (!FileTime(o, t)) return false;
        if (t < oldestOutput) oldestOutput = t;
    }
    for (const auto& f : plan.projectFiles)
        if (FileTime(f, t) && t > oldestOutput) return false;
    for (const auto& s : plan.sources)
        if (FileTime(s.path, t) && t > oldestOutput) return false;
    for (const auto& l : plan.libraries)
        if (l.found.empty() || (FileTime(l.found, t) && t > oldestOutput)) return false;
    return true;
}

int Builder_cl::Compile(const ProjectPlan_st& plan)
{
    int errors = 0;
    bool announced = false;
    m_pragmaLibraries.clear();
    for (const auto& s : plan.sources) {
        bool compiled = Compilable(s.path);
        if (compiled) {
            if (!announced) Node(m_messages.Compiling());
            announced = true;
            Node(m_messages.CompiledFile(FileNameOf(s.path)));
        }
        std::string bytes;
        if (!ReadFileBytes(s.path, bytes)) continue;
        size_t line = 0, column = 0;
        std::wstring message;
        const std::wstring text = DecodeSource(bytes);
        FindPragmaLibraries(text, m_pragmaLibraries);
        if (FindErrorDirective(text, line, column, message)) {
            Node(m_messages.CompileError(s.written, s.path, line, column, message));
            ++errors;
        }
    }
    return errors;
}

int Builder_cl::Link(const ProjectFile_cl& project, const ProjectPlan_st& plan)
{
    if (plan.outputs.empty()) return 0;
    Node(plan.linked ? m_messages.Linking() : m_messages.CreatingLibrary());
    if (!plan.machine.empty() && !m_targetMachine.empty() && !EqualsNoCase(plan.machine, m_targetMachine)) {
        // Objects for one machine, a linker for another.
        Node(m_messages.MachineConflict(plan.firstObject, plan.machine, m_targetMachine));
        return 1;
    }
    for (const auto& l : plan.libraries) {
        if (l.found.empty()) {
            // The linker stops at the first library it cannot open. A
            // dependency named with a folder is an input file to it, which
            // it reports with LNK1181 rather than LNK1104 (so is a
            // referenced project's library, which the build names in full).
            bool withFolder = l.written.find_first_of(L"\\/") != std::wstring::npos;
            Node(withFolder ? m_messages.CannotOpenInputFile(l.written) : m_messages.CannotOpenFile(l.written));
            return 1;
        }
    }
    for (const auto& o : plan.outputs) {
        CreateFolders(FolderOf(o));
        std::wstring note = L"Quorvane builder stand-in output of " + project.Name() + L", " + plan.config + L"\r\n";
        int n = WideCharToMultiByte(CP_UTF8, 0, note.data(), static_cast<int>(note.size()), nullptr, 0, nullptr,
                                    nullptr);
        std::string bytes(static_cast<size_t>(n), '\0');
        WideCharToMultiByte(CP_UTF8, 0, note.data(), static_cast<int>(note.size()), bytes.data(), n, nullptr, nullptr);
        if (!ReplaceSmallFile(o, bytes)) {
            Node(m_messages.CannotOpenForWriting(o));
            return 1;
        }
    }
    if (plan.linked && !plan.importLibrary.empty()) Node(m_messages.CreatingImportLibrary(plan.importLibrary));
    return 0;
}

void Builder_cl::DeleteOutputs(const ProjectPlan_st& plan)
{
    for (const auto& o : plan.outputs) {
        SetFileAttributesW(o.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(o.c_str());
    }
}

void Builder_cl::Summary()
{
    Write(m_messages.Summary(m_verb, m_succeeded, m_failed, m_upToDate, m_skipped));
    SYSTEMTIME now;
    GetLocalTime(&now);
    Write(m_messages.Completed(m_verb, now.wHour, now.wMinute, GetTickCount64() - m_startedMs));
    Flush();
}

} // namespace Standin_ns
