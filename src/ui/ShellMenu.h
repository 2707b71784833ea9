#pragma once
// The shell's own context menu of a file or folder, as Explorer shows it: "Open with", "Send to",
// "Copy", "Properties" and whatever the user's programs add.
#include <windows.h>

#include <string>

// Shows the menu of `path` at `at` (screen coordinates) owned by `owner`, with the verbs Explorer
// shows on Shift when `extended`, and runs the chosen command. True when a command ran; false when
// the menu was closed with nothing chosen or could not be made (logged).
bool ShowShellMenu(HWND owner, const std::wstring& path, POINT at, bool extended);

// The owner's messages that the open menu's own items need (its submenus fill and draw through
// them). True when the menu took the message, with its result in `result`.
bool ForwardToShellMenu(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) noexcept;
