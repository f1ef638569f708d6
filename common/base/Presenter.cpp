#include "common/base/Presenter.h"
#include <atomic>

namespace Base_ns {
namespace {
std::atomic<Presenter_cl*> g_presenter{nullptr};
}

void SetPresenter(Presenter_cl* presenter) { g_presenter.store(presenter); }
Presenter_cl* CurrentPresenter() { return g_presenter.load(); }

int ShowMessage(HWND owner, const String_cl& text, const String_cl& caption, UINT type)
{
    if (Presenter_cl* p = g_presenter.load())
        return p->Message(owner, text, caption, type);
    return MessageBoxW(owner, text.c_str(), caption.c_str(), type);
}

} // namespace Base_ns
