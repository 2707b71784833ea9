#include "core/SettingsFile.h"

#include <windows.h>

#include "core/AppPathHelper.h"
#include "core/Handle.h"
#include "core/rules/AppError.h"
#include "core/rules/ProfileValue.h"

TSettingsAccess::~TSettingsAccess()
{
    ::WritePrivateProfileStringW(nullptr, nullptr, nullptr, path_.c_str());
}

std::wstring TSettingsAccess::ReadString(const wchar_t* section, const wchar_t* key, const std::wstring& fallback) const
{
    wchar_t buffer[2048] = {};
    const DWORD length = ::GetPrivateProfileStringW(section, key, fallback.c_str(), buffer, 2048, path_.c_str());
    return std::wstring(buffer, length);
}

void TSettingsAccess::WriteString(const wchar_t* section, const wchar_t* key, const std::wstring& value)
{
    // Some systems cache profile writes and lose a refused one silently when writing it out:
    // make sure the file can be written before handing the value over.
    FileHandle probe(::CreateFileW(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!probe || !::WritePrivateProfileStringW(section, key, value.c_str(), path_.c_str()))
        throw AppError(L"Unable to write to " + path_);
}

bool TSettingsAccess::ReadBool(const wchar_t* section, const wchar_t* key, bool fallback) const
{
    return ParseProfileBool(ReadString(section, key, L""), fallback);
}

void TSettingsAccess::WriteBool(const wchar_t* section, const wchar_t* key, bool value)
{
    WriteString(section, key, value ? L"1" : L"0");
}

std::wstring ReadSettingString(const wchar_t* key, const std::wstring& fallback)
{
    const std::wstring path = GetSettingsFile();
    if (path.empty())
        return fallback;
    return TSettingsAccess(path).ReadString(kSettingsSection, key, fallback);
}

void WriteSettingString(const wchar_t* key, const std::wstring& value)
{
    const std::wstring path = GetSettingsFile();
    if (path.empty())
        return;
    TSettingsAccess(path).WriteString(kSettingsSection, key, value);
}

bool ReadSettingBool(const wchar_t* key, bool fallback)
{
    const std::wstring path = GetSettingsFile();
    if (path.empty())
        return fallback;
    return TSettingsAccess(path).ReadBool(kSettingsSection, key, fallback);
}

void WriteSettingBool(const wchar_t* key, bool value)
{
    const std::wstring path = GetSettingsFile();
    if (path.empty())
        return;
    TSettingsAccess(path).WriteBool(kSettingsSection, key, value);
}
