#include "tools/vs-standin/Messages.h"
#include "tools/vs-standin/StandinFiles.h"

namespace Standin_ns {

namespace {
std::wstring Num(long long v) { return std::to_wstring(v); }
} // namespace

Messages_cl Messages_cl::FromEnvironment()
{
    std::wstring edition = EnvironmentValue(L"QV_STANDIN_EDITION");
    return Messages_cl(edition.size() >= 2 && EqualsNoCase(std::wstring_view(edition).substr(0, 2), L"zh"));
}

std::wstring Messages_cl::Banner() const
{
    return m_zh ? L"\r\nQuorvane 测试用 Visual Studio 2008 命令行生成程序替身 (中文版)\r\n\r\n"
                : L"\r\nQuorvane test stand-in for the Visual Studio 2008 command-line builder (English edition)\r\n\r\n";
}

std::wstring Messages_cl::Usage() const
{
    return m_zh ? L"用法:\r\ndevenv <解决方案或项目文件> /build|/rebuild|/clean \"<配置>\"\r\n"
                : L"Usage:\r\ndevenv <solution or project file> /build|/rebuild|/clean \"<configuration>\"\r\n";
}

std::wstring Messages_cl::FilesNotFound(const std::wstring& path) const
{
    return m_zh ? L"在命令行上指定了下列文件:\r\n\t" + path + L"\r\n未找到这些文件，因此将不加载它们。\r\n"
                : L"The following files were specified on the command line:\r\n\t" + path +
                      L"\r\nThese files could not be found and will not be loaded.\r\n";
}

std::wstring Messages_cl::InvalidSolutionConfiguration(const std::wstring& config) const
{
    return m_zh ? L"无效的解决方案配置“" + config + L"”。\r\n"
                : L"Invalid solution configuration '" + config + L"'.\r\n";
}

std::wstring Messages_cl::Header(Verb_en verb, const std::wstring& project, const std::wstring& config) const
{
    const wchar_t* what = nullptr;
    if (m_zh) {
        what = verb == Verb_en::Build ? L"生成" : verb == Verb_en::Rebuild ? L"全部重新生成" : L"清理";
        return L"------ 已启动" + std::wstring(what) + L": 项目: " + project + L", 配置: " + config + L" ------\r\n";
    }
    what = verb == Verb_en::Build ? L"Build" : verb == Verb_en::Rebuild ? L"Rebuild All" : L"Clean";
    return L"------ " + std::wstring(what) + L" started: Project: " + project + L", Configuration: " + config +
           L" ------\r\n";
}

std::wstring Messages_cl::Deleting(const std::wstring& project, const std::wstring& config) const
{
    return m_zh ? L"正在删除项目“" + project + L"”(配置“" + config + L"”)的中间文件和输出文件\r\n"
                : L"Deleting intermediate and output files for project '" + project + L"', configuration '" +
                      config + L"'\r\n";
}

std::wstring Messages_cl::Compiling() const { return m_zh ? L"正在编译...\r\n" : L"Compiling...\r\n"; }

std::wstring Messages_cl::Linking() const { return m_zh ? L"正在链接...\r\n" : L"Linking...\r\n"; }

std::wstring Messages_cl::CreatingLibrary() const
{
    return m_zh ? L"正在创建库...\r\n" : L"Creating library...\r\n";
}

std::wstring Messages_cl::CreatingImportLibrary(const std::wstring& lib) const
{
    std::wstring exp = lib.substr(0, lib.size() - ExtensionOf(lib).size()) + L".exp";
    return m_zh ? L"   正在创建库 " + lib + L" 和对象 " + exp + L"\r\n"
                : L"   Creating library " + lib + L" and object " + exp + L"\r\n";
}

std::wstring Messages_cl::CompileError(const std::wstring& file, size_t line, const std::wstring& text) const
{
    // The compiler's own messages are not translated in either edition.
    return file + L"(" + Num(static_cast<long long>(line)) + L") : fatal error C1189: #error :  " + text + L"\r\n";
}

std::wstring Messages_cl::CannotOpenFile(const std::wstring& file) const
{
    return m_zh ? L"LINK : fatal error LNK1104: 无法打开文件“" + file + L"”\r\n"
                : L"LINK : fatal error LNK1104: cannot open file '" + file + L"'\r\n";
}

std::wstring Messages_cl::CannotOpenInputFile(const std::wstring& file) const
{
    return m_zh ? L"LINK : fatal error LNK1181: 无法打开输入文件“" + file + L"”\r\n"
                : L"LINK : fatal error LNK1181: cannot open input file '" + file + L"'\r\n";
}

std::wstring Messages_cl::CannotOpenForWriting(const std::wstring& file) const
{
    return m_zh ? L"LINK : fatal error LNK1168: 无法打开 " + file + L" 进行写入\r\n"
                : L"LINK : fatal error LNK1168: cannot open " + file + L" for writing\r\n";
}

std::wstring Messages_cl::BuildLogSaved(const std::wstring& folder) const
{
    return m_zh ? L"生成日志保存在“file://" + folder + L"BuildLog.htm”中\r\n"
                : L"Build log was saved at \"file://" + folder + L"BuildLog.htm\"\r\n";
}

std::wstring Messages_cl::Result(const std::wstring& project, int errors, int warnings) const
{
    return m_zh ? project + L" - " + Num(errors) + L" 个错误，" + Num(warnings) + L" 个警告\r\n"
                : project + L" - " + Num(errors) + L" error(s), " + Num(warnings) + L" warning(s)\r\n";
}

std::wstring Messages_cl::UpToDate(const std::wstring& project) const
{
    return m_zh ? project + L" - 最新\r\n" : project + L" - up-to-date\r\n";
}

std::wstring Messages_cl::NoConfiguration(const std::wstring& project, const std::wstring& config) const
{
    return m_zh ? L"项目 : error PRJ0019: 项目“" + project + L"”中不存在配置“" + config + L"”。\r\n"
                : L"Project : error PRJ0019: The configuration '" + config + L"' does not exist in project '" +
                      project + L"'.\r\n";
}

std::wstring Messages_cl::ProjectFileMissing(const std::wstring& path) const
{
    return m_zh ? L"警告: 找不到项目文件“" + path + L"”，该项目已卸载。\r\n"
                : L"Warning: The project file '" + path + L"' cannot be found; the project is unloaded.\r\n";
}

std::wstring Messages_cl::ProjectLoadFailed(const std::wstring& path, const std::wstring& why) const
{
    return m_zh ? path + L" : error PRJ0005: 无法加载项目文件: " + why + L"\r\n"
                : path + L" : error PRJ0005: The project file could not be loaded: " + why + L"\r\n";
}

std::wstring Messages_cl::Summary(Verb_en verb, int succeeded, int failed, int upToDate, int skipped) const
{
    if (m_zh) {
        const wchar_t* what =
            verb == Verb_en::Build ? L"生成" : verb == Verb_en::Rebuild ? L"全部重新生成" : L"清理";
        std::wstring s = L"========== " + std::wstring(what) + L": 成功 " + Num(succeeded) + L" 个，失败 " +
                         Num(failed) + L" 个，";
        if (verb == Verb_en::Build) s += L"最新 " + Num(upToDate) + L" 个，";
        return s + L"跳过 " + Num(skipped) + L" 个 ==========\r\n";
    }
    const wchar_t* what = verb == Verb_en::Build ? L"Build" : verb == Verb_en::Rebuild ? L"Rebuild All" : L"Clean";
    std::wstring s = L"========== " + std::wstring(what) + L": " + Num(succeeded) + L" succeeded, " + Num(failed) +
                     L" failed, ";
    if (verb == Verb_en::Build) s += Num(upToDate) + L" up-to-date, ";
    return s + Num(skipped) + L" skipped ==========\r\n";
}

} // namespace Standin_ns
