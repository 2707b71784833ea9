#include "core/SettingsFile.h"

#include <windows.h>

#include "core/AppPathHelper.h"
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
    const bool existed = ::GetFileAttributesW(path_.c_str()) != INVALID_FILE_ATTRIBUTES;
    // A profile writer may cache the value and lose it silently when writing the file out (a
    // full disk, a file it may not replace): the value is written out and read back. Nothing
    // of ours holds the file open meanwhile, since the writer may not share it.
    bool stored = ::WritePrivateProfileStringW(section, key, value.c_str(), path_.c_str()) != FALSE;
    ::WritePrivateProfileStringW(nullptr, nullptr, nullptr, path_.c_str());
    stored = stored && ReadString(section, key, value + L"?") == value;
    if (stored)
        return;
    // A file made for this write and left empty by its failure goes again.
    if (!existed)
        ::DeleteFileW(path_.c_str());
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

namespace {

// The access pattern: ask for the path, open an accessor, one read or write, close it again.
template <typename Result, typename Access> Result WithSettings(Result fallback, Access access)
{
    const std::wstring path = GetSettingsFile();
    if (path.empty())
        return fallback;
    TSettingsAccess settings(path);
    return access(settings);
}

} // namespace

std::wstring ReadSettingString(const wchar_t* key, const std::wstring& fallback)
{
    return WithSettings(fallback, [&](TSettingsAccess& s) { return s.ReadString(kSettingsSection, key, fallback); });
}

void WriteSettingString(const wchar_t* key, const std::wstring& value)
{
    WithSettings(true, [&](TSettingsAccess& s) {
        s.WriteString(kSettingsSection, key, value);
        return true;
    });
}

bool ReadSettingBool(const wchar_t* key, bool fallback)
{
    return WithSettings(fallback, [&](TSettingsAccess& s) { return s.ReadBool(kSettingsSection, key, fallback); });
}

void WriteSettingBool(const wchar_t* key, bool value)
{
    WithSettings(true, [&](TSettingsAccess& s) {
        s.WriteBool(kSettingsSection, key, value);
        return true;
    });
}
