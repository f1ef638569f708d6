#pragma once
// The lines the stand-in writes, in the English and in the Chinese edition of
// the Visual Studio 2008 command-line builder. The summary and linker lines
// are the ones build log readers look for; the rest only has to look right.
#include <string>

namespace Standin_ns {

enum class Verb_en { Build, Rebuild, Clean };

class Messages_cl {
public:
    explicit Messages_cl(bool chinese) : m_zh(chinese) {}
    // The edition named by the environment ("zh..." is Chinese; anything else,
    // or nothing, English).
    static Messages_cl FromEnvironment();
    bool Chinese() const { return m_zh; }

    std::wstring Banner() const;
    std::wstring Usage() const;
    std::wstring FilesNotFound(const std::wstring& path) const;
    std::wstring InvalidSolutionConfiguration(const std::wstring& config) const;

    std::wstring Header(Verb_en verb, const std::wstring& project, const std::wstring& config) const;
    std::wstring Deleting(const std::wstring& project, const std::wstring& config) const;
    std::wstring Compiling() const;
    std::wstring Linking() const;
    std::wstring CreatingLibrary() const;
    std::wstring CreatingImportLibrary(const std::wstring& lib) const;
    std::wstring CompileError(const std::wstring& file, size_t line, const std::wstring& text) const;
    std::wstring CannotOpenFile(const std::wstring& file) const;
    std::wstring CannotOpenInputFile(const std::wstring& file) const;
    std::wstring CannotOpenForWriting(const std::wstring& file) const;
    std::wstring BuildLogSaved(const std::wstring& folder) const;
    std::wstring Result(const std::wstring& project, int errors, int warnings) const;
    std::wstring UpToDate(const std::wstring& project) const;
    std::wstring NoConfiguration(const std::wstring& project, const std::wstring& config) const;
    std::wstring ProjectFileMissing(const std::wstring& path) const;
    std::wstring ProjectLoadFailed(const std::wstring& path, const std::wstring& why) const;

    std::wstring Summary(Verb_en verb, int succeeded, int failed, int upToDate, int skipped) const;

private:
    bool m_zh;
};

} // namespace Standin_ns
