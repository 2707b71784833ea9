#include <windows.h>

#include <commctrl.h>

#include <bitset>
#include <memory>

#include <objbase.h>

#include "program/IstancesHelper.h"
#include "ui/ErrorReport.h"
#include "ui/MAIN.h"
#include "ui/TApplication.h"
#include "ui/Theme.h"

namespace {

bool IsBarOrChild(HWND hwnd) noexcept
{
    return Form1 && Form1->Handle() && (hwnd == Form1->Handle() || ::IsChild(Form1->Handle(), hwnd));
}

// The bar previews its keys: releases reach it whichever of its controls has the focus, and
// Alt+F4 closes it even from a control that would keep the key to itself.
bool PreviewBarKeys(MSG& msg) noexcept
{
    if (!IsBarOrChild(msg.hwnd))
        return false;
    if (msg.message == WM_SYSKEYDOWN && msg.wParam == VK_F4) {
        ::PostMessageW(Form1->Handle(), WM_CLOSE, 0, 0);
        return true;
    }
    // A release acts only when the bar saw the press: an Escape that cancelled a dialog
    // must not hide the bar that dialog gave the focus back to.
    static std::bitset<256> pressed;
    const auto key = static_cast<WORD>(msg.wParam & 0xFF);
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN)
        pressed.set(key);
    if ((msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP) && pressed.test(key)) {
        pressed.reset(key);
        RunGuarded([key] { Form1->FormKeyUp(key); });
    }
    return false;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    if (IsAnotherInstanceRunning()) {
        SignalRunningInstance();
        return 0;
    }

    // The folder picker is a COM object of the user-interface thread.
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof(icc);
    icc.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&icc);

    ApplyTheme(::GetModuleHandleW(nullptr));

    std::unique_ptr<TApplication> application;
    std::unique_ptr<TForm1> bar;
    RunGuarded([&] {
        application = std::make_unique<TApplication>();
        bar = std::make_unique<TForm1>(application->Handle());
    });
    if (!application || !bar)
        return 1;
    return RunMessageLoop(&PreviewBarKeys);
}
