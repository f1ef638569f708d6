#pragma once
// A Visual C++ installation folder as the builds use it. Two layouts exist:
// up to 2015 the environment script is <folder>\VC\vcvarsall.bat and runs
// without arguments; from 2017 on it is the vcvarsall.bat in
// <folder>\VC\Auxiliary\Build and refuses to run without a target
// architecture. Which
// project files an installation's builder takes as they are depends on its
// era: 2005/2008 build .vcproj (and the .icproj wrapping one), 2010 and later
// build .vcxproj and would first want to convert a .vcproj.
#include "common/base/Error.h"
#include "common/base/String.h"

namespace Quorvane_ns {

using Base_ns::String_cl;

enum class VcEra_en { Vs2005To2008, Vs2010To2015, Vs2017To2022 };

class VcInstallation_cl {
public:
    // folder: as the user configured it, ending in "\". Only the layout is
    // looked up here; the era when first asked for.
    explicit VcInstallation_cl(const String_cl& folder);

    const wchar_t* ClassName() const { return L"VcInstallation_cl"; }
    const String_cl& Folder() const { return m_folder; }

    // Whether the folder holds an environment script of either layout.
    bool Exists() const;
    // The newer layout's script wins when both are there. Without either,
    // or when the builder's version cannot be read, the era is 2005/2008:
    // the program's oldest and first use.
    VcEra_en Era() const;
    // The environment script, relative to the folder: VC\vcvarsall.bat, or
    // on the newer layout VC\Auxiliary\Build\vcvarsall.bat, which wants
    // the architecture (VcArchitecture) as its argument.
    String_cl EnvironmentScript() const;
    bool WantsArchitecture() const { return m_newLayout; }
    // User error 101 or 102 when this installation's builder would not build
    // the project file as it is; the note names the file and the folder.
    void CheckProjectFile(const String_cl& projectPath) const;

private:
    String_cl m_folder;
    bool m_newLayout = false;
    bool m_oldLayout = false;
    mutable int m_era = -1;  // VcEra_en once read
};

// The architecture the newer layout's script is given for the platform of
// a configuration ("Debug|x64" → "x64"): Win32 and x86 → x86, x64 and
// amd64 → x64, ARM64 and ARM64EC → x64_arm64, ARM → x64_arm, compared
// ignoring case; no platform → x86 (the builder's own default); any other
// platform → x64, the host every such installation runs on.
String_cl VcArchitecture(const String_cl& configuration);

// "Visual Studio 2005/2008", "… 2010-2015", "… 2017-2022".
String_cl VcEraText(VcEra_en era);

} // namespace Quorvane_ns
