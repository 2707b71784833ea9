#pragma once
#include <windows.h>

#include <string>

#include "core/Handle.h"

// The global shortcut: a Windows key held with the hotkey (space unless chosen otherwise).
extern std::wstring HotkeyName; // normalised: lower case, trimmed
extern DWORD HotkeyKey;         // its virtual-key code
extern HookHandle KeyHookHandle;

std::wstring GetHotkeyName();
void SetHotkey(const std::wstring& name);
std::wstring NormalizeHotkeyName(const std::wstring& name);
DWORD HotkeyNameToKey(const std::wstring& name);
void LoadHotkey();
// Takes effect at once; the store may raise "Unable to write to ..." afterwards.
void SaveHotkey(const std::wstring& name);

// The hook only decides and swallows; it posts `message` to `window` to have the bar shown,
// so it returns long before the platform's time-out for low-level hooks.
void SetShowBarTarget(HWND window, UINT message) noexcept;
void InstallKeyHook();
void RemoveKeyHook() noexcept;
LRESULT CALLBACK KeyHookProc(int code, WPARAM wParam, LPARAM lParam) noexcept;

// Marks key events the program injects itself, so that the hook lets them pass.
inline constexpr ULONG_PTR kOwnInputMarker = 0x5A617276; // "Zarv"

// Sends a harmless key stroke so that releasing the Windows key after the shortcut does not
// open the Start menu.
void MaskWindowsKeyRelease() noexcept;
