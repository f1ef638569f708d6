#include "tests/support/GuiSupport.h"
#include "tests/support/WindowPicture.h"
#include <commctrl.h>
#include <wincodec.h>
#include <algorithm>
#include "tests/support/TestSupport.h"

namespace Test_ns {

void PumpMessages(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (milliseconds) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (GetTickCount() - start < milliseconds);
}

// ---------------------------------------------------------------- recorder

MessageRecorder_cl::MessageRecorder_cl(HWND window, std::vector<UINT> messages)
    : m_window(window), m_messages(std::move(messages))
{
    SetWindowSubclass(m_window, &Proc, 1, reinterpret_cast<DWORD_PTR>(this));
}

MessageRecorder_cl::~MessageRecorder_cl()
{
    if (IsWindow(m_window)) RemoveWindowSubclass(m_window, &Proc, 1);
}

std::vector<Received_st> MessageRecorder_cl::Only(UINT message) const
{
    std::vector<Received_st> out;
    for (const Received_st& r : m_received) {
        if (r.message == message) out.push_back(r);
    }
    return out;
}

LRESULT CALLBACK MessageRecorder_cl::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR data)
{
    auto* self = reinterpret_cast<MessageRecorder_cl*>(data);
    if (std::find(self->m_messages.begin(), self->m_messages.end(), message) != self->m_messages.end()) {
        Received_st r{message, wParam, lParam, {}, -1};
        if (message == WM_NOTIFY && lParam) {
            r.header = *reinterpret_cast<const NMHDR*>(lParam);
            if (r.header.code == NM_CLICK) r.item = reinterpret_cast<const NMITEMACTIVATE*>(lParam)->iItem;
        }
        self->m_received.push_back(r);
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

// ---------------------------------------------------------------- window

TestWindow_cl::TestWindow_cl(int clientWidth, int clientHeight, DWORD style)
{
    static const wchar_t kClass[] = L"QvTestWindow";
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        wc.lpszClassName = kClass;
        RegisterClassW(&wc);
        registered = true;
    }
    RECT r{0, 0, clientWidth, clientHeight};
    AdjustWindowRect(&r, style, FALSE);
    m_hwnd = CreateWindowExW(0, kClass, L"测试", style | WS_VISIBLE, 40, 40, r.right - r.left,
                             r.bottom - r.top, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    PumpMessages();
}

TestWindow_cl::~TestWindow_cl() { DestroyWindow(m_hwnd); }

// ---------------------------------------------------------------- modal

namespace {
ModalDriver_cl* g_driver = nullptr;
const DWORD kGiveUpAfter = 5000;
} // namespace

ModalDriver_cl::ModalDriver_cl(std::function<void(HWND)> script)
    : m_script(std::move(script)), m_hook(nullptr), m_dialog(nullptr), m_timer(0), m_started(GetTickCount()),
      m_ran(false)
{
    g_driver = this;
    m_hook = SetWindowsHookExW(WH_CBT, &CbtProc, nullptr, GetCurrentThreadId());
    m_timer = SetTimer(nullptr, 0, 20, &Tick);
}

ModalDriver_cl::~ModalDriver_cl()
{
    KillTimer(nullptr, m_timer);
    UnhookWindowsHookEx(m_hook);
    g_driver = nullptr;
}

LRESULT CALLBACK ModalDriver_cl::CbtProc(int code, WPARAM wParam, LPARAM lParam)
{
    // The dialog being activated is the one the test waits for.
    if (code == HCBT_ACTIVATE && g_driver && !g_driver->m_dialog) {
        wchar_t cls[16] = {};
        GetClassNameW(reinterpret_cast<HWND>(wParam), cls, 16);
        if (lstrcmpW(cls, L"#32770") == 0) g_driver->m_dialog = reinterpret_cast<HWND>(wParam);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK ModalDriver_cl::Tick(HWND, UINT, UINT_PTR, DWORD)
{
    ModalDriver_cl* self = g_driver;
    if (!self) return;
    if (self->m_dialog && !self->m_ran && IsWindowVisible(self->m_dialog)) {
        self->m_ran = true;
        self->m_script(self->m_dialog);
    } else if (GetTickCount() - self->m_started > kGiveUpAfter && self->m_dialog && IsWindow(self->m_dialog)) {
        EndDialog(self->m_dialog, IDABORT);
    }
}

AnsweringChooser_cl::AnsweringChooser_cl(const String_cl& answer)
    : m_answer(answer), m_previous(CTL_ns::CurrentChooser())
{
    CTL_ns::SetChooser(this);
}

AnsweringChooser_cl::~AnsweringChooser_cl() { CTL_ns::SetChooser(m_previous); }

String_cl AnsweringChooser_cl::ChooseFolder(const String_cl& prompt, const String_cl& initialFolder)
{
    m_asked.push_back({L"folder", prompt, String_cl(), String_cl(), initialFolder});
    return m_answer;
}

String_cl AnsweringChooser_cl::ChooseOpenFile(const String_cl& filter, const String_cl& initialDirectory)
{
    m_asked.push_back({L"open", String_cl(), filter, String_cl(), initialDirectory});
    return m_answer;
}

String_cl AnsweringChooser_cl::ChooseSaveFile(const String_cl& defaultExtension, const String_cl& filter,
                                              const String_cl& initialDirectory)
{
    m_asked.push_back({L"save", String_cl(), filter, defaultExtension, initialDirectory});
    return m_answer;
}

void ClickButton(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

String_cl SaveScreenshot(HWND window, const String_cl& name, bool redraw)
{
    if (redraw)
        RedrawWindow(window, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    // The X server shows what Wine drew only after the queue has run.
    PumpMessages(300);
    const String_cl folder = ExeDirectory() + L"..\\screenshots\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    const String_cl path = folder + name + L".png";
    return SaveWindowPicture(window, path) ? path : String_cl();
}

int InkPixels(HWND window)
{
    int width = 0, height = 0, ink = 0;
    const std::vector<BYTE> pixels = WindowPixels(window, width, height);
    // Text, frame lines and grey text are darker than the white or light
    // grey a place left unpainted shows.
    for (size_t i = 0; i + 3 < pixels.size(); i += 4)
        if (pixels[i] < 0xC0 && pixels[i + 1] < 0xC0 && pixels[i + 2] < 0xC0) ++ink;
    return ink;
}

} // namespace Test_ns
