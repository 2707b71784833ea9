#include "ui/SmartCombo.h"

#include "core/FileHelper.h"
#include "core/MiniLogHelper.h"
#include "core/ShellActions.h"
#include "ui/Announce.h"
#include "ui/ShellMenu.h"

// What the search box does with an entry besides opening it: the shell's menu, the entry's
// folder, running it as administrator, copying its path.

std::wstring TSmartComboBox::ActionTarget() const
{
    if (std::wstring selected = SelectedEntry(); !selected.empty())
        return selected;
    std::wstring text = Text();
    return !text.empty() && FileOrDirectoryExists(text) ? text : std::wstring();
}

void TSmartComboBox::HideBar() const
{
    ::ShowWindow(::GetAncestor(Handle(), GA_ROOT), SW_HIDE);
}

bool TSmartComboBox::EntryKeyDown(WPARAM key)
{
    if (key != VK_RETURN || ::GetKeyState(VK_CONTROL) >= 0 || ::GetKeyState(VK_MENU) < 0)
        return false;
    const std::wstring target = ActionTarget();
    if (target.empty())
        return true;
    if (::GetKeyState(VK_SHIFT) < 0) {
        // A refused elevation leaves the bar as it was; a failure the shell has told itself.
        if (RunAsAdministrator(target, ::GetAncestor(Handle(), GA_ROOT)) == RunAsResult::Started)
            HideBar();
        return true;
    }
    if (OpenContainingFolder(target))
        HideBar();
    return true;
}

bool TSmartComboBox::CopyEntryPath()
{
    // Text selected in the edit field is copied as any edit box copies it.
    if (typing_ && edit_) {
        DWORD start = 0, end = 0;
        ::SendMessageW(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        if (start != end)
            return false;
    }
    const std::wstring target = ActionTarget();
    if (target.empty())
        return true;
    if (CopyTextToClipboard(Handle(), target)) {
        AnnounceText(combo_, L"Path copied");
    } else {
        AddLog(L"Cannot copy the path \"" + target + L"\": another program holds the clipboard.");
        AnnounceText(combo_, L"The path could not be copied");
    }
    return true;
}

bool TSmartComboBox::ContextMenu(HWND from, LPARAM where)
{
    POINT at{static_cast<short>(LOWORD(where)), static_cast<short>(HIWORD(where))};
    const bool byKeyboard = where == static_cast<LPARAM>(-1);
    std::wstring target;
    if (byKeyboard) {
        target = ActionTarget();
        // Under the box, as a menu opened from the keyboard is shown for an edit field.
        RECT box{};
        ::GetWindowRect(combo_, &box);
        at = {box.left, box.bottom};
    } else if (from == list_) {
        POINT client = at;
        ::ScreenToClient(list_, &client);
        const auto hit = static_cast<DWORD>(::SendMessageW(
            list_, LB_ITEMFROMPOINT, 0, MAKELPARAM(static_cast<WORD>(client.x), static_cast<WORD>(client.y))));
        const size_t row = LOWORD(hit);
        if (HIWORD(hit) != 0 || row >= FStoredItems.Shown().size())
            return true; // below the last row: no entry, no menu
        target = FStoredItems.EntryOfRow(static_cast<long long>(row));
    } else if (from == combo_ && !typing_) {
        target = SelectedEntry(); // the closed list's face shows the selected entry
    } else {
        return false; // the edit field's own menu (cut, copy, paste)
    }
    if (target.empty())
        return !byKeyboard; // the edit field's own menu when the keys name nothing
    // Shift+F10 is the plain menu's key; Shift held on a click or the menu key asks for more,
    // as in Explorer.
    const bool extended = ::GetKeyState(VK_SHIFT) < 0 && ::GetKeyState(VK_F10) >= 0;
    if (ShowShellMenu(::GetAncestor(Handle(), GA_ROOT), target, at, extended))
        HideBar();
    return true;
}
