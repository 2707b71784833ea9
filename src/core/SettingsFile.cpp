#include "core/SettingsFile.h"

#include <windows.h>

#include "core/AppPathHelper.h"
#include "core/FileHelper.h"
#include "core/rules/AppError.h"
#include "core/rules/ProfileValue.h"

TSettingsAccess::~TSettingsAccess()
{
    ::WritePrivateProfileStringW(nullptr, nullptr, nullptr, path_.c_str());
}

namespace {

std::wstring ReadProfileString(const std::wstring& path, const wchar_t* section, const wchar_t* key,
                               const std::wstring& fallback)
{
    wchar_t buffer[2048] = {};
    const DWORD length = ::GetPrivateProfileStringW(section, key, fallback.c_str(), buffer, 2048, path.c_str());
    return std::wstring(buffer, length);
}

// The file's bytes as they stand, or none for a file not there yet; false when it cannot be read
// (a folder in its place, a file locked by another program).
bool ReadCurrent(const std::wstring& path, std::string& bytes)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    try {
        bytes = ReadWholeFile(path);
        return true;
    } catch (const AppError&) {
        return false;
    }
}

} // namespace

std::wstring TSettingsAccess::ReadString(const wchar_t* section, const wchar_t* key, const std::wstring& fallback) const
{
    return ReadProfileString(path_, section, key, fallback);
}

void TSettingsAccess::WriteString(const wchar_t* section, const wchar_t* key, const std::wstring& value)
{
    // A value the file holds already is not written again: right after logon an indexer, a
    // virus scanner or a sync client often holds a file just written, and every start stores
    // its choices.
    if (ReadProfileString(path_, section, key, value + L"?") == value)
        return;
    // The profile writer rewrites a file in place, line by line, so a program ended halfway would
    // leave half a file: it writes a copy beside, which replaces the file whole (its final target,
    // with its attributes kept). It may also cache the value and lose it silently (a full disk):
    // the copy must read the value back first. Nothing of ours holds either file open meanwhile,
    // since the writer may not share it.
    const WriteTarget target = ResolveWriteTarget(path_);
    const std::wstring copy = target.path + L".new";
    std::string bytes;
    bool stored = !target.error && ReadCurrent(path_, bytes) && !WriteFreshFile(copy, bytes);
    stored = stored && ::WritePrivateProfileStringW(section, key, value.c_str(), copy.c_str()) != FALSE;
    ::WritePrivateProfileStringW(nullptr, nullptr, nullptr, copy.c_str());
    stored = stored && ReadProfileString(copy, section, key, value + L"?") == value;
    stored = stored && SwapIntoPlace(copy, target) == 0;
    if (stored)
        return;
    ::DeleteFileW(copy.c_str());
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
