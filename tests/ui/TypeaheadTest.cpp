#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "core/KeyHookHelper.h"
#include "support/AppFolderSandbox.h"
#include "support/Probe.h"

namespace {

// The hook of this process with a target that never shows anything: a bar that cannot take the
// focus. Keys typed after the shortcut are kept, then typed again where the focus is.
class TypeaheadWithoutABar : public AppFolderSandbox {
protected:
    void SetUp() override
    {
        AppFolderSandbox::SetUp();
        target = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        shows = 0;
        ::SetWindowLongPtrW(target, GWLP_WNDPROC,
                            reinterpret_cast<LONG_PTR>(+[](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
                                if (message == kShow)
                                    ++shows;
                                return ::DefWindowProcW(hwnd, message, wParam, lParam);
                            }));
        edit = ::CreateWindowExW(WS_EX_TOPMOST, L"EDIT", L"", WS_POPUP | WS_VISIBLE | WS_BORDER, 60, 60, 300, 40,
                                 nullptr, nullptr, nullptr, nullptr);
        SetShowBarTarget(target, kShow);
        InstallKeyHook();
        ASSERT_TRUE(probe::WaitUntil(
            [&] {
                ::SetForegroundWindow(edit);
                ::SetFocus(edit);
                return ::GetForegroundWindow() == edit;
            },
            5000, 20));
    }
    void TearDown() override
    {
        RemoveKeyHook();
        SetShowBarTarget(nullptr, 0);
        ::DestroyWindow(edit);
        ::DestroyWindow(target);
        AppFolderSandbox::TearDown();
    }
    std::wstring Typed()
    {
        Pump();
        return probe::WindowText(edit);
    }
    void Pump()
    {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }

    static constexpr UINT kShow = WM_APP + 5;
    HWND target = nullptr;
    HWND edit = nullptr;
    static inline int shows = 0;
};

TEST_F(TypeaheadWithoutABar, KeysAreKeptThenGoWhereTheFocusIsASecondAfterTheShortcut)
{
    probe::KeyDown(VK_LWIN);
    probe::TapKey(VK_SPACE);
    probe::KeyUp(VK_LWIN);
    probe::TapKey('A');
    probe::KeyDown(VK_SHIFT);
    probe::TapKey('B');
    probe::KeyUp(VK_SHIFT);
    probe::TypeText(L"\u00e9"); // a character typed as such, as an input method does

    const DWORD start = ::GetTickCount();
    probe::WaitUntil([] { return false; }, kTypeaheadLimitMs / 2);
    EXPECT_EQ(Typed(), L"") << "keys reached the focused window before the bar had its second";
    EXPECT_EQ(shows, 1);
    EXPECT_TRUE(probe::WaitUntil([&] { return Typed() == L"aB\u00e9"; }, kTypeaheadLimitMs * 3))
        << "holds \"" << std::string(Typed().begin(), Typed().end()) << "\"";
    EXPECT_GE(::GetTickCount() - start + kTypeaheadLimitMs / 4, kTypeaheadLimitMs / 2);

    // Once let go, keys pass as ever.
    probe::TapKey('C');
    EXPECT_TRUE(probe::WaitUntil([&] { return Typed() == L"aB\u00e9c"; }, 2000));
}

// A key the bar typed again may open a modal loop (its menu, a message box) that holds the bar
// until the user's next keys close it: those must not wait for the bar for ever.
TEST_F(TypeaheadWithoutABar, KeysTheBarStopsTakingGoWhereTheFocusIsASecondLater)
{
    probe::KeyDown(VK_LWIN);
    probe::TapKey(VK_SPACE);
    probe::KeyUp(VK_LWIN);
    probe::TapKey('A');
    probe::TapKey('B');

    INPUT taken{};
    ASSERT_TRUE(probe::WaitUntil([&] { return TakeTypedAhead(taken); }, kTypeaheadLimitMs / 2));
    EXPECT_EQ(taken.ki.wVk, 'A');
    EXPECT_EQ(taken.ki.dwFlags & KEYEVENTF_KEYUP, 0u);
    const DWORD start = ::GetTickCount();
    probe::WaitUntil([] { return false; }, kTypeaheadLimitMs / 2);
    EXPECT_EQ(Typed(), L"") << "keys left the bar while it was still taking them";
    // The bar took A's press and is held from then on: the rest, A's release and B, is let go.
    EXPECT_TRUE(probe::WaitUntil([&] { return Typed() == L"b"; }, kTypeaheadLimitMs * 3))
        << "holds \"" << std::string(Typed().begin(), Typed().end()) << "\"";
    EXPECT_GE(::GetTickCount() - start + kTypeaheadLimitMs / 4, kTypeaheadLimitMs / 2);

    probe::TapKey('C');
    EXPECT_TRUE(probe::WaitUntil([&] { return Typed() == L"bc"; }, 2000));
}

} // namespace
