#pragma once
// Text to the console as Unicode (WriteConsoleW), and as UTF-8 when the
// output is redirected to a file or a pipe, so that Chinese plan and project
// names survive either way. Also the presenter that turns the prompts and
// error boxes of the shared code into printed lines.
#include <windows.h>
#include <mutex>
#include "common/base/Presenter.h"
#include "common/base/String.h"

namespace Quorvane_ns {

class ConsoleOutput_cl {
public:
    explicit ConsoleOutput_cl(DWORD stdHandle);
    // Control characters other than line ends and tabs are written as "?",
    // as the reports write them: nothing printed, a log line included, can
    // send the terminal a control sequence.
    void Write(const Base_ns::String_cl& text);
    void Line(const Base_ns::String_cl& text) { Write(text + L"\r\n"); }

    // Text from a file someone else wrote (a name, a path, a log line) as a
    // field of one printed line: line ends and tabs become blanks too, so
    // that such text can neither forge a line nor shift a column.
    static Base_ns::String_cl Field(const Base_ns::String_cl& text);

private:
    HANDLE m_handle;
    bool m_console;
    std::mutex m_mutex;
};

// Message boxes become lines on the error output: "caption: text". A
// question is answered with its default button, since nobody is there.
class ConsolePresenter_cl : public Base_ns::Presenter_cl {
public:
    explicit ConsolePresenter_cl(ConsoleOutput_cl& err) : m_err(err) {}
    int Message(HWND owner, const Base_ns::String_cl& text, const Base_ns::String_cl& caption,
                UINT type) override;

private:
    ConsoleOutput_cl& m_err;
};

} // namespace Quorvane_ns
