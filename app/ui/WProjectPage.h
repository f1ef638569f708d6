#pragma once
// Placeholder until the page is built: the dialog alone.
#include "app/store/DataFile.h"
#include "app/workflow/SettingsInterface.h"
#include "common/ctl/Dialog.h"

namespace Quorvane_ns {

class WProjectPage_cl : public CTL_ns::ModelessDialog_cl {
public:
    WProjectPage_cl(Stores_cl& stores, const SettingsHost_cl& settings) : m_stores(stores), m_settings(settings) {}
    HWND Create(HWND parent);
    void SetBusy(bool busy) { m_busy = busy; }

private:
    Stores_cl& m_stores;
    const SettingsHost_cl& m_settings;
    bool m_busy = false;
};

} // namespace Quorvane_ns
