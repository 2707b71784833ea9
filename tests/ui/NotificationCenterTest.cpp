#include <gtest/gtest.h>

#include <windows.h>

#include <cwctype>

#include "ui/NotificationCenter.h"

namespace {

TEST(ToastAppId, IsAFixedPrefixAndEightHexDigitsOfThePath)
{
    const std::wstring id = ToastAppId(L"C:\\Tools\\zarvi.exe");
    ASSERT_EQ(id.size(), std::wstring(L"Zarvi.Launcher.").size() + 8);
    EXPECT_EQ(id.rfind(L"Zarvi.Launcher.", 0), 0u);
    for (wchar_t c : id.substr(id.size() - 8))
        EXPECT_TRUE(std::iswxdigit(c)) << static_cast<int>(c);
    EXPECT_EQ(id, ToastAppId(L"c:\\tools\\ZARVI.EXE")) << "the same file in other letter case";
    EXPECT_NE(id, ToastAppId(L"D:\\Tools\\zarvi.exe"));
}

TEST(PresentToast, FailsQuietlyWhereThePlatformHasNoToasts)
{
    // Wine has no toast notification manager: the caller must fall back, nothing may throw.
    if (!::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version"))
        GTEST_SKIP() << "this system has toasts; showing one is no test";
    EXPECT_FALSE(PresentToast(L"ZARVI", L"I'm hidden in taskbar, press WIN+SPACE to start search"));
}

} // namespace
