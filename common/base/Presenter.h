#pragma once
// The one narrow place through which every modal prompt of the system goes.
// The window shows message boxes, the console front end prints, and tests
// record what would have been shown and answer it, without a person.
#include <windows.h>
#include "common/base/String.h"

namespace Base_ns {

class Presenter_cl {
public:
    virtual ~Presenter_cl() = default;
    // Same contract as MessageBoxW: type is MB_* flags, result an ID* value.
    virtual int Message(HWND owner, const String_cl& text, const String_cl& caption, UINT type) = 0;
};

// Installs a presenter for the whole process; null restores message boxes.
void SetPresenter(Presenter_cl* presenter);
Presenter_cl* CurrentPresenter();
int ShowMessage(HWND owner, const String_cl& text, const String_cl& caption, UINT type);

} // namespace Base_ns
