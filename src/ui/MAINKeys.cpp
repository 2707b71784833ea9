#include "ui/MAIN.h"

#include <windows.h>

#include "core/KeyHookHelper.h"
#include "core/TypedAhead.h"
#include "ui/ErrorReport.h"
#include "ui/SmartCombo.h"

// The bar's keys: its key preview sees each key before the focused control does.

void TForm1::FormKeyUp(WORD key)
{
    switch (key) {
    case VK_ESCAPE:
        HideToTray();
        break;
    case VK_F1:
        mnuHelpClick();
        break;
    case VK_F2:
        btnPathsClick();
        break;
    default:
        break;
    }
}

bool TForm1::PreviewKey(const MSG& msg) noexcept
{
    const HWND bar = Handle();
    if (!bar || (msg.hwnd != bar && !::IsChild(bar, msg.hwnd)))
        return false;
    // Alt+F4 closes the bar even from a control that would keep the key to itself. F4 alone
    // also arrives as a system key when no control has the focus: the Alt flag tells them apart.
    if (msg.message == WM_SYSKEYDOWN && msg.wParam == VK_F4 && (HIWORD(msg.lParam) & KF_ALTDOWN)) {
        ::PostMessageW(bar, WM_CLOSE, 0, 0);
        return true;
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && ::GetKeyState(VK_CONTROL) >= 0) {
        // The keyboard moves the focus: its mark shows from here on, as in a dialog.
        ::SendMessageW(bar, WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
        RunGuarded([this] { MoveFocus(::GetKeyState(VK_SHIFT) < 0); });
        return true;
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN && (msg.hwnd == btnPaths || msg.hwnd == btnMenu)) {
        // Posted: the menu button's menu runs a modal loop of its own.
        const int id = msg.hwnd == btnPaths ? kPathsButtonId : kMenuButtonId;
        ::PostMessageW(bar, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(msg.hwnd));
        return true;
    }
    // A release acts only when the bar saw the press: an Escape that cancelled a dialog must
    // not hide the bar that dialog gave the focus back to.
    const auto key = static_cast<WORD>(msg.wParam & 0xFF);
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN)
        pressedKeys_.set(key);
    if ((msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP) && pressedKeys_.test(key)) {
        pressedKeys_.reset(key);
        RunGuarded([this, key] { FormKeyUp(key); });
    }
    return false;
}

void TForm1::MoveFocus(bool backwards)
{
    // The tab order: edit paths, menu, then the search box.
    const HWND focus = ::GetFocus();
    const int current = focus == btnPaths ? 0 : focus == btnMenu ? 1 : 2;
    const int next = (current + (backwards ? 2 : 1)) % 3;
    if (next == 2 && SearchBox)
        SearchBox->FocusBox();
    else if (next != 2)
        ::SetFocus(next == 0 ? btnPaths : btnMenu);
}

void TForm1::ReplayTypedAhead()
{
    // One key at a time, each handled before the next is sent: a key may move the focus (the
    // first character recreates the search box), and a key sent at once would still go to the
    // control that had the focus when it was sent.
    constexpr DWORD kArrivalMs = 500;
    INPUT key{};
    while (Handle()) {
        if (::GetForegroundWindow() != Handle()) {
            // The bar hid (an Escape, an Enter) or never took the focus: the keys typed after go
            // where the user's focus is, up to a shortcut pressed again, which shows it again.
            if (!EndTypeahead())
                return;
            ShowBar();
            continue;
        }
        switch (TakeTypedAhead(key)) {
        case TypedAhead::Key:
            ::SendInput(1, &key, sizeof(INPUT));
            ::MsgWaitForMultipleObjectsEx(0, nullptr, kArrivalMs, QS_KEY, 0);
            ProcessPendingMessages();
            break;
        case TypedAhead::Shortcut:
            ShowBar(); // shown already: brought to the front
            break;
        case TypedAhead::None:
            if (EndTypeaheadInOrder())
                return;
            break;
        }
    }
}

void TForm1::ProcessPendingMessages(UINT only)
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | only)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (PreviewKey(msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}
