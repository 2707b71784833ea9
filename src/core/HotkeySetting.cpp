#include "core/HotkeySetting.h"

#include "core/SettingsFile.h"
#include "core/rules/Hotkey.h"

std::wstring HotkeyName = L"space";
std::atomic<DWORD> HotkeyKey = hotkey::kSpace;

std::wstring GetHotkeyName()
{
    return HotkeyName;
}

std::wstring NormalizeHotkeyName(const std::wstring& name)
{
    return hotkey::NormalizeName(name);
}

DWORD HotkeyNameToKey(const std::wstring& name)
{
    return hotkey::NameToKey(name);
}

void SetHotkey(const std::wstring& name)
{
    HotkeyName = NormalizeHotkeyName(name);
    HotkeyKey = HotkeyNameToKey(HotkeyName);
}

void LoadHotkey()
{
    SetHotkey(L"space");
    SetHotkey(ReadSettingString(L"Hotkey", HotkeyName));
}

void SaveHotkey(const std::wstring& name)
{
    SetHotkey(name);
    WriteSettingString(L"Hotkey", HotkeyName);
}
