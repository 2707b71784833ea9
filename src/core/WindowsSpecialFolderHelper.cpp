#include "core/WindowsSpecialFolderHelper.h"

#include <windows.h>

#include <shlobj.h>

std::wstring GetSpecialFolder(int csidl)
{
    // A failed lookup leaves the buffer empty: the caller writes it as an empty row, skipped when read.
    wchar_t buffer[3001] = {};
    ::SHGetFolderPathW(nullptr, csidl, nullptr, 0, buffer);
    buffer[3000] = L'\0';
    return buffer;
}
