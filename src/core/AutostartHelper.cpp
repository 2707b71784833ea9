#include "core/AutostartHelper.h"

#include <windows.h>

#include "core/AppPathHelper.h"
#include "core/Handle.h"
#include "core/SettingsFile.h"
#include "core/rules/AppError.h"

namespace {

// Every opening asks for all rights, the mere existence test too.
RegKeyHandle OpenRunKey()
{
    RegKeyHandle key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS)
        return {};
    return key;
}

} // namespace

void AddToAutostart()
{
    const std::wstring name = GetExeName();
    const std::wstring data = L"\"" + GetExeFile() + L"\"";
    RegKeyHandle key;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr) !=
        ERROR_SUCCESS)
        return;
    if (::RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                         static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS)
        throw AppError(L"Failed to set data for '" + name + L"'");
}

bool IsInAutostart()
{
    const RegKeyHandle key = OpenRunKey();
    return key &&
           ::RegQueryValueExW(key.get(), GetExeName().c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void RemoveFromAutostart()
{
    const RegKeyHandle key = OpenRunKey();
    const std::wstring name = GetExeName();
    if (key && ::RegQueryValueExW(key.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
        ::RegDeleteValueW(key.get(), name.c_str());
}

bool LoadAutostart()
{
    return ReadSettingBool(L"Autostart", IsInAutostart());
}

void SetAutostart(bool on)
{
    WriteSettingBool(L"Autostart", on);
    if (on)
        AddToAutostart();
    else
        RemoveFromAutostart();
}

void ApplyAutostart()
{
    SetAutostart(LoadAutostart());
}
