#pragma once
// What a screen reader is told while the focus stays in the search box, as the platform's own
// autocomplete tells it: the row now selected in the list, and after typing pauses, how many
// entries are listed.
#include <windows.h>

#include <string>

// EVENT_OBJECT_SELECTION for `row` (from 0) of the combo's list window.
void AnnounceSelectedRow(HWND list, int row) noexcept;

// A UI Automation notification with `text` from `window`, where the platform has them
// (UiaRaiseNotificationEvent, loaded at run time); nothing, and no error, where it has not.
void AnnounceText(HWND window, const std::wstring& text) noexcept;
