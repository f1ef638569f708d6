#include "app/engine/VcInstallation.h"
#include <windows.h>
#include <iterator>
#include <vector>
#include "app/ProgramPlaces.h"

namespace Quorvane_ns {

namespace {

const wchar_t kOldScript[] = L"VC\\vcvarsall.bat";
const wchar_t kNewScript[] = L"VC\\Auxiliary\\Build\\vcvarsall.bat";
const wchar_t kBuilder[] = L"Common7\\IDE\\devenv.exe";

const Base_ns::ErrorEntry_st kUserErrors[] = {
    {101, L"Visual Studio 2005/2008不能编译.vcxproj工程，请选择Visual Studio 2010或更新版本的VC安装目录。"},
    {102, L"Visual Studio 2010及更新的版本要先转换.vcproj工程才能编译，请选择Visual Studio 2005/2008的VC安装目录。"},
};

bool IsFile(const String_cl& path)
{
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// The major number of the file version in the program's version resource;
// 0 when it has none or it cannot be read.
unsigned FileMajorVersion(const String_cl& path)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return 0;
    std::vector<unsigned char> data(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return 0;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info ||
        length < sizeof(VS_FIXEDFILEINFO) || info->dwSignature != 0xFEEF04BD)
        return 0;
    return HIWORD(info->dwFileVersionMS);
}

} // namespace

VcInstallation_cl::VcInstallation_cl(const String_cl& folder)
    : m_folder(folder), m_newLayout(IsFile(folder + kNewScript)), m_oldLayout(IsFile(folder + kOldScript))
{
}

bool VcInstallation_cl::Exists() const { return m_newLayout || m_oldLayout; }

VcEra_en VcInstallation_cl::Era() const
{
    if (m_era < 0) {
        VcEra_en era = VcEra_en::Vs2005To2008;
        if (m_newLayout) {
            era = VcEra_en::Vs2017To2022;
        } else {
            // 8 is 2005, 9 is 2008, 10 to 14 are 2010 to 2015.
            const unsigned major = FileMajorVersion(m_folder + kBuilder);
            if (major >= 10 && major <= 14) era = VcEra_en::Vs2010To2015;
        }
        m_era = static_cast<int>(era);
    }
    return static_cast<VcEra_en>(m_era);
}

String_cl VcInstallation_cl::EnvironmentScript() const { return m_newLayout ? kNewScript : kOldScript; }

void VcInstallation_cl::CheckProjectFile(const String_cl& projectPath) const
{
    int code = 0;
    if (HasExtension(projectPath, L"vcxproj")) {
        if (Era() == VcEra_en::Vs2005To2008) code = 101;
    } else if (HasExtension(projectPath, L"vcproj") || HasExtension(projectPath, L"icproj")) {
        if (Era() != VcEra_en::Vs2005To2008) code = 102;
    }
    if (code == 0) return;
    const String_cl note = L"工程文件：" + projectPath + L"\r\nVC安装目录：" + m_folder + L"（" + VcEraText(Era()) + L"）";
    throw Base_ns::UserError_cl(__LINE__, L"VcInstallation", ClassName(), code, kUserErrors,
                                static_cast<int>(std::size(kUserErrors)), note);
}

String_cl VcArchitecture(const String_cl& configuration)
{
    const size_t bar = configuration.rfind(L'|');
    if (bar == String_cl::npos) return L"x86";
    const std::wstring_view platform = std::wstring_view(configuration).substr(bar + 1);
    struct Pair_st {
        const wchar_t* platform;
        const wchar_t* architecture;
    };
    static const Pair_st kPairs[] = {
        {L"Win32", L"x86"},       {L"x86", L"x86"},   {L"x64", L"x64"}, {L"amd64", L"x64"},
        {L"ARM64", L"x64_arm64"}, {L"ARM64EC", L"x64_arm64"}, {L"ARM", L"x64_arm"},
    };
    for (const Pair_st& p : kPairs)
        if (Base_ns::EqualsNoCase(platform, p.platform)) return p.architecture;
    return L"x64";
}

String_cl VcEraText(VcEra_en era)
{
    switch (era) {
    case VcEra_en::Vs2005To2008: return L"Visual Studio 2005/2008";
    case VcEra_en::Vs2010To2015: return L"Visual Studio 2010-2015";
    case VcEra_en::Vs2017To2022: return L"Visual Studio 2017-2022";
    }
    return String_cl();
}

} // namespace Quorvane_ns
