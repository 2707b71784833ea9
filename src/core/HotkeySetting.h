#pragma once
// The shortcut's key, as chosen in the settings: a Windows key held with it shows the bar. The
// hook's thread reads HotkeyKey while the settings window may change it, so that one is atomic.
#include <windows.h>

#include <atomic>
#include <string>

extern std::wstring HotkeyName;      // normalised: lower case, trimmed
extern std::atomic<DWORD> HotkeyKey; // its virtual-key code

std::wstring GetHotkeyName();
void SetHotkey(const std::wstring& name);
std::wstring NormalizeHotkeyName(const std::wstring& name);
DWORD HotkeyNameToKey(const std::wstring& name);
void LoadHotkey();
// Takes effect at once; the store may raise "Unable to write to ..." afterwards.
void SaveHotkey(const std::wstring& name);
