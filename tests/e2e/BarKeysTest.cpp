#include <gtest/gtest.h>

#include <windows.h>

#include "BarFixture.h"

namespace {

using namespace e2e;

bool StaysShown(HWND bar, DWORD ms = 600)
{
    return !probe::WaitUntil([&] { return !::IsWindowVisible(bar); }, ms);
}

TEST_F(Bar, F4WithoutAltLeavesTheProgramRunning)
{
    Start();
    ASSERT_TRUE(ShowInFront());
    // With no control focused the platform sends F4 alone as a system key; only the Alt flag
    // (bit 29 of lParam) makes it Alt+F4.
    ::PostMessageW(bar, WM_SYSKEYDOWN, VK_F4, 1);
    EXPECT_FALSE(zarvi.WaitForExit(700).has_value()) << "plain F4 ended the program";
    ::PostMessageW(bar, WM_SYSKEYDOWN, VK_F4, 1 | (KF_ALTDOWN << 16));
    EXPECT_EQ(zarvi.WaitForExit(), std::optional<DWORD>(0));
}

TEST_F(Bar, AReleaseWhosePressCameBeforeTheBarHidLastTimeDoesNothing)
{
    Start();
    ASSERT_TRUE(ShowInFront());
    ::PostMessageW(bar, WM_KEYDOWN, VK_ESCAPE, 1);
    // Another program takes the foreground: the bar hides, the press is forgotten.
    OtherWindow other;
    ASSERT_TRUE(other.TakeFocus());
    ASSERT_TRUE(WaitHidden());
    ASSERT_TRUE(ShowInFront());
    ::PostMessageW(bar, WM_KEYUP, VK_ESCAPE, 1 | (1u << 30) | (1u << 31));
    EXPECT_TRUE(StaysShown(bar)) << "a stale Escape release hid the bar";
}

TEST_F(Bar, TabMovesTheFocusEditPathsMenuThenTheSearchBox)
{
    Start();
    ASSERT_TRUE(ShowInFront());
    const HWND paths = FindControl(bar, kPathsButtonId), menu = FindControl(bar, kMenuButtonId);
    struct Step {
        bool shift;
        HWND expected; // null: the search box
    } const steps[] = {{false, paths}, {false, menu}, {false, nullptr}, {true, menu}, {true, paths}, {true, nullptr}};
    for (const auto& step : steps) {
        if (step.shift)
            probe::KeyDown(VK_SHIFT);
        probe::TapKey(VK_TAB);
        if (step.shift)
            probe::KeyUp(VK_SHIFT);
        if (step.expected)
            EXPECT_TRUE(probe::WaitUntil([&] { return FocusOf(bar) == step.expected; }, 2000))
                << (step.shift ? "Shift+Tab" : "Tab") << " to control " << ::GetDlgCtrlID(step.expected);
        else
            EXPECT_TRUE(probe::WaitUntil([&] { return FocusInSearchBox(); }, 2000))
                << (step.shift ? "Shift+Tab" : "Tab") << " back to the search box";
    }
    EXPECT_EQ(probe::WindowText(FindCombo(bar)), L"") << "Tab is no character of the search";
    EXPECT_TRUE(::IsWindowVisible(bar));
}

TEST_F(Bar, EnterOrSpaceOnAFocusedButtonPressesIt)
{
    Start();
    ASSERT_TRUE(ShowInFront());
    probe::TapKey(VK_TAB);
    probe::TapKey(VK_TAB);
    ASSERT_TRUE(probe::WaitUntil([&] { return FocusOf(bar) == FindControl(bar, kMenuButtonId); }, 2000));
    probe::TapKey(VK_SPACE);
    EXPECT_TRUE(probe::WaitUntil([] { return FindShownMenu() != nullptr; })) << "Space on the menu button";
    probe::TapKey(VK_ESCAPE);
    ASSERT_TRUE(probe::WaitUntil([] { return FindShownMenu() == nullptr; }));
    probe::WaitUntil([] { return false; }, 200);

    probe::KeyDown(VK_SHIFT);
    probe::TapKey(VK_TAB);
    probe::KeyUp(VK_SHIFT);
    ASSERT_TRUE(probe::WaitUntil([&] { return FocusOf(bar) == FindControl(bar, kPathsButtonId); }, 2000));
    probe::TapKey(VK_RETURN);
    EXPECT_EQ(opened::WaitForPaths(1), Items{appFolder + L"\\zarvi.txt"}) << "Enter on the edit-paths button";
    EXPECT_TRUE(WaitHidden());
}

} // namespace
