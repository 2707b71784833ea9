#include "core/URLHelper.h"

#include <windows.h>

#include <shellapi.h>

void OpenUrl(const std::wstring& url)
{
    ::ShellExecuteW(nullptr, L"OPEN", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
