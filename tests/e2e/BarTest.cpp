#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <filesystem>

#include "BarFixture.h"
#include "core/rules/TextConv.h"
#include "support/LocalSite.h"
#include "support/OpenedLog.h"
#include "support/Probe.h"
#include "support/TestFiles.h"

namespace {

using namespace e2e;
namespace fs = std::filesystem;

TEST_F(Bar, ShortcutShowsTheBarWithTheEntriesAndTheFocusInTheSearchBox)
{
    Start();
    ASSERT_TRUE(ShowInFront()) << "the bar is not in front with the focus in its search box";
    EXPECT_EQ(probe::ComboItems(FindCombo(bar)), (Items{L"", dir / L"Alpha.zarvitest", dir / L"Beta.zarvitest"}));
    // The shortcut's space was kept from every program, the search box included.
    EXPECT_EQ(probe::WindowText(FindCombo(bar)), L"");
}

TEST_F(Bar, TypingAndEnterOpensTheEntryAndHidesTheBar)
{
    Start();
    ASSERT_TRUE(ShowInFront());
    probe::TypeText(L"beta");
    ASSERT_TRUE(probe::WaitUntil([&] { return probe::ComboItems(FindCombo(bar)).size() == 1; }));
    probe::TapKey(VK_DOWN); // the one entry left becomes the text
    probe::TapKey(VK_RETURN);
    EXPECT_EQ(opened::WaitForPaths(1), Items{dir / L"Beta.zarvitest"});
    EXPECT_TRUE(WaitHidden());
}

TEST_F(Bar, EscapeHidesAndAltF4EndsTheProgramWithExitCode0)
{
    Start();
    ASSERT_TRUE(ShowInFront());
    // The program's one taskbar button belongs to the application window, there while the bar is.
    const HWND application = probe::FindTopLevel(L"Zarvi", zarvi.Pid());
    EXPECT_TRUE(::IsWindowVisible(application));
    probe::KeyDown(VK_SHIFT); // modifiers do not matter
    probe::TapKey(VK_ESCAPE);
    probe::KeyUp(VK_SHIFT);
    EXPECT_TRUE(WaitHidden());
    EXPECT_FALSE(::IsWindowVisible(application));

    ASSERT_TRUE(ShowInFront());
    probe::KeyDown(VK_MENU);
    probe::TapKey(VK_F4);
    probe::KeyUp(VK_MENU);
    EXPECT_EQ(zarvi.WaitForExit(), std::optional<DWORD>(0));
}

// Escape and at once the shortcut: the bar hides and comes back, however fast the user is. The
// shortcut's message must not overtake the Escape typed before it (sent together, the keys all
// wait in the queue when the shortcut's message arrives).
TEST_F(Bar, EscapeThenTheShortcutAtOnceShowsTheBarAgain)
{
    Start();
    ASSERT_TRUE(ShowInFront());
    for (int round = 0; round < 10; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        probe::SendKeysAtOnce({{VK_ESCAPE, false},
                               {VK_ESCAPE, true},
                               {VK_LWIN, false},
                               {VK_SPACE, false},
                               {VK_SPACE, true},
                               {VK_LWIN, true}});
        ::Sleep(1000); // the Escape handled, wherever it went: a bar still shown then is no proof
        ASSERT_TRUE(probe::WaitUntil([&] {
            return ::IsWindowVisible(bar) && ::GetForegroundWindow() == bar && FocusInSearchBox();
        })) << "the shortcut was lost";
    }
}

TEST_F(Bar, F2OpensThePathListAndHides)
{
    Start();
    ASSERT_TRUE(ShowInFront());
    probe::TapKey(VK_F2);
    EXPECT_EQ(opened::WaitForPaths(1), Items{appFolder + L"\\zarvi.txt"});
    EXPECT_TRUE(WaitHidden());
}

TEST_F(Bar, SecondStartEndsAtOnceAndLeavesAHiddenBarHidden)
{
    Start();
    ZarviProcess second;
    second.Start();
    EXPECT_EQ(second.WaitForExit(), std::optional<DWORD>(0));
    EXPECT_FALSE(probe::WaitUntil([&] { return ::IsWindowVisible(bar) != FALSE; }, 500));
    EXPECT_EQ(probe::TopLevelWindows(second.Pid()).size(), 0u);
}

TEST_F(Bar, EmptyEntryListStopsWithItsMessageAndExitCode1)
{
    WritePathList(L"//nothing but a comment");
    Start();
    PressShortcut();
    const auto box = probe::WaitForMessageBox(zarvi.Pid());
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->caption, L"Zarvi");
    EXPECT_EQ(box->text,
              L"Directories list is empty, please add some dirs in the text file being opened, then restart the app");
    probe::PressDialogButton(box->hwnd, L"OK");
    EXPECT_EQ(zarvi.WaitForExit(), std::optional<DWORD>(1));
    EXPECT_EQ(opened::WaitForPaths(1), Items{appFolder + L"\\zarvi.txt"});

    // The mutex died with the process: the next start is a first instance again.
    ZarviProcess next;
    next.Start();
    EXPECT_TRUE(probe::WaitUntil([&] { return probe::FindTopLevel(kBarTitle, next.Pid()) != nullptr; }));
}

TEST_F(Bar, HotkeyFromTheSettingsFileReplacesSpace)
{
    WriteSettings("Hotkey=m\r\nDontShowTutorial=1\r\n");
    Start();
    PressShortcut(VK_SPACE);
    EXPECT_FALSE(probe::WaitUntil([&] { return ::IsWindowVisible(bar) != FALSE; }, 700));
    PressShortcut('M');
    EXPECT_TRUE(WaitShown());
}

} // namespace

namespace {

using namespace e2e;

TEST_F(Bar, ShortcutHookReturnsBeforeTheShowBegins)
{
    // A large folder makes the show slow; the hook must have let the key event go long before.
    for (int i = 0; i < 1000; ++i)
        testfiles::Touch(dir / (L"file" + std::to_wstring(i) + L".txt"));
    Start();
    probe::KeyDown(VK_LWIN);
    probe::KeyDown(VK_SPACE); // returns once every keyboard hook has answered for this event
    const bool shownWhenTheHookReturned = ::IsWindowVisible(bar) != FALSE;
    probe::KeyUp(VK_SPACE);
    probe::KeyUp(VK_LWIN);
    EXPECT_FALSE(shownWhenTheHookReturned) << "the show ran inside the hook";
    EXPECT_TRUE(WaitShown());
    EXPECT_EQ(probe::ComboItems(FindCombo(bar)).size(), 1003u);
}

} // namespace

namespace {

using namespace e2e;

TEST_F(Bar, RealXKeysShowTheBarAndTheSpaceReachesNoOtherProgram)
{
    Start();
    // A window of another program with the keyboard focus, to see whether the space arrives.
    OtherWindow other;
    ASSERT_TRUE(other.TakeFocus());
    ASSERT_TRUE(probe::RunHostCommand(L"/usr/bin/xdotool key super+space"));
    EXPECT_TRUE(WaitShown());
    probe::WaitUntil([] { return false; }, 300); // let any stray key arrive
    EXPECT_EQ(other.Typed(), L"");
}

} // namespace

namespace {

using namespace e2e;

TEST_F(Bar, SecondStartWhileTheBarIsShownKeepsItInFrontWithTheFocus)
{
    Start();
    ASSERT_TRUE(ShowInFront());
    ZarviProcess second;
    second.Start();
    EXPECT_EQ(second.WaitForExit(), std::optional<DWORD>(0));
    EXPECT_TRUE(probe::WaitUntil([&] {
        GUITHREADINFO gui{};
        gui.cbSize = sizeof(gui);
        return ::IsWindowVisible(bar) && ::GetForegroundWindow() == bar &&
               ::GetGUIThreadInfo(::GetWindowThreadProcessId(bar, nullptr), &gui) &&
               (gui.hwndFocus == FindCombo(bar) || ::IsChild(FindCombo(bar), gui.hwndFocus));
    }));
}

} // namespace

namespace {

using namespace e2e;

size_t ShownDialogs(DWORD pid)
{
    size_t count = 0;
    for (HWND hwnd : probe::TopLevelWindows(pid))
        count += probe::ClassName(hwnd) == L"#32770" && ::IsWindowVisible(hwnd);
    return count;
}

TEST_F(Bar, EmptyListStopRunsOnceWhateverShowsArriveMeanwhile)
{
    WritePathList(L"//nothing but a comment");
    Start();
    PressShortcut();
    const auto box = probe::WaitForMessageBox(zarvi.Pid());
    ASSERT_TRUE(box.has_value());
    // The message box's own loop still handles these: each must do nothing.
    PressShortcut();
    ::PostMessageW(bar, kTrayMessage, 0, WM_LBUTTONDBLCLK); // the tray icon's double click
    EXPECT_FALSE(probe::WaitUntil([&] { return ShownDialogs(zarvi.Pid()) > 1; }, 1000)) << "a second stop began";
    probe::PressDialogButton(box->hwnd, L"OK");
    EXPECT_EQ(zarvi.WaitForExit(), std::optional<DWORD>(1));
    EXPECT_EQ(opened::WaitForPaths(1), Items{appFolder + L"\\zarvi.txt"});
    EXPECT_FALSE(probe::WaitUntil([] { return opened::Paths().size() > 1; }, 1000)) << "the path list opened twice";
}

TEST_F(Bar, SecondStartWithTheBarHiddenLeavesTheKeysWithTheFocusedProgram)
{
    Start();
    OtherWindow other;
    ASSERT_TRUE(other.TakeFocus());
    ZarviProcess second;
    second.Start();
    ASSERT_EQ(second.WaitForExit(), std::optional<DWORD>(0));
    probe::WaitUntil([] { return false; }, 500); // the running bar has handled the activation
    probe::TypeText(L"abc");
    EXPECT_TRUE(probe::WaitUntil([&] { return other.Typed() == L"abc"; }, 3000))
        << "typed: " << testing::PrintToString(other.Typed());
    EXPECT_FALSE(::IsWindowVisible(bar));
}

} // namespace

namespace {

using namespace e2e;

// The update check runs beside the bar: a site that accepts and never answers holds up neither
// the start nor the shortcut, keys typed meanwhile pass at once, and Alt+F4 during the check
// ends the program at once.
TEST_F(Bar, ASiteThatNeverAnswersHoldsUpNothingAndQuitEndsTheProgramAtOnce)
{
    LocalSite site("", LocalSite::Mode::NeverAnswer, kTestSitePort);
    ASSERT_TRUE(site.Listening()) << "port " << kTestSitePort << " is taken";
    OtherWindow other;
    ASSERT_TRUE(other.TakeFocus());
    zarvi.Start();
    ASSERT_TRUE(probe::WaitUntil([&] { return site.Connections() > 0; })) << "no update check";

    // The user types in another program meanwhile: every key passes at once.
    const ULONGLONG before = ::GetTickCount64();
    probe::TypeText(L"abc");
    const ULONGLONG typing = ::GetTickCount64() - before;
    EXPECT_TRUE(probe::WaitUntil([&] { return other.Typed() == L"abc"; }, 3000))
        << testing::PrintToString(other.Typed());
    EXPECT_LT(typing, 1500u) << "the keys waited for the program's busy thread";

    // Well inside the check's five seconds, the start is done and the shortcut shows the bar.
    const ULONGLONG started = ::GetTickCount64();
    ASSERT_TRUE(probe::WaitUntil([&] { return (bar = probe::FindTopLevel(kBarTitle, zarvi.Pid())) != nullptr; }));
    ASSERT_TRUE(probe::WaitUntil([&] { return FindCombo(bar) != nullptr && probe::TrayIconExists(bar); }, 3000))
        << "the start waited for the site";
    EXPECT_TRUE(ShowInFront());
    EXPECT_LT(::GetTickCount64() - started, 4000u) << "the shortcut waited for the site";

    // From the X keyboard: kept for the bar a moment, an Alt injected here would lose its state to
    // the X server's when the bar takes the focus under Wine.
    const ULONGLONG quit = ::GetTickCount64();
    ASSERT_TRUE(probe::RunHostCommand(L"/usr/bin/xdotool key alt+F4"));
    EXPECT_TRUE(zarvi.WaitForExit(3000).has_value()) << "Alt+F4 waited for the site";
    EXPECT_LT(::GetTickCount64() - quit, 1500u);
}

} // namespace

namespace {

using namespace e2e;

TEST_F(Bar, FirstStartWritesTheGuideAndF1OpensIt)
{
    Start();
    const std::wstring guide = appFolder + L"\\zarvi.pdf";
    const std::string builtPath = ZARVI_GUIDE_PDF; // a Linux path when cross-built
    const std::string built =
        testfiles::ReadBytes(builtPath.front() == '/' ? probe::DosPathFromUnix(builtPath) : Utf8ToWide(builtPath));
    ASSERT_GT(built.size(), 1000u) << "the built guide was not found";
    EXPECT_EQ(testfiles::ReadBytes(guide), built) << "the guide on disk is not the one the program carries";
    ASSERT_TRUE(ShowInFront());
    probe::TapKey(VK_F1);
    EXPECT_EQ(opened::WaitForPaths(1), Items{guide});
}

// The platform's high-contrast mode (the test seam: Wine keeps no such setting): the bar and its
// box in the system's colours, not the slate theme.
TEST_F(Bar, InHighContrastTheBarTakesTheSystemsColours)
{
    ::SetEnvironmentVariableW(L"ZARVI_TEST_HIGH_CONTRAST", L"1");
    Start();
    ::SetEnvironmentVariableW(L"ZARVI_TEST_HIGH_CONTRAST", nullptr);
    ASSERT_TRUE(ShowInFront());
    probe::WaitUntil([] { return false; }, 300); // drawn
    RECT r{};
    ::GetWindowRect(FindCombo(bar), &r);
    const HDC screen = ::GetDC(nullptr);
    bool window = false, slate = false;
    for (int y = r.top + 2; y < r.bottom - 2; y += 3)
        for (int x = r.left + 2; x < r.right - 2; x += 7) {
            const COLORREF pixel = ::GetPixel(screen, x, y);
            window = window || pixel == ::GetSysColor(COLOR_WINDOW);
            slate = slate || pixel == RGB(0x26, 0x31, 0x3B);
        }
    ::ReleaseDC(nullptr, screen);
    KeepScreenshot("high-contrast-bar");
    EXPECT_TRUE(window) << "the box is not in the system's window colour";
    EXPECT_FALSE(slate) << "the slate theme is still drawn";
}

} // namespace
