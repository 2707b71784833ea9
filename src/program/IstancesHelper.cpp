#include "program/IstancesHelper.h"

#include <windows.h>

#include "core/AppInfo.h"

bool IsAnotherInstanceRunning()
{
    // The handle is kept for the life of the process on purpose: ownership ends with it.
    const HANDLE mutex = ::CreateMutexW(nullptr, FALSE, L"OneCopyMutex_HARBOLT_3183024");
    return ::WaitForSingleObject(mutex, 0) == WAIT_TIMEOUT;
}

void SignalRunningInstance()
{
    const HWND bar = ::FindWindowW(nullptr, kBarTitle);
    if (::IsWindow(bar))
        ::PostMessageW(bar, kActivationMessage, 0, 0);
}
