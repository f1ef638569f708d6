#include "app/store/SolutionFileReader.h"
#include "common/io/FileStream.h"
#include "app/ProgramPlaces.h"
#include "app/engine/projectfiles/ProjectFileReader.h"

namespace Quorvane_ns {
namespace {

using OriList_cl = Container_ns::List_tl<SolutionPack_cl::ProjectOriInfo_st>;

const wchar_t kProjectStart[] = L"Project(";
const wchar_t kProjectEnd[] = L"EndProject";
const wchar_t kConfigurationSection[] = L"GlobalSection(ProjectConfigurationPlatforms) = postSolution";
const wchar_t kSectionEnd[] = L"EndGlobalSection";
const wchar_t kDependencySection[] = L"ProjectSection(ProjectDependencies) = postProject";
const wchar_t kProjectSectionEnd[] = L"EndProjectSection";
// Every solution file begins with its header line (after a byte-order mark
// and a blank line) and ends with the end of its Global section.
const wchar_t kHeader[] = L"Microsoft Visual Studio Solution File, Format Version";
const wchar_t kGlobalStart[] = L"Global";
const wchar_t kGlobalEnd[] = L"EndGlobal";

// "{GUID}.Debug|Win32.Build.0 = Debug|Win32": the project with that GUID is
// built as "Debug|Win32" when the solution is built as "Debug|Win32". A GUID
// holds no dot, and the kind is one of the builder's few words at the end
// of the key ("ActiveCfg", "Build.0", "Deploy.0"): the solution
// configuration between them may hold dots of its own ("Release.MT|Win32").
// A line of another shape is not a Build.0 line.
void ReadConfigurationLine(const String_cl& word, OriList_cl& out)
{
    const size_t equals = word.find(L" = ");
    if (equals == String_cl::npos) return;
    const std::wstring_view key = std::wstring_view(word).substr(0, equals);
    const size_t dot = key.find(L'.');
    const std::wstring_view buildKind = L".Build.0";
    if (dot == std::wstring_view::npos || key.size() <= dot + 1 + buildKind.size() ||
        key.substr(key.size() - buildKind.size()) != buildKind)
        return;
    const String_cl guid(key.substr(0, dot));
    const String_cl solutionConfig(key.substr(dot + 1, key.size() - buildKind.size() - dot - 1));
    const String_cl projectConfig = word.substr(equals + 3);
    const String_cl upper = Base_ns::ToUpper(solutionConfig);
    for (auto& entry : out) {
        if (entry.guid == guid) entry.configurations.insert({upper, projectConfig});
    }
}

} // namespace

void ReadSolutionFile(OriList_cl& out, const String_cl& path, const SolutionPack_cl& raiser)
{
    IO_ns::FileStream_tl<IO_ns::TextIStream_cl> stream;
    stream.Open(path);
    // Quotes and line ends split the words; spaces stay inside them, so the
    // entry "Project(", type, ") = ", name, ", ", path, ", ", GUID arrives as
    // eight words and a configuration line as one.
    stream.SetSeparators(String_cl(L"\r\n\"\t"));

    const String_cl folder = GetFileDirectory(path, false);
    int state = 0;
    String_cl pending;
    String_cl word;
    // What makes the file a solution: its header line, a project entry, the
    // Global section and the end of that section.
    bool header = false, entry = false, global = false, ended = false;
    while (stream.ReadWord(word) > 0) {
        switch (state) {
        case 0:
            if (word.find(kHeader) != String_cl::npos) header = true;
            if (word == kGlobalStart) global = true;
            if (word == kGlobalEnd) ended = true;
            if (word == kProjectStart) {
                entry = true;
                pending.clear();
                state = 1;
            } else if (word == kConfigurationSection) {
                state = 9;
            }
            break;
        case 1:   // project type GUID
        case 2:   // ") = "
        case 3:   // project name
        case 4:   // ", "
        case 6:   // ", "
            ++state;
            break;
        case 5:
            if (IsVcProjectFile(word)) pending = MakeAbsolutePath(folder, word);
            state = 6;
            break;
        case 7:
            if (!pending.empty()) {
                SolutionPack_cl::ProjectOriInfo_st info;
                info.path = pending;
                info.guid = word;
                out.PushBack(info);
            }
            state = 8;
            break;
        case 8:
            if (word == kProjectEnd) state = 0;
            else if (word == kDependencySection) state = 10;
            break;
        case 10:
            // "{GUID} = {GUID}": the project needs the project of that GUID.
            if (word == kProjectSectionEnd) {
                state = 8;
            } else if (!pending.empty()) {
                const String_cl guid = word.substr(0, word.find(L" = "));
                if (!guid.empty()) out.Last()->dependencies.push_back(guid);
            }
            break;
        case 9:
            if (word == kSectionEnd) {
                state = 0;
            } else {
                ReadConfigurationLine(word, out);
            }
            break;
        }
    }
    stream.Close();
    // Garbage, an empty file or text of another kind is no solution of no
    // projects; neither is one cut short before the end of its Global
    // section: each is the file's fault, named.
    if (!header && !entry) throw raiser.UserError(104, __LINE__, path);
    if (state != 0) throw raiser.UserError(101, 771, path);
    if ((header || global) && !ended) throw raiser.UserError(105, __LINE__, path);
}

} // namespace Quorvane_ns
