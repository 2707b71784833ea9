#pragma once
// What the bar window shows to the outside and to its own parts: its control ids, its private
// messages and the names it is found by. Tests include this header rather than retyping them.
#include <windows.h>

#include "core/AppInfo.h"

inline constexpr int kMenuButtonId = 101;  // btnMenu
inline constexpr int kPathsButtonId = 102; // btnPaths

// Posted by the keyboard hook to have the bar shown once the hook has returned.
inline constexpr UINT kShowBarMessage = WM_APP + 20;
// The tray icon's mouse use, as the shell reports it (lParam: the mouse message).
inline constexpr UINT kTrayMessage = WM_APP + 21;
// Posted by the folder scanner when a newer entry list is known.
inline constexpr UINT kEntriesMessage = WM_APP + 22;
// Posted to the bar itself once it is hidden, to ready the search box for the next show.
inline constexpr UINT kReadyBoxMessage = WM_APP + 23;
// Posted by the keyboard hook's thread with a line for the event log (wParam a HookNotice).
inline constexpr UINT kHookNoticeMessage = WM_APP + 24;
// Posted by an update check's thread with what it found (lParam, see TakeUpdateAnswer).
inline constexpr UINT kUpdateAnswerMessage = WM_APP + 25;

// The window class of the bar; its title is kBarTitle, its activation message kActivationMessage.
inline constexpr const wchar_t* kBarClass = L"TForm1";
// The window class of the search box, the bar's child that holds the combo.
inline constexpr const wchar_t* kSearchBoxClass = L"TSmartComboBox";
