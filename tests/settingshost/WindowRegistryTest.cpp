#include <gtest/gtest.h>
#include <atomic>
#include <functional>
#include <thread>
#include <vector>
#include "app/workflow/SettingsInterface.h"

using namespace Quorvane_ns;

namespace {

const UINT kRefresh = 0x3779;
const UINT kNested = 0x377C;

struct Received_st {
    UINT message;
    LPARAM param;
    DWORD thread;
};

// Serves messages sent to this thread's windows until done or timeout.
bool ServeSentMessagesUntil(const std::atomic<bool>& done, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!done && GetTickCount() - start < timeoutMs) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_SENDMESSAGE);
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    return done;
}

// A message-only window that records what it is sent. Optionally, while it
// handles kRefresh, it has the registry used meanwhile (moved to another id,
// and sent kNested through it) as a page that refreshes another page would.
// That happens on a helper thread the window waits for with a time limit, so
// a registry that stays locked during a send fails the test instead of
// hanging it.
class RecordingWindow_cl {
public:
    explicit RecordingWindow_cl(const SettingsHost_cl& host) : m_host(host)
    {
        static ATOM atom = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = &RecordingWindow_cl::Proc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"QvSettingsTestWindow";
            return RegisterClassW(&wc);
        }();
        m_hwnd = CreateWindowExW(0, MAKEINTATOM(atom), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~RecordingWindow_cl()
    {
        if (m_helper.joinable()) {
            ServeSentMessagesUntil(m_helperDone, 10000);
            m_helper.join();
        }
        m_host.UnregisterWindow(m_hwnd);
        DestroyWindow(m_hwnd);
    }
    HWND Handle() const { return m_hwnd; }
    std::vector<Received_st> Received() const { return m_received; }
    int Count() const { return m_count.load(); }
    void MoveOnRefresh(int newId) { m_moveTo = newId; }
    bool RegistryWasBlocked() const { return m_blocked; }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<RecordingWindow_cl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self && (message == kRefresh || message == kNested)) {
            self->m_received.push_back({message, lParam, GetCurrentThreadId()});
            ++self->m_count;
            if (message == kRefresh && self->m_moveTo && !self->m_helper.joinable()) {
                self->m_helper = std::thread([self, hwnd, lParam] {
                    self->m_host.UnregisterWindow(hwnd);
                    self->m_host.RegisterWindow(hwnd, self->m_moveTo);
                    self->m_host.SendToWindow(self->m_moveTo, kNested, lParam + 1);
                    self->m_helperDone = true;
                });
                if (!ServeSentMessagesUntil(self->m_helperDone, 5000)) self->m_blocked = true;
            }
            return 0;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }

    const SettingsHost_cl& m_host;
    HWND m_hwnd = nullptr;
    std::vector<Received_st> m_received;   // touched on the window's thread only
    std::atomic<int> m_count{0};
    int m_moveTo = 0;
    std::thread m_helper;
    std::atomic<bool> m_helperDone{false};
    bool m_blocked = false;
};

// Runs body on a worker while this thread handles only messages SENT to its
// windows: anything posted stays queued until the worker has finished, so a
// posting registry would be caught by the worker's own check.
bool RunWorkerServingSentMessages(std::function<void()> body, DWORD timeoutMs = 10000)
{
    std::atomic<bool> done{false};
    std::thread worker([&] {
        body();
        done = true;
    });
    if (!ServeSentMessagesUntil(done, timeoutMs)) {
        worker.detach();   // stuck: fail rather than hang the whole program
        return false;
    }
    worker.join();
    return true;
}

int DrainPosted()
{
    int n = 0;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&msg);
        ++n;
    }
    return n;
}

} // namespace

TEST(WindowRegistryTest, WorkerSendIsHandledOnTheWindowThreadBeforeItReturns)
{
    SettingsHost_cl host;
    RecordingWindow_cl page(host);
    ASSERT_NE(page.Handle(), nullptr);
    ASSERT_TRUE(host.RegisterWindow(page.Handle(), PAGE_PROJECTS));

    const LPARAM planKey = static_cast<LPARAM>(0x123456789ABCDEF0LL);
    bool sent = false;
    int seenOnReturn = -1;
    ASSERT_TRUE(RunWorkerServingSentMessages([&] {
        sent = host.SendToWindow(PAGE_PROJECTS, kRefresh, planKey);
        seenOnReturn = page.Count();
    }));
    EXPECT_TRUE(sent);
    EXPECT_EQ(seenOnReturn, 1) << "SendToWindow returned before the window handled the message";
    std::vector<Received_st> got = page.Received();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].message, kRefresh);
    EXPECT_EQ(got[0].param, planKey);
    EXPECT_EQ(got[0].thread, GetCurrentThreadId());
}

TEST(WindowRegistryTest, EachIdReachesItsOwnWindowAndUnknownIdsReachNone)
{
    SettingsHost_cl host;
    RecordingWindow_cl projects(host);
    RecordingWindow_cl history(host);
    host.RegisterWindow(projects.Handle(), PAGE_PROJECTS);
    host.RegisterWindow(history.Handle(), PAGE_HISTORY);

    EXPECT_TRUE(host.SendToWindow(PAGE_HISTORY, kRefresh, 0));
    EXPECT_TRUE(host.SendToWindow(PAGE_PROJECTS, kRefresh, 7));
    EXPECT_FALSE(host.SendToWindow(99, kRefresh, 8));
    EXPECT_EQ(DrainPosted(), 0);
    ASSERT_EQ(projects.Count(), 1);
    EXPECT_EQ(projects.Received()[0].param, 7);
    ASSERT_EQ(history.Count(), 1);
    EXPECT_EQ(history.Received()[0].param, 0);

    // Once unregistered, a page gets nothing, from any thread.
    host.UnregisterWindow(projects.Handle());
    bool sent = true;
    ASSERT_TRUE(RunWorkerServingSentMessages([&] { sent = host.SendToWindow(PAGE_PROJECTS, kRefresh, 9); }));
    EXPECT_FALSE(sent);
    EXPECT_EQ(DrainPosted(), 0);
    EXPECT_EQ(projects.Count(), 1);
    EXPECT_EQ(history.Count(), 1);
}

TEST(WindowRegistryTest, LaterRegistrationUnderAnIdReplacesTheEarlierWindow)
{
    SettingsHost_cl host;
    RecordingWindow_cl first(host);
    RecordingWindow_cl second(host);
    host.RegisterWindow(first.Handle(), PAGE_HISTORY);
    host.RegisterWindow(second.Handle(), PAGE_HISTORY);
    EXPECT_TRUE(host.SendToWindow(PAGE_HISTORY, kRefresh, 3));
    EXPECT_EQ(first.Count(), 0);
    EXPECT_EQ(second.Count(), 1);
    // Unregistering the replaced window does not remove its successor.
    host.UnregisterWindow(first.Handle());
    EXPECT_TRUE(host.SendToWindow(PAGE_HISTORY, kRefresh, 4));
    EXPECT_EQ(second.Count(), 2);
    EXPECT_FALSE(host.RegisterWindow(nullptr, 5));
}

TEST(WindowRegistryTest, WindowMayUseTheRegistryWhileHandlingAWorkersMessage)
{
    SettingsHost_cl host;
    RecordingWindow_cl page(host);
    page.MoveOnRefresh(PAGE_HISTORY);
    host.RegisterWindow(page.Handle(), PAGE_PROJECTS);

    bool sent = false;
    ASSERT_TRUE(RunWorkerServingSentMessages([&] { sent = host.SendToWindow(PAGE_PROJECTS, kRefresh, 40); }));
    EXPECT_TRUE(sent);
    ASSERT_FALSE(page.RegistryWasBlocked())
        << "the registry stayed locked while the window handled the message";
    std::vector<Received_st> got = page.Received();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[1].message, kNested);
    EXPECT_EQ(got[1].param, 41);
    EXPECT_FALSE(host.SendToWindow(PAGE_PROJECTS, kRefresh, 0));
}

TEST(WindowRegistryTest, SendsFromSeveralWorkersAreAllDeliveredOneAtATime)
{
    SettingsHost_cl host;
    RecordingWindow_cl page(host);
    host.RegisterWindow(page.Handle(), PAGE_PROJECTS);
    const int workers = 4;
    const int each = 25;
    std::atomic<int> delivered{0};
    ASSERT_TRUE(RunWorkerServingSentMessages([&] {
        std::vector<std::thread> senders;
        for (int w = 0; w < workers; ++w) {
            senders.emplace_back([&, w] {
                for (int i = 0; i < each; ++i) {
                    if (host.SendToWindow(PAGE_PROJECTS, kRefresh, w * 1000 + i)) ++delivered;
                }
            });
        }
        for (std::thread& s : senders) s.join();
    }));
    EXPECT_EQ(delivered.load(), workers * each);
    std::vector<Received_st> got = page.Received();
    ASSERT_EQ(static_cast<int>(got.size()), workers * each);
    // Each worker's messages arrive in the order it sent them.
    std::vector<int> next(workers, 0);
    for (const Received_st& r : got) {
        int w = static_cast<int>(r.param / 1000);
        ASSERT_GE(w, 0);
        ASSERT_LT(w, workers);
        EXPECT_EQ(r.param % 1000, next[w]++);
        EXPECT_EQ(r.thread, GetCurrentThreadId());
    }
}
