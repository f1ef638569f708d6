#pragma once
// The lines the stand-in writes, in the English and in the Chinese edition of
// the Visual Studio command-line builder: the 2008 one (VCBuild) and the 2010
// and later ones (MSBuild), whose lines carry node prefixes ("1>") and say
// less. The summary and linker lines are the ones build log readers look
// for; the rest only has to look right. A line a release does not write is
// empty text here.
#include <string>

namespace Standin_ns {

enum class Verb_en { Build, Rebuild, Clean };

// The Visual Studio the stand-in pretends to be. 2005 writes what 2008 does
// but for its Chinese counters (the count before "已成功"); 2010 to 2019
// write the same lines; 2022 writes its counters otherwise in Chinese and a
// closing line with the time.
enum class Release_en { Vs2005, Vs2008, Vs2015, Vs2022 };

class Messages_cl {
public:
    Messages_cl(bool chinese, Release_en release) : m_zh(chinese), m_release(release) {}
    // The edition named by the environment ("zh..." is Chinese; anything else,
    // or nothing, English).
    static Messages_cl FromEnvironment(Release_en release);
    bool Chinese() const { return m_zh; }
    Release_en Release() const { return m_release; }
    // The MSBuild builders: numbered project lines, no line for a project
    // that is up to date, .vcxproj projects instead of .vcproj ones.
    bool Msbuild() const { return m_release != Release_en::Vs2005 && m_release != Release_en::Vs2008; }

    std::wstring Banner() const;
    std::wstring Usage() const;
    std::wstring FilesNotFound(const std::wstring& path) const;
    std::wstring InvalidSolutionConfiguration(const std::wstring& config) const;

    std::wstring Header(Verb_en verb, const std::wstring& project, const std::wstring& config) const;
    std::wstring Deleting(const std::wstring& project, const std::wstring& config) const;
    std::wstring Compiling() const;
    std::wstring CompiledFile(const std::wstring& name) const;
    std::wstring Linking() const;
    std::wstring CreatingLibrary() const;
    std::wstring CreatingImportLibrary(const std::wstring& lib) const;
    // written: the source as the project names it; path: in full.
    std::wstring CompileError(const std::wstring& written, const std::wstring& path, size_t line, size_t column,
                              const std::wstring& text) const;
    std::wstring CannotOpenFile(const std::wstring& file) const;
    std::wstring CannotOpenInputFile(const std::wstring& file) const;
    std::wstring CannotOpenForWriting(const std::wstring& file) const;
    std::wstring MachineConflict(const std::wstring& object, const std::wstring& module,
                                 const std::wstring& target) const;
    std::wstring BuildLogSaved(const std::wstring& folder) const;
    std::wstring Result(const std::wstring& project, int errors, int warnings) const;
    // What a successful MSBuild build names: the project file and its output.
    std::wstring Produced(const std::wstring& projectFile, const std::wstring& output) const;
    std::wstring Failed(const std::wstring& projectFile) const;
    std::wstring UpToDate(const std::wstring& project) const;
    std::wstring NoConfiguration(const std::wstring& project, const std::wstring& path,
                                 const std::wstring& config) const;
    std::wstring ProjectFileMissing(const std::wstring& path) const;
    std::wstring ProjectLoadFailed(const std::wstring& path, const std::wstring& why) const;
    // Why MSBuild could not load a project whose values outgrew its memory.
    std::wstring OutOfMemory() const;
    // An MSBuild project imports a file that does not exist (error MSB4019).
    std::wstring ImportNotFound(const std::wstring& path, const std::wstring& imported) const;
    // A project a solution build reaches that the solution configuration
    // does not build: two lines, the first like a header.
    std::wstring NotSelected(Verb_en verb, const std::wstring& project, const std::wstring& config) const;
    // /project names no project of the solution.
    std::wstring ProjectNotInSolution(const std::wstring& project) const;
    // A project file of the other era: a .vcxproj to 2008, which does not
    // know the type, or a .vcproj to a later one, which wants it converted.
    std::wstring ProjectRefused(const std::wstring& path) const;

    std::wstring Summary(Verb_en verb, int succeeded, int failed, int upToDate, int skipped) const;
    // The closing line of 2022: the local time the run ended, how long it took.
    std::wstring Completed(Verb_en verb, int hour, int minute, unsigned long long elapsedMs) const;

private:
    // Tool output of 2010 to 2015 stands two spaces in.
    const wchar_t* Indent() const { return m_release == Release_en::Vs2015 ? L"  " : L""; }
    const wchar_t* ReleaseName() const;

    bool m_zh;
    Release_en m_release;
};

} // namespace Standin_ns
