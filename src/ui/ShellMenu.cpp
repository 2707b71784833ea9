#include "ui/ShellMenu.h"

#include <shellapi.h>
#include <shlobj.h>

#include "core/Handle.h"
#include "core/MiniLogHelper.h"
#include "core/ScopeGuard.h"
#include "core/ShellActions.h"
#include "core/WinError.h"

namespace {

// The command identifiers the shell may use: ours would start above them, but the menu is all
// the shell's.
constexpr UINT kFirstCommand = 1;
constexpr UINT kLastCommand = 0x7FFF;

// The menu open now, for the owner's messages (one menu at a time on the one UI thread).
IContextMenu2* openMenu2 = nullptr;
IContextMenu3* openMenu3 = nullptr;

ComPtr<IContextMenu> MenuOf(HWND owner, const std::wstring& path, HRESULT& hr)
{
    ComPtr<IContextMenu> menu;
    const ItemIdList item = ParseItem(path, hr);
    if (FAILED(hr))
        return menu;
    ComPtr<IShellFolder> parent;
    PCUITEMID_CHILD child = nullptr;
    hr = ::SHBindToParent(item.get(), IID_IShellFolder, parent.put_void(), &child);
    if (SUCCEEDED(hr))
        hr = parent->GetUIObjectOf(owner, 1, &child, IID_IContextMenu, nullptr, menu.put_void());
    return menu;
}

} // namespace

bool ShowShellMenu(HWND owner, const std::wstring& path, POINT at, bool extended)
{
    HRESULT hr = S_OK;
    ComPtr<IContextMenu> menu = MenuOf(owner, path, hr);
    MenuHandle popup(::CreatePopupMenu());
    if (menu && popup) {
        const UINT flags = CMF_NORMAL | (extended ? CMF_EXTENDEDVERBS : 0);
        hr = menu->QueryContextMenu(popup.get(), 0, kFirstCommand, kLastCommand, flags);
    }
    if (!menu || !popup || FAILED(hr)) {
        AddLog(L"Cannot show the menu of \"" + path + L"\": " + SystemErrorText(static_cast<DWORD>(hr)));
        return false;
    }

    ComPtr<IContextMenu2> menu2;
    ComPtr<IContextMenu3> menu3;
    menu->QueryInterface(IID_IContextMenu2, menu2.put_void());
    menu->QueryInterface(IID_IContextMenu3, menu3.put_void());
    UINT chosen = 0;
    {
        openMenu2 = menu2.get();
        openMenu3 = menu3.get();
        const ScopeExit closed([]() noexcept {
            openMenu2 = nullptr;
            openMenu3 = nullptr;
        });
        chosen = static_cast<UINT>(::TrackPopupMenuEx(popup.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN,
                                                      at.x, at.y, owner, nullptr));
    }
    if (chosen < kFirstCommand)
        return false;

    CMINVOKECOMMANDINFOEX invoke{};
    invoke.cbSize = sizeof(invoke);
    invoke.fMask = CMIC_MASK_UNICODE | CMIC_MASK_PTINVOKE;
    if (::GetKeyState(VK_CONTROL) < 0)
        invoke.fMask |= CMIC_MASK_CONTROL_DOWN;
    if (::GetKeyState(VK_SHIFT) < 0)
        invoke.fMask |= CMIC_MASK_SHIFT_DOWN;
    invoke.hwnd = owner;
    invoke.lpVerb = MAKEINTRESOURCEA(chosen - kFirstCommand);
    invoke.lpVerbW = MAKEINTRESOURCEW(chosen - kFirstCommand);
    invoke.nShow = SW_SHOWNORMAL;
    invoke.ptInvoke = at;
    hr = menu->InvokeCommand(reinterpret_cast<CMINVOKECOMMANDINFO*>(&invoke));
    if (FAILED(hr) && hr != HRESULT_FROM_WIN32(ERROR_CANCELLED))
        AddLog(L"The command chosen for \"" + path + L"\" failed: " + SystemErrorText(static_cast<DWORD>(hr)));
    return true;
}

bool ForwardToShellMenu(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) noexcept
{
    switch (message) {
    case WM_INITMENUPOPUP:
    case WM_MENUCHAR:
    case WM_MENUSELECT:
        break;
    case WM_DRAWITEM:
        // The owner's own controls draw through the same message.
        if (reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->CtlType != ODT_MENU)
            return false;
        break;
    case WM_MEASUREITEM:
        if (reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam)->CtlType != ODT_MENU)
            return false;
        break;
    default:
        return false;
    }
    result = 0;
    if (openMenu3)
        return SUCCEEDED(openMenu3->HandleMenuMsg2(message, wParam, lParam, &result));
    if (openMenu2 && message != WM_MENUCHAR)
        return SUCCEEDED(openMenu2->HandleMenuMsg(message, wParam, lParam));
    return false;
}
