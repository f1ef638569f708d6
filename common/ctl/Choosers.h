#pragma once
// Asking the user for a folder or a file. Every chooser goes through one
// replaceable hook, as message boxes go through the presenter: the window
// uses the system's dialogs, tests install a chooser that answers at once.
// An empty result means the user cancelled.
#include "common/base/String.h"

namespace CTL_ns {

using Base_ns::String_cl;

class Chooser_cl {
public:
    virtual ~Chooser_cl() = default;
    virtual String_cl ChooseFolder(const String_cl& prompt, const String_cl& initialFolder) = 0;
    virtual String_cl ChooseOpenFile(const String_cl& filter, const String_cl& initialDirectory) = 0;
    virtual String_cl ChooseSaveFile(const String_cl& defaultExtension, const String_cl& filter,
                                     const String_cl& initialDirectory) = 0;
};

// Installs a chooser for the whole process; null restores the system dialogs.
void SetChooser(Chooser_cl* chooser);
Chooser_cl* CurrentChooser();

// The folder browser owned by the active window, prompt as its title; it
// opens at initialFolder, or at the current directory when that is empty,
// and its status line follows the selection.
String_cl ChooseFolder(const String_cl& prompt, const String_cl& initialFolder);
// filter in the form "日志文件 (*.log)|*.log|": description and pattern
// pairs, each part closed by "|".
String_cl ChooseOpenFile(const String_cl& filter, const String_cl& initialDirectory);
String_cl ChooseSaveFile(const String_cl& defaultExtension, const String_cl& filter,
                         const String_cl& initialDirectory);

// The system's dialogs themselves, whatever chooser is installed.
class SystemChooser_cl : public Chooser_cl {
public:
    String_cl ChooseFolder(const String_cl& prompt, const String_cl& initialFolder) override;
    String_cl ChooseOpenFile(const String_cl& filter, const String_cl& initialDirectory) override;
    String_cl ChooseSaveFile(const String_cl& defaultExtension, const String_cl& filter,
                             const String_cl& initialDirectory) override;
};

} // namespace CTL_ns
