#pragma once
// Helpers of the tests that show windows: running the message queue,
// recording what a window receives, a plain parent window, answering modal
// dialogs without a person, and screenshots.
#include <windows.h>
#include <gtest/gtest.h>
#include <functional>
#include <vector>
#include "common/base/Error.h"
#include "common/base/String.h"
#include "common/ctl/Choosers.h"

namespace Test_ns {

using Base_ns::String_cl;

// The error the call raised; a failure (and an empty record) when it raised none.
template<class E = Base_ns::SysError_cl>
E RaisedError(const std::function<void()>& call)
{
    try {
        call();
    } catch (const E& e) {
        return e;
    }
    ADD_FAILURE() << "no error was raised";
    return E(0, L"", L"", 0, nullptr, 0, L"");
}

// Dispatches what is queued; with a time, keeps doing so until it is over.
void PumpMessages(DWORD milliseconds = 0);

struct Received_st {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    // WM_NOTIFY: the header, and the item of an NMITEMACTIVATE (NM_CLICK).
    NMHDR header;
    int item;
};

// Hooks a window and records every message in the given set, sent or
// posted, before the window handles it.
class MessageRecorder_cl {
public:
    MessageRecorder_cl(HWND window, std::vector<UINT> messages);
    ~MessageRecorder_cl();
    MessageRecorder_cl(const MessageRecorder_cl&) = delete;
    MessageRecorder_cl& operator=(const MessageRecorder_cl&) = delete;

    const std::vector<Received_st>& Received() const { return m_received; }
    std::vector<Received_st> Only(UINT message) const;
    void Clear() { m_received.clear(); }

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    HWND m_window;
    std::vector<UINT> m_messages;
    std::vector<Received_st> m_received;
};

// A visible top-level window with default handling only, to hold controls.
class TestWindow_cl {
public:
    TestWindow_cl(int clientWidth, int clientHeight, DWORD style = WS_OVERLAPPEDWINDOW);
    ~TestWindow_cl();
    TestWindow_cl(const TestWindow_cl&) = delete;
    TestWindow_cl& operator=(const TestWindow_cl&) = delete;
    operator HWND() const { return m_hwnd; }

private:
    HWND m_hwnd;
};

// Answers the next modal dialog of this thread: once it is up, script runs
// with its window from inside the dialog's own message loop. A dialog the
// script leaves open is ended with IDABORT after a few seconds, so no test
// can hang on it.
class ModalDriver_cl {
public:
    explicit ModalDriver_cl(std::function<void(HWND)> script);
    ~ModalDriver_cl();
    ModalDriver_cl(const ModalDriver_cl&) = delete;
    ModalDriver_cl& operator=(const ModalDriver_cl&) = delete;
    // Whether the script ran.
    bool Ran() const { return m_ran; }

private:
    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    std::function<void(HWND)> m_script;
    HHOOK m_hook;
    HWND m_dialog;
    UINT_PTR m_timer;
    DWORD m_started;
    bool m_ran;
};

// Installs itself as the chooser, answers every question with the path it
// was given (empty: the user cancelled) and remembers what it was asked.
class AnsweringChooser_cl : public CTL_ns::Chooser_cl {
public:
    struct Asked_st {
        String_cl kind;  // "folder", "open" or "save"
        String_cl prompt, filter, defaultExtension, initial;
    };
    explicit AnsweringChooser_cl(const String_cl& answer);
    ~AnsweringChooser_cl() override;
    String_cl ChooseFolder(const String_cl& prompt, const String_cl& initialFolder) override;
    String_cl ChooseOpenFile(const String_cl& filter, const String_cl& initialDirectory) override;
    String_cl ChooseSaveFile(const String_cl& defaultExtension, const String_cl& filter,
                             const String_cl& initialDirectory) override;
    const std::vector<Asked_st>& Asked() const { return m_asked; }

private:
    String_cl m_answer;
    std::vector<Asked_st> m_asked;
    CTL_ns::Chooser_cl* m_previous;
};

// Presses a button of a dialog as a user's click does.
void ClickButton(HWND dialog, int id);

// The window as it is on the screen (BitBlt from the screen), written as
// <build>\screenshots\<name>.png; returns the path, empty on failure.
// redraw: everything is painted afresh first; false shows what the window
// itself has painted so far.
String_cl SaveScreenshot(HWND window, const String_cl& name, bool redraw = true);

// How many pixels of the window's place on the screen are as dark as text
// and frame lines (greyed text included): none where nothing was painted.
int InkPixels(HWND window);

} // namespace Test_ns
