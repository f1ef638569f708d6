#include "app/ui/TaskbarProgress.h"
#include <mutex>

namespace Quorvane_ns {

namespace {

std::mutex g_factoryMutex;
TaskbarProgress_cl::Factory_fn g_factory;

ITaskbarList3* ShellTaskbarList()
{
    ITaskbarList3* list = nullptr;
    if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                reinterpret_cast<void**>(&list))))
        return nullptr;
    if (FAILED(list->HrInit())) {
        list->Release();
        return nullptr;
    }
    return list;
}

} // namespace

void TaskbarProgress_cl::SetFactory(Factory_fn factory)
{
    std::lock_guard<std::mutex> lock(g_factoryMutex);
    g_factory = std::move(factory);
}

ITaskbarList3* TaskbarProgress_cl::List()
{
    // Made once: a system without the list says so the same way every time.
    if (!m_tried) {
        m_tried = true;
        Factory_fn factory;
        {
            std::lock_guard<std::mutex> lock(g_factoryMutex);
            factory = g_factory;
        }
        m_list = Base_ns::ComPtr_tl<ITaskbarList3>(factory ? factory() : ShellTaskbarList());
    }
    return m_list.Get();
}

void TaskbarProgress_cl::Show(HWND window, int done, int total)
{
    ITaskbarList3* list = List();
    if (!list) return;
    if (total <= 0) {
        list->SetProgressState(window, TBPF_INDETERMINATE);
        return;
    }
    list->SetProgressState(window, TBPF_NORMAL);
    list->SetProgressValue(window, static_cast<ULONGLONG>(done < 0 ? 0 : done), static_cast<ULONGLONG>(total));
}

void TaskbarProgress_cl::Clear(HWND window)
{
    // Nothing to clear before the first job showed something.
    if (m_list) m_list->SetProgressState(window, TBPF_NOPROGRESS);
}

} // namespace Quorvane_ns
