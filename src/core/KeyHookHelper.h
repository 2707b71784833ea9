#pragma once
#include <windows.h>

#include <string>

#include "core/Handle.h"

// The global shortcut: a Windows key held with the hotkey (core/HotkeySetting). The hook runs
// on a thread of its own, so that nothing the user-interface thread waits for (a slow update
// check, a modal box, a slow disk) holds the desktop's keys or gets the hook removed by the
// platform.
extern HookHandle KeyHookHandle; // owned by the hook's thread while it runs

// The hook only decides and swallows; it posts `message` to `window` to have the bar shown,
// so it returns long before the platform's time-out for low-level hooks. What the hook's thread
// has to tell the event log comes as `noticeMessage` (wParam a HookNotice, lParam a count).
void SetShowBarTarget(HWND window, UINT message, UINT noticeMessage = 0) noexcept;
enum class HookNotice : WPARAM { KeysDropped = 1, HookInstalledAgain = 2 };
// The event log's line for a notice.
std::wstring HookNoticeText(WPARAM notice, LPARAM count);
// Loads the hotkey, then installs the hook on its own thread (once) and waits until it is in place.
void InstallKeyHook();
// Removes the hook and ends its thread; nothing when there is none.
void RemoveKeyHook() noexcept;
// The hook's thread, 0 when none runs.
DWORD KeyHookThreadId() noexcept;
LRESULT CALLBACK KeyHookProc(int code, WPARAM wParam, LPARAM lParam) noexcept;

// Ends the keeping of typed-ahead keys (core/TypedAhead) at this point of the input stream,
// once no kept key waits: keys the hook has yet to see are kept first (false: the bar takes
// those too). A marker the hook never sees has the hook installed again.
bool EndTypeaheadInOrder() noexcept;

// Sends a harmless key stroke so that releasing the Windows key after the shortcut does not
// open the Start menu. The hook's thread sends it as it swallows the shortcut, ahead of the
// Windows key's release, whatever the user-interface thread is doing.
void MaskWindowsKeyRelease() noexcept;
