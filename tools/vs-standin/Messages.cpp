#include "tools/vs-standin/Messages.h"
#include "tools/vs-standin/StandinFiles.h"

namespace Standin_ns {

namespace {

std::wstring Num(long long v) { return std::to_wstring(v); }

std::wstring TwoDigits(unsigned long long v) { return (v < 10 ? L"0" : L"") + std::to_wstring(v); }

const wchar_t* VerbZh(Verb_en verb)
{
    return verb == Verb_en::Build ? L"生成" : verb == Verb_en::Rebuild ? L"全部重新生成" : L"清理";
}

const wchar_t* VerbEn(Verb_en verb)
{
    return verb == Verb_en::Build ? L"Build" : verb == Verb_en::Rebuild ? L"Rebuild All" : L"Clean";
}

} // namespace

Messages_cl Messages_cl::FromEnvironment(Release_en release)
{
    std::wstring edition = EnvironmentValue(L"QV_STANDIN_EDITION");
    return Messages_cl(edition.size() >= 2 && EqualsNoCase(std::wstring_view(edition).substr(0, 2), L"zh"), release);
}

const wchar_t* Messages_cl::ReleaseName() const
{
    switch (m_release) {
    case Release_en::Vs2005: return L"2005";
    case Release_en::Vs2008: return L"2008";
    case Release_en::Vs2015: return L"2015";
    default: return L"2022";
    }
}

std::wstring Messages_cl::Banner() const
{
    return m_zh ? L"\r\nQuorvane 测试用 Visual Studio " + std::wstring(ReleaseName()) + L" 命令行生成程序替身 (中文版)\r\n\r\n"
                : L"\r\nQuorvane test stand-in for the Visual Studio " + std::wstring(ReleaseName()) +
                      L" command-line builder (English edition)\r\n\r\n";
}

std::wstring Messages_cl::Usage() const
{
    return m_zh ? L"用法:\r\ndevenv <解决方案或项目文件> /build|/rebuild|/clean \"<配置>\"\r\n"
                  L"devenv <解决方案> /build|/rebuild|/clean \"<解决方案配置>\" /project \"<项目>\" "
                  L"[/projectconfig \"<项目配置>\"]\r\n"
                : L"Usage:\r\ndevenv <solution or project file> /build|/rebuild|/clean \"<configuration>\"\r\n"
                  L"devenv <solution> /build|/rebuild|/clean \"<solution configuration>\" /project \"<project>\" "
                  L"[/projectconfig \"<project configuration>\"]\r\n";
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
    // MSBuild names the configuration and the platform apart.
    std::wstring shown = config;
    if (Msbuild() && shown.find(L'|') != std::wstring::npos) shown[shown.find(L'|')] = L' ';
    if (m_zh)
        return L"------ 已启动" + std::wstring(VerbZh(verb)) + L": 项目: " + project + L", 配置: " + shown + L" ------\r\n";
    return L"------ " + std::wstring(VerbEn(verb)) + L" started: Project: " + project + L", Configuration: " + shown +
           L" ------\r\n";
}

std::wstring Messages_cl::Deleting(const std::wstring& project, const std::wstring& config) const
{
    if (Msbuild()) return std::wstring();
    return m_zh ? L"正在删除项目“" + project + L"”(配置“" + config + L"”)的中间文件和输出文件\r\n"
                : L"Deleting intermediate and output files for project '" + project + L"', configuration '" +
                      config + L"'\r\n";
}

std::wstring Messages_cl::Compiling() const
{
    if (Msbuild()) return std::wstring();
    return m_zh ? L"正在编译...\r\n" : L"Compiling...\r\n";
}

std::wstring Messages_cl::CompiledFile(const std::wstring& name) const { return Indent() + name + L"\r\n"; }

std::wstring Messages_cl::Linking() const
{
    if (Msbuild()) return std::wstring();
    return m_zh ? L"正在链接...\r\n" : L"Linking...\r\n";
}

std::wstring Messages_cl::CreatingLibrary() const
{
    if (Msbuild()) return std::wstring();
    return m_zh ? L"正在创建库...\r\n" : L"Creating library...\r\n";
}

std::wstring Messages_cl::CreatingImportLibrary(const std::wstring& lib) const
{
    std::wstring exp = lib.substr(0, lib.size() - ExtensionOf(lib).size()) + L".exp";
    return m_zh ? Indent() + std::wstring(L"   正在创建库 ") + lib + L" 和对象 " + exp + L"\r\n"
                : Indent() + std::wstring(L"   Creating library ") + lib + L" and object " + exp + L"\r\n";
}

std::wstring Messages_cl::CompileError(const std::wstring& written, const std::wstring& path, size_t line,
                                       size_t column, const std::wstring& text) const
{
    // The compiler's own messages are not translated in either edition.
    if (!Msbuild())
        return written + L"(" + Num(static_cast<long long>(line)) + L") : fatal error C1189: #error :  " + text +
               L"\r\n";
    std::wstring where = Num(static_cast<long long>(line));
    if (m_release == Release_en::Vs2022) where += L"," + Num(static_cast<long long>(column));
    return path + L"(" + where + L"): fatal error C1189: #error:  " + text + L"\r\n";
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

std::wstring Messages_cl::MachineConflict(const std::wstring& object, const std::wstring& module,
                                          const std::wstring& target) const
{
    return m_zh ? object + L" : fatal error LNK1112: 模块计算机类型“" + module + L"”与目标计算机类型“" + target + L"”冲突\r\n"
                : object + L" : fatal error LNK1112: module machine type '" + module +
                      L"' conflicts with target machine type '" + target + L"'\r\n";
}

std::wstring Messages_cl::BuildLogSaved(const std::wstring& folder) const
{
    if (Msbuild()) return std::wstring();
    return m_zh ? L"生成日志保存在“file://" + folder + L"BuildLog.htm”中\r\n"
                : L"Build log was saved at \"file://" + folder + L"BuildLog.htm\"\r\n";
}

std::wstring Messages_cl::Result(const std::wstring& project, int errors, int warnings) const
{
    if (Msbuild()) return std::wstring();
    return m_zh ? project + L" - " + Num(errors) + L" 个错误，" + Num(warnings) + L" 个警告\r\n"
                : project + L" - " + Num(errors) + L" error(s), " + Num(warnings) + L" warning(s)\r\n";
}

std::wstring Messages_cl::Produced(const std::wstring& projectFile, const std::wstring& output) const
{
    if (!Msbuild()) return std::wstring();
    return Indent() + projectFile + L" -> " + output + L"\r\n";
}

std::wstring Messages_cl::Failed(const std::wstring& projectFile) const
{
    if (!Msbuild()) return std::wstring();
    return m_zh ? L"已完成生成项目“" + projectFile + L"”的操作 - 失败。\r\n"
                : L"Done building project \"" + projectFile + L"\" -- FAILED.\r\n";
}

std::wstring Messages_cl::UpToDate(const std::wstring& project) const
{
    if (Msbuild()) return std::wstring();
    return m_zh ? project + L" - 最新\r\n" : project + L" - up-to-date\r\n";
}

std::wstring Messages_cl::NoConfiguration(const std::wstring& project, const std::wstring& path,
                                          const std::wstring& config) const
{
    if (Msbuild())
        return m_zh ? path + L" : error MSB8013: 此项目不包含配置和平台组合 " + config + L"。\r\n"
                    : path + L" : error MSB8013: This project doesn't contain the Configuration and Platform "
                             L"combination of " + config + L".\r\n";
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
    if (Msbuild())
        return m_zh ? path + L" : error MSB4025: 未能加载项目文件。" + why + L"\r\n"
                    : path + L" : error MSB4025: The project file could not be loaded. " + why + L"\r\n";
    return m_zh ? path + L" : error PRJ0005: 无法加载项目文件: " + why + L"\r\n"
                : path + L" : error PRJ0005: The project file could not be loaded: " + why + L"\r\n";
}

std::wstring Messages_cl::OutOfMemory() const
{
    return m_zh ? L"引发类型为“System.OutOfMemoryException”的异常。"
                : L"Exception of type 'System.OutOfMemoryException' was thrown.";
}

std::wstring Messages_cl::ImportNotFound(const std::wstring& path, const std::wstring& imported) const
{
    return m_zh ? path + L" : error MSB4019: 找不到导入的项目“" + imported +
                      L"”。请确认 <Import> 声明中的路径正确，且磁盘上存在该文件。\r\n"
                : path + L" : error MSB4019: The imported project \"" + imported +
                      L"\" was not found. Confirm that the path in the <Import> declaration is correct, and that "
                      L"the file exists on disk.\r\n";
}

std::wstring Messages_cl::NotSelected(Verb_en verb, const std::wstring& project, const std::wstring& config) const
{
    std::wstring shown = config;
    if (Msbuild() && shown.find(L'|') != std::wstring::npos) shown[shown.find(L'|')] = L' ';
    if (m_zh)
        return L"------ 已跳过" + std::wstring(VerbZh(verb)) + L": 项目: " + project + L", 配置: " + shown +
               L" ------\r\n没有为此解决方案配置选中要生成的项目 \r\n";
    return L"------ Skipped " + std::wstring(VerbEn(verb)) + L": Project: " + project + L", Configuration: " + shown +
           L" ------\r\nProject not selected to build for this solution configuration \r\n";
}

std::wstring Messages_cl::ProjectNotInSolution(const std::wstring& project) const
{
    return m_zh ? L"解决方案中没有项目“" + project + L"”。\r\n"
                : L"The project '" + project + L"' is not in the solution.\r\n";
}

std::wstring Messages_cl::ProjectRefused(const std::wstring& path) const
{
    if (Msbuild())
        return m_zh ? path + L" : error MSB4075: 项目文件“" + path +
                          L"”必须在 Visual Studio IDE 中打开并转换为最新版本，然后才能由 MSBuild 生成。\r\n"
                    : path + L" : error MSB4075: The project file \"" + path +
                          L"\" must be opened in the Visual Studio IDE and converted to the latest version before "
                          L"it can be built by MSBuild.\r\n";
    return m_zh ? path + L" : error : 无法打开项目文件。此安装不支持该项目类型。\r\n"
                : path + L" : error : The project file cannot be opened. The project type is not supported by this "
                         L"installation.\r\n";
}

std::wstring Messages_cl::Summary(Verb_en verb, int succeeded, int failed, int upToDate, int skipped) const
{
    if (m_zh && m_release == Release_en::Vs2022) {
        // Counts before the words.
        std::wstring s = L"========== " + std::wstring(VerbZh(verb)) + L": " + Num(succeeded) + L" 成功，" +
                         Num(failed) + L" 失败，";
        if (verb == Verb_en::Build) s += Num(upToDate) + L" 最新，";
        return s + Num(skipped) + L" 已跳过 ==========\r\n";
    }
    if (m_zh && m_release == Release_en::Vs2005) {
        // Counts before the words, with ASCII commas.
        std::wstring s = L"========== " + std::wstring(VerbZh(verb)) + L": " + Num(succeeded) + L" 已成功, " +
                         Num(failed) + L" 已失败, ";
        if (verb == Verb_en::Build) s += Num(upToDate) + L" 最新, ";
        return s + Num(skipped) + L" 已跳过 ==========\r\n";
    }
    if (m_zh) {
        std::wstring s = L"========== " + std::wstring(VerbZh(verb)) + L": 成功 " + Num(succeeded) + L" 个，失败 " +
                         Num(failed) + L" 个，";
        if (verb == Verb_en::Build) s += L"最新 " + Num(upToDate) + L" 个，";
        return s + L"跳过 " + Num(skipped) + L" 个 ==========\r\n";
    }
    std::wstring s = L"========== " + std::wstring(VerbEn(verb)) + L": " + Num(succeeded) + L" succeeded, " +
                     Num(failed) + L" failed, ";
    if (verb == Verb_en::Build) s += Num(upToDate) + L" up-to-date, ";
    return s + Num(skipped) + L" skipped ==========\r\n";
}

std::wstring Messages_cl::Completed(Verb_en verb, int hour, int minute, unsigned long long elapsedMs) const
{
    if (m_release != Release_en::Vs2022) return std::wstring();
    // Seconds with milliseconds; past a minute, minutes before them.
    const unsigned long long seconds = elapsedMs / 1000, minutes = seconds / 60;
    std::wstring millis = std::to_wstring(elapsedMs % 1000);
    millis.insert(0, 3 - millis.size(), L'0');
    std::wstring took = TwoDigits(minutes ? seconds % 60 : seconds) + L"." + millis;
    if (minutes) took = TwoDigits(minutes) + L":" + took;
    if (m_zh) {
        const wchar_t* what = verb == Verb_en::Build ? L"生成" : verb == Verb_en::Rebuild ? L"重新生成" : L"清理";
        return L"========== " + std::wstring(what) + L" 于 " + Num(hour) + L":" + TwoDigits(minute) + L" 完成，耗时 " +
               took + (minutes ? L" 分钟" : L" 秒") + L" ==========\r\n";
    }
    const wchar_t* what = verb == Verb_en::Build ? L"Build" : verb == Verb_en::Rebuild ? L"Rebuild" : L"Clean";
    int twelve = hour % 12 == 0 ? 12 : hour % 12;
    return L"========== " + std::wstring(what) + L" completed at " + Num(twelve) + L":" + TwoDigits(minute) +
           (hour < 12 ? L" AM" : L" PM") + L" and took " + took + (minutes ? L" minutes" : L" seconds") +
           L" ==========\r\n";
}

} // namespace Standin_ns
