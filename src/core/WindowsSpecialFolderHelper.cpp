#include "core/WindowsSpecialFolderHelper.h"

#include <windows.h>

#include <shlobj.h>

std::wstring GetSpecialFolder(int csidl)
{
    // A failed lookup gives the empty string: in the default path list an empty row, skipped when
    // read; for Documents the application folder then falls back to the current drive's root.
    wchar_t buffer[3001] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, 0, buffer)))
        return {};
    buffer[3000] = L'\0';
    return buffer;
}
