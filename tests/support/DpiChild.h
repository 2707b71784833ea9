#pragma once
// Runs test cases again in a child process of this test program at another DPI: the platform
// takes the DPI from the user's settings when a process starts.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>

#include "core/Handle.h"

namespace dpichild {

inline constexpr const wchar_t* kVariable = L"ZARVI_TEST_DPI";

// The DPI the running test expects: set by the parent for a child, else 96.
inline int ExpectedDpi()
{
    wchar_t value[16] = {};
    return ::GetEnvironmentVariableW(kVariable, value, 16) ? _wtoi(value) : 96;
}

inline bool IsChild()
{
    return ::GetEnvironmentVariableW(kVariable, nullptr, 0) != 0;
}

// Runs the test cases matching `filter` in a child started at `dpi`; its exit code (0: passed).
inline DWORD RunAtDpi(int dpi, const std::wstring& filter)
{
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                          nullptr) != ERROR_SUCCESS)
        return 1000;
    const RegKeyHandle desktop(key);
    const auto value = static_cast<DWORD>(dpi);
    ::RegSetValueExW(key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    ::SetEnvironmentVariableW(kVariable, std::to_wstring(dpi).c_str());

    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring commandLine = L"\"" + std::wstring(self) + L"\" --gtest_filter=" + filter;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    const bool started =
        ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    // The child has read the DPI once it runs: the user's setting goes back at once.
    ::SetEnvironmentVariableW(kVariable, nullptr);
    DWORD code = 1001;
    if (started) {
        const KernelHandle process(pi.hProcess), thread(pi.hThread);
        if (::WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0)
            ::GetExitCodeProcess(pi.hProcess, &code);
        else
            ::TerminateProcess(pi.hProcess, 1002);
    }
    ::RegDeleteValueW(key, L"LogPixels");
    return code;
}

} // namespace dpichild
