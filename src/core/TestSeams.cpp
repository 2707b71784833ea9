#include "core/TestSeams.h"

#include <windows.h>

#include <cwchar>

void DelayShowForTests() noexcept
{
#ifdef ZARVI_TEST_SEAMS
    wchar_t value[16] = {};
    if (::GetEnvironmentVariableW(L"ZARVI_TEST_LATE_SHOW_MS", value, 16) - 1u < 15u)
        ::Sleep(static_cast<DWORD>(std::wcstoul(value, nullptr, 10)));
#endif
}

bool HighContrastForTests() noexcept
{
#ifdef ZARVI_TEST_SEAMS
    wchar_t value[4] = {};
    return ::GetEnvironmentVariableW(L"ZARVI_TEST_HIGH_CONTRAST", value, 4) == 1 && value[0] == L'1';
#else
    return false;
#endif
}
