#include <gtest/gtest.h>

#include <windows.h>

#include "BarFixture.h"
#include "ui/frmTutorial.h"

namespace {

using namespace e2e;

using FirstStart = AppFolderSandbox;

TEST_F(FirstStart, ShowsTheTutorialBeforeTheTrayIconUntilTheUserTicksItsBox)
{
    // A fresh account: no settings file, so the tutorial comes, modal, before the tray icon.
    ZarviProcess zarvi;
    zarvi.Start();
    HWND tutorial = nullptr;
    ASSERT_TRUE(probe::WaitUntil([&] {
        tutorial = probe::FindTopLevel(L"Tutorial", zarvi.Pid());
        return tutorial && ::IsWindowVisible(tutorial);
    })) << "no tutorial at the first start";
    const HWND bar = probe::FindTopLevel(kBarTitle, zarvi.Pid());
    ASSERT_TRUE(bar);
    EXPECT_FALSE(probe::TrayIconExists(bar)) << "the tray icon came before the tutorial was closed";

    // "Start using zarvi" with the box unticked: shown again next time.
    for (int page = 0; page < 4; ++page)
        ::PostMessageW(tutorial, WM_COMMAND, MAKEWPARAM(kTutorialNextId, BN_CLICKED), 0);
    EXPECT_TRUE(probe::WaitUntil([&] { return !::IsWindow(tutorial) || !::IsWindowVisible(tutorial); }));
    EXPECT_TRUE(probe::WaitUntil([&] { return probe::TrayIconExists(bar); })) << "no tray icon after the tutorial";
    ::PostMessageW(bar, WM_CLOSE, 0, 0);
    ASSERT_EQ(zarvi.WaitForExit(), std::optional<DWORD>(0));

    ZarviProcess second;
    second.Start();
    ASSERT_TRUE(probe::WaitUntil([&] {
        tutorial = probe::FindTopLevel(L"Tutorial", second.Pid());
        return tutorial && ::IsWindowVisible(tutorial);
    })) << "the unticked box must bring the tutorial back";
    // Ticked, then closed by the close box: later starts skip it.
    ::PostMessageW(tutorial, WM_COMMAND, MAKEWPARAM(kTutorialCheckId, BN_CLICKED), 0);
    ::PostMessageW(tutorial, WM_CLOSE, 0, 0);
    const HWND secondBar = probe::FindTopLevel(kBarTitle, second.Pid());
    ASSERT_TRUE(probe::WaitUntil([&] { return probe::TrayIconExists(secondBar); }));
    ::PostMessageW(secondBar, WM_CLOSE, 0, 0);
    ASSERT_EQ(second.WaitForExit(), std::optional<DWORD>(0));

    ZarviProcess third;
    third.Start();
    HWND thirdBar = nullptr;
    ASSERT_TRUE(probe::WaitUntil([&] {
        thirdBar = probe::FindTopLevel(kBarTitle, third.Pid());
        return thirdBar && probe::TrayIconExists(thirdBar);
    }));
    EXPECT_EQ(probe::FindTopLevel(L"Tutorial", third.Pid()), nullptr);
}

// Every page of the tutorial and of the settings window, opened from the menu as a user does,
// pictured among the artefacts for a person to look at (at the bench's DPI).
TEST_F(Bar, TutorialAndSettingsPagesArePicturedFromTheMenu)
{
    Start();
    ASSERT_TRUE(probe::WaitUntil([&] { return probe::TrayIconExists(bar); }));
    auto openFromMenu = [&](int downs) {
        ::PostMessageW(bar, kTrayMessage, 0, WM_RBUTTONUP);
        ASSERT_TRUE(probe::WaitUntil([] { return FindShownMenu() != nullptr; }));
        for (int i = 0; i < downs; ++i)
            probe::TapKey(VK_DOWN);
        probe::TapKey(VK_RETURN);
    };
    openFromMenu(4); // Tutorial
    HWND tutorial = nullptr;
    ASSERT_TRUE(
        probe::WaitUntil([&] { return (tutorial = probe::FindTopLevel(L"Tutorial", zarvi.Pid())) != nullptr; }));
    for (int page = 1; page <= 4; ++page) {
        probe::WaitUntil([] { return false; }, 300); // the page painted
        EXPECT_TRUE(KeepScreenshot("look-tutorial-" + std::to_string(page)));
        if (page < 4)
            ::PostMessageW(tutorial, WM_COMMAND, MAKEWPARAM(kTutorialNextId, BN_CLICKED), 0);
    }
    ::PostMessageW(tutorial, WM_CLOSE, 0, 0);
    ASSERT_TRUE(probe::WaitUntil([&] { return !::IsWindowVisible(tutorial); }));
    EXPECT_FALSE(::IsWindowVisible(bar)) << "after the tutorial from the menu the bar stays hidden";

    openFromMenu(3); // Settings
    HWND settings = nullptr;
    ASSERT_TRUE(probe::WaitUntil([&] { return (settings = probe::FindTopLevel(L"ZARVI", zarvi.Pid())) != nullptr; }));
    ASSERT_TRUE(probe::WaitUntil([&] { return ::GetForegroundWindow() == settings; }));
    const char* pages[] = {"settings", "help", "log"};
    for (const char* page : pages) {
        probe::WaitUntil([] { return false; }, 400); // the page painted
        EXPECT_TRUE(KeepScreenshot(std::string("look-settings-") + page));
        probe::KeyDown(VK_CONTROL);
        probe::TapKey(VK_TAB);
        probe::KeyUp(VK_CONTROL);
    }
    probe::TapKey(VK_ESCAPE); // OK: the bar comes back
    EXPECT_TRUE(WaitShown());
}

} // namespace
