#pragma once
#include <windows.h>

#include <atomic>
#include <string>

#include "core/Handle.h"

// The global shortcut: a Windows key held with the hotkey (space unless chosen otherwise).
// The hook runs on a thread of its own, so that nothing the user-interface thread waits for (a
// slow update check, a modal box, a slow disk) holds the desktop's keys or gets the hook
// removed by the platform: it reads HotkeyKey there, so that one is atomic.
extern std::wstring HotkeyName;      // normalised: lower case, trimmed
extern std::atomic<DWORD> HotkeyKey; // its virtual-key code
extern HookHandle KeyHookHandle;     // owned by the hook's thread while it runs

std::wstring GetHotkeyName();
void SetHotkey(const std::wstring& name);
std::wstring NormalizeHotkeyName(const std::wstring& name);
DWORD HotkeyNameToKey(const std::wstring& name);
void LoadHotkey();
// Takes effect at once; the store may raise "Unable to write to ..." afterwards.
void SaveHotkey(const std::wstring& name);

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

// Keys typed right after the shortcut belong to the bar (the rule: core/rules/Typeahead): from
// the shortcut on, the hook keeps them (in order, with their modifiers) until the bar, once its
// search box has the focus, takes them one by one (TakeTypedAhead) and types each again; keys
// typed meanwhile queue up behind. When none is kept, EndTypeaheadInOrder ends the keeping at
// that point of the input stream: keys the hook has yet to see are kept first (false: take those
// too). EndTypeahead types the rest again at once, wherever the focus is (the bar hid), up to a
// shortcut pressed again. Kept keys the bar has not begun taking five seconds after the shortcut
// are dropped, never typed elsewhere.
enum class TypedAhead { None, Key, Shortcut };
// The next kept key (Key), or a shortcut pressed again after the keys before it (Shortcut: show
// the bar, which an Escape among those keys may have hidden).
TypedAhead TakeTypedAhead(INPUT& key) noexcept;
bool EndTypeaheadInOrder() noexcept;
// True when a shortcut was kept after the keys typed at the focus: the bar is to be shown again,
// and the keys after it stay kept for it.
bool EndTypeahead() noexcept;

// Marks key events the program injects itself, so that the hook lets them pass.
inline constexpr ULONG_PTR kOwnInputMarker = 0x5A617276; // "Zarv"

// Sends a harmless key stroke so that releasing the Windows key after the shortcut does not
// open the Start menu. The hook's thread sends it as it swallows the shortcut, ahead of the
// Windows key's release, whatever the user-interface thread is doing.
void MaskWindowsKeyRelease() noexcept;
