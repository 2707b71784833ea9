#include "ui/Announce.h"

#include <oleacc.h>

namespace {

// The UI Automation entry points, from the platform's library: older systems (and Wine) may
// lack them, which must cost nothing.
enum NotificationKind { ActionCompleted = 2 };
enum NotificationProcessing { MostRecent = 3 };
using HostProviderFromHwnd = HRESULT(WINAPI*)(HWND, IUnknown**);
using RaiseNotification = HRESULT(WINAPI*)(IUnknown*, int, int, BSTR, BSTR);

struct Uia {
    HostProviderFromHwnd hostProvider = nullptr;
    RaiseNotification raise = nullptr;
};

const Uia& Loaded() noexcept
{
    static const Uia uia = [] {
        Uia found;
        if (const HMODULE module = ::LoadLibraryExW(L"uiautomationcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
            found.hostProvider = reinterpret_cast<HostProviderFromHwnd>(
                reinterpret_cast<void*>(::GetProcAddress(module, "UiaHostProviderFromHwnd")));
            found.raise = reinterpret_cast<RaiseNotification>(
                reinterpret_cast<void*>(::GetProcAddress(module, "UiaRaiseNotificationEvent")));
        }
        return found;
    }();
    return uia;
}

} // namespace

void AnnounceSelectedRow(HWND list, int row) noexcept
{
    if (list && row >= 0)
        ::NotifyWinEvent(EVENT_OBJECT_SELECTION, list, OBJID_CLIENT, row + 1);
}

void AnnounceText(HWND window, const std::wstring& text) noexcept
{
    const Uia& uia = Loaded();
    if (!uia.hostProvider || !uia.raise)
        return;
    IUnknown* provider = nullptr;
    if (FAILED(uia.hostProvider(window, &provider)) || !provider)
        return;
    const BSTR said = ::SysAllocString(text.c_str());
    const BSTR activity = ::SysAllocString(L"ZarviResultCount");
    if (said && activity)
        uia.raise(provider, ActionCompleted, MostRecent, said, activity);
    ::SysFreeString(said);
    ::SysFreeString(activity);
    provider->Release();
}
