#include <gtest/gtest.h>

#include <windows.h>

#include <utility>
#include <vector>

#include "BarFixture.h"
#include "support/ManyFiles.h"

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
    // The press reaches the bar first: a deactivation sent meanwhile would be handled before it.
    probe::WaitUntil([] { return false; }, 300);
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

namespace {

using namespace e2e;

struct TypeaheadCase {
    const char* name;
    // Keys typed 30 ms apart right after the shortcut: X keys (xdotool key names) from the
    // keyboard, or keys injected by another program (virtual-key codes; VK_SHIFT held for the next).
    const wchar_t* xKeys;
    std::vector<WORD> injected;
    bool opensReadme;    // Enter opened the entry the keys chose
    const wchar_t* text; // what the box holds afterwards when the bar stays; null: the bar hid
};

void InjectAfterTheShortcut(const std::vector<WORD>& keys)
{
    PressShortcut();
    bool shift = false;
    for (WORD vk : keys) {
        if (vk == VK_SHIFT) {
            probe::KeyDown(VK_SHIFT);
            shift = true;
            continue;
        }
        ::Sleep(30);
        probe::KeyDown(vk);
        probe::KeyUp(vk);
        if (std::exchange(shift, false))
            probe::KeyUp(VK_SHIFT);
    }
}

class Typeahead : public Bar, public ::testing::WithParamInterface<TypeaheadCase> {};

// Keys typed at once after the shortcut while thousands of entries are collected: none is lost,
// none reaches the program that had the focus, and they act as if typed in the box.
TEST_P(Typeahead, KeysTypedRightAfterTheShortcutActInTheSearchBox)
{
    ASSERT_TRUE(testfiles::MakeNumbered(dir.Str(), L"file", L".txt", 5700, false));
    testfiles::Touch(dir / L"readme.zarvitest");
    Start();
    OtherWindow other;
    ASSERT_TRUE(other.TakeFocus());

    if (GetParam().xKeys)
        ASSERT_TRUE(
            probe::RunHostCommand(std::wstring(L"/usr/bin/xdotool key --delay 30 super+space ") + GetParam().xKeys));
    else
        InjectAfterTheShortcut(GetParam().injected);
    if (GetParam().opensReadme) {
        EXPECT_EQ(opened::WaitForPaths(1), Items{dir / L"readme.zarvitest"});
        EXPECT_TRUE(WaitHidden());
    } else if (GetParam().text) {
        // The combo answers with its edit field's text.
        EXPECT_TRUE(probe::WaitUntil([&] { return probe::WindowText(FindCombo(bar)) == GetParam().text; }, 5000))
            << "the box holds \"" << WideToUtf8(probe::WindowText(FindCombo(bar))) << "\"";
        EXPECT_EQ(probe::ComboItems(FindCombo(bar)), Items{dir / L"readme.zarvitest"});
    } else {
        EXPECT_TRUE(WaitHidden());
    }
    probe::WaitUntil([] { return false; }, 300); // let any stray key arrive
    EXPECT_EQ(other.Typed(), L"") << "keys reached the program that had the focus";
    EXPECT_TRUE(opened::Paths().empty() || GetParam().opensReadme);
}

// Space on the menu button, typed ahead, opens the menu while the bar types the keys again:
// the Escape typed after it must still reach the menu, which holds the bar until it closes.
TEST_F(Bar, AMenuOpenedByAKeyTypedAheadClosesWithTheNextKey)
{
    ASSERT_TRUE(testfiles::MakeNumbered(dir.Str(), L"file", L".txt", 5700, false));
    Start();
    OtherWindow other;
    ASSERT_TRUE(other.TakeFocus());

    InjectAfterTheShortcut({VK_TAB, VK_TAB, VK_SPACE, VK_ESCAPE});
    EXPECT_TRUE(probe::WaitUntil([] { return FindShownMenu() != nullptr; }, 5000)) << "Space opened no menu";
    EXPECT_TRUE(probe::WaitUntil([] { return FindShownMenu() == nullptr; }, 5000)) << "the menu stayed open";
    EXPECT_TRUE(StaysShown(bar)) << "the Escape that closed the menu hid the bar too";
    EXPECT_EQ(other.Typed(), L"") << "keys reached the program that had the focus";
}

// The bar's thread late by a second and a half at the show (a changed list near the cap handed
// over, a loaded machine): the keys typed at once after the shortcut wait for it, however late
// it comes, and act in its search box; the words choose the entry and the Enter opens it.
TEST_F(Bar, KeysTypedForABarThatShowsLateWaitForItEnterIncluded)
{
    testfiles::Touch(dir / L"readme.zarvitest");
    ::SetEnvironmentVariableW(L"ZARVI_TEST_LATE_SHOW_MS", L"1500");
    Start();
    ::SetEnvironmentVariableW(L"ZARVI_TEST_LATE_SHOW_MS", nullptr);
    OtherWindow other;
    ASSERT_TRUE(other.TakeFocus());

    InjectAfterTheShortcut({'R', 'E', 'A', 'D', 'M', 'E', VK_DOWN, VK_RETURN});
    EXPECT_EQ(opened::WaitForPaths(1), Items{dir / L"readme.zarvitest"});
    EXPECT_TRUE(WaitHidden());
    probe::WaitUntil([] { return false; }, 300); // let any stray key arrive
    EXPECT_EQ(other.Typed(), L"") << "keys reached the program that had the focus";
}

// A space held from typing, then Windows key + V (the clipboard's history): the user's shortcut,
// not the bar's, which is the Windows key first, then the hotkey.
TEST_F(Bar, TheWindowsKeyPressedWhileTheHotkeyIsHeldShowsNothing)
{
    Start();
    OtherWindow other;
    ASSERT_TRUE(other.TakeFocus());
    probe::KeyDown(VK_SPACE);
    ::Sleep(30);
    probe::KeyDown(VK_SPACE); // its auto-repeat
    probe::KeyDown(VK_LWIN);
    probe::KeyDown(VK_SPACE);
    probe::TapKey('V');
    probe::KeyUp(VK_LWIN);
    probe::KeyUp(VK_SPACE);
    EXPECT_FALSE(probe::WaitUntil([&] { return ::IsWindowVisible(bar) != FALSE; }, 1500)) << "the bar showed";
}

// X keys only for printable characters: Wine hands a key that makes no character (Backspace,
// Escape, arrows) on ahead of character keys still being composed, so their order is not the
// order typed. Injected keys keep theirs.
const std::vector<WORD> kReadme{'R', 'E', 'A', 'D', 'M', 'E'};
INSTANTIATE_TEST_SUITE_P(
    Cases, Typeahead,
    ::testing::Values(
        TypeaheadCase{"XKeysTyped", L"r e a d m e", {}, false, L"readme"},
        TypeaheadCase{"XKeysShiftKept", L"R E shift+a D M E", {}, false, L"README"},
        TypeaheadCase{"InjectedTyped", nullptr, kReadme, false, L"readme"},
        TypeaheadCase{"BackspaceEdits", nullptr, {'R', 'E', 'X', VK_BACK, 'A', 'D', 'M', 'E'}, false, L"readme"},
        TypeaheadCase{"DownAndEnterOpen", nullptr, {'R', 'E', 'A', 'D', 'M', 'E', VK_DOWN, VK_RETURN}, true, nullptr},
        TypeaheadCase{"EscapeHides", nullptr, {'R', 'E', VK_ESCAPE}, false, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
