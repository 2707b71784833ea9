#include "core/AppPathHelper.h"

#include <windows.h>

#include <shlobj.h>

#include "core/AppInfo.h"
#include "core/FileHelper.h"
#include "core/WindowsSpecialFolderHelper.h"
#include "core/rules/PathListText.h"

std::wstring GetExeFile()
{
    wchar_t buffer[261] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, buffer, 261);
    return std::wstring(buffer, length < 261 ? length : 260);
}

std::wstring GetExeName()
{
    const std::wstring exe = GetExeFile();
    const size_t cut = exe.find_last_of(L"\\:");
    return cut == std::wstring::npos ? exe : exe.substr(cut + 1);
}

std::wstring GetAppFolder()
{
    try {
        const std::wstring path = GetSpecialFolder(CSIDL_PERSONAL) + L"\\" + kAppName;
        if (!DirectoryExists(path))
            ForceDirectories(path);
        return path;
    } catch (...) {
        return {};
    }
}

std::wstring GetPathListFile()
{
    try {
        const std::wstring file = GetAppFolder() + L"\\" + kAppName + L".txt";
        // A link whose target is missing (a synced folder not there yet) is the user's: left alone,
        // its reading tells why the list is empty.
        if (!FileExists(file) && !IsDanglingLink(file)) {
            const std::string content =
                pathlist::DefaultContent(GetSpecialFolder(CSIDL_PROGRAMS), GetSpecialFolder(CSIDL_PERSONAL));
            WriteWholeFile(file, content);
        }
        return file;
    } catch (...) {
        return {};
    }
}

std::wstring GetSettingsFile()
{
    try {
        return GetAppFolder() + L"\\" + kAppName + L".ini";
    } catch (...) {
        return {};
    }
}
