#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>

#include "BarFixture.h"
#include "core/AppInfo.h"
#include "core/Handle.h"
#include "support/OpenedLog.h"
#include "support/Probe.h"
#include "support/TestFiles.h"

namespace {

using namespace e2e;
using Items = std::vector<std::wstring>;

class Tray : public AppFolderSandbox {
protected:
    void SetUp() override
    {
        AppFolderSandbox::SetUp();
        SkipTutorial();
        zarvi.Start();
        ASSERT_TRUE(probe::WaitUntil([&] { return (bar = probe::FindTopLevel(kBarTitle, zarvi.Pid())) != nullptr; }));
        ASSERT_TRUE(probe::WaitUntil([&] { return probe::TrayIconExists(bar); })) << "no tray icon after start-up";
    }
    HWND OpenTrayMenu()
    {
        ::PostMessageW(bar, kTrayMessage, 0, WM_RBUTTONUP);
        HWND menu = nullptr;
        probe::WaitUntil([&] { return (menu = FindShownMenu()) != nullptr; });
        return menu;
    }

    // "Add a folder" from the tray menu; the picker once it is in front.
    std::optional<probe::MessageBoxInfo> OpenFolderPicker()
    {
        if (!OpenTrayMenu())
            return std::nullopt;
        probe::TapKey(VK_DOWN);
        probe::TapKey(VK_DOWN);
        probe::TapKey(VK_RETURN);
        auto picker = probe::WaitForMessageBox(zarvi.Pid());
        if (!picker || !probe::WaitUntil([&] { return ::GetForegroundWindow() == picker->hwnd; }))
            return std::nullopt;
        return picker;
    }

    ZarviProcess zarvi;
    HWND bar = nullptr;
};

TEST_F(Tray, RightClickOpensTheMenuWithSixCommandsEndingInQuit)
{
    // Menus cannot be read from another process under Wine: count the commands with the keys
    // instead (separators are skipped). The fifth, "Guide", opens the guide; the sixth quits.
    opened::Clear();
    ASSERT_TRUE(OpenTrayMenu()) << "no menu opened";
    for (int i = 0; i < 5; ++i)
        probe::TapKey(VK_DOWN);
    probe::TapKey(VK_RETURN);
    EXPECT_TRUE(probe::WaitUntil([] { return FindShownMenu() == nullptr; }));
    EXPECT_EQ(opened::WaitForPaths(1), Items{appFolder + L"\\zarvi.pdf"});
    EXPECT_FALSE(zarvi.WaitForExit(300).has_value());

    ASSERT_TRUE(OpenTrayMenu());
    for (int i = 0; i < 6; ++i)
        probe::TapKey(VK_DOWN);
    probe::TapKey(VK_RETURN);
    EXPECT_EQ(zarvi.WaitForExit(), std::optional<DWORD>(0));
}

TEST_F(Tray, MenuClosesWhenTheUserClicksElsewhere)
{
    ASSERT_TRUE(OpenTrayMenu());
    // A real click of the mouse on the empty desktop, far from the menu.
    ASSERT_TRUE(probe::RunHostCommand(L"/usr/bin/xdotool mousemove 300 200 click 1"));
    EXPECT_TRUE(probe::WaitUntil([] { return FindShownMenu() == nullptr; })) << "the menu stayed open";
    EXPECT_FALSE(zarvi.WaitForExit(300).has_value());
    // And it opens again afterwards.
    ASSERT_TRUE(OpenTrayMenu());
    probe::TapKey(VK_ESCAPE);
    EXPECT_TRUE(probe::WaitUntil([] { return FindShownMenu() == nullptr; }));
}

TEST_F(Tray, ShowBarFromTheMenuAndDoubleClickShowTheBar)
{
    ASSERT_TRUE(OpenTrayMenu());
    probe::TapKey(VK_DOWN);
    probe::TapKey(VK_RETURN); // "Show bar"
    EXPECT_TRUE(probe::WaitUntil([&] { return ::IsWindowVisible(bar) != FALSE; }));
    probe::TapKey(VK_ESCAPE);
    ASSERT_TRUE(probe::WaitUntil([&] { return !::IsWindowVisible(bar); }));

    ::PostMessageW(bar, kTrayMessage, 0, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(probe::WaitUntil([&] { return ::IsWindowVisible(bar) && ::GetForegroundWindow() == bar; }));
}

TEST_F(Tray, QuitRemovesTheIconAndEndsWithExitCode0)
{
    ASSERT_TRUE(OpenTrayMenu());
    probe::TapKey(VK_UP); // from the top, up wraps to the last item
    probe::TapKey(VK_RETURN);
    EXPECT_EQ(zarvi.WaitForExit(), std::optional<DWORD>(0));
    EXPECT_FALSE(probe::TrayIconExists(bar));

    ZarviProcess next;
    next.Start();
    EXPECT_TRUE(probe::WaitUntil([&] { return probe::FindTopLevel(kBarTitle, next.Pid()) != nullptr; }))
        << "the next start was not a first instance";
}

TEST_F(Tray, MenuButtonOpensTheMenuJustBelowTheBarsLeftEnd)
{
    ::PostMessageW(bar, kTrayMessage, 0, WM_LBUTTONDBLCLK);
    ASSERT_TRUE(probe::WaitUntil([&] { return ::IsWindowVisible(bar) && ::GetForegroundWindow() == bar; }));
    const HWND menuButton = FindControl(bar, kMenuButtonId);
    ASSERT_TRUE(menuButton);
    ::PostMessageW(menuButton, BM_CLICK, 0, 0);
    HWND menu = nullptr;
    ASSERT_TRUE(probe::WaitUntil([&] { return (menu = FindShownMenu()) != nullptr; }));
    RECT barRect{}, menuRect{};
    ::GetWindowRect(bar, &barRect);
    ::GetWindowRect(menu, &menuRect);
    EXPECT_EQ(menuRect.left, barRect.left);
    EXPECT_EQ(menuRect.top, barRect.bottom);
    EXPECT_TRUE(::IsWindowVisible(bar)) << "opening our own menu must not hide the bar";
    probe::TapKey(VK_ESCAPE);
}

} // namespace

namespace {

TEST_F(Tray, CancellingAddAFolderLeavesThePathListAloneAndShowsTheBar)
{
    // Menu from the tray while the bar is hidden.
    testfiles::TempDir dir;
    testfiles::Touch(dir / L"one.txt");
    const std::string before = "C:\\A-missing-folder\r\n" + std::string(dir.Path().string()) + "\r\n";
    testfiles::WriteBytes(appFolder + L"\\zarvi.txt", before);
    const auto picker = OpenFolderPicker();
    ASSERT_TRUE(picker.has_value()) << "no folder picker in front";
    probe::TapKey(VK_ESCAPE);
    EXPECT_TRUE(probe::WaitUntil([&] { return ::IsWindowVisible(bar) != FALSE; }));
    // The Escape that closed the picker must not hide the bar when it is released over it.
    EXPECT_FALSE(probe::WaitUntil([&] { return !::IsWindowVisible(bar); }, 700));
    EXPECT_EQ(testfiles::ReadBytes(appFolder + L"\\zarvi.txt"), before);
}

} // namespace

namespace {

TEST_F(Tray, AddAFolderAppendsItsPathAndShowsItsEntries)
{
    testfiles::TempDir dir;
    testfiles::Touch(dir / L"old.txt");
    testfiles::MakeFolder(dir / L"Caf\u00e9");
    testfiles::Touch(dir / L"Caf\u00e9\\menu.zarvitest");
    const std::string before = dir.Path().string() + "\\old.txt-is-no-folder\r\n" + dir.Path().string() + "\r\n";
    testfiles::WriteBytes(appFolder + L"\\zarvi.txt", before);

    const auto picker = OpenFolderPicker();
    ASSERT_TRUE(picker.has_value()) << "no folder picker in front";
    probe::TypeText(dir / L"Caf\u00e9");
    probe::TapKey(VK_RETURN);
    // Some pickers first move into a typed folder; a second Enter then chooses it.
    if (!probe::WaitUntil([&] { return ::IsWindowVisible(bar) != FALSE; }, 1500))
        probe::TapKey(VK_RETURN);
    ASSERT_TRUE(probe::WaitUntil([&] { return ::IsWindowVisible(bar) != FALSE; }));
    // "é" is one byte, 0xE9, in code page 1252.
    EXPECT_EQ(testfiles::ReadBytes(appFolder + L"\\zarvi.txt"), before + dir.Path().string() + "\\Caf\xE9\r\n");
    const HWND combo =
        ::FindWindowExW(::FindWindowExW(bar, nullptr, kSearchBoxClass, nullptr), nullptr, L"ComboBox", nullptr);
    const auto items = probe::ComboItems(combo);
    EXPECT_NE(std::find(items.begin(), items.end(), dir / L"Caf\u00e9\\menu.zarvitest"), items.end());
}

} // namespace

namespace {

TEST_F(Tray, AddAFolderThatCannotBeWrittenShowsTheBarThenTheError)
{
    testfiles::TempDir dir;
    testfiles::MakeFolder(dir / L"New");
    const std::string before = dir.Path().string() + "\r\n";
    testfiles::WriteBytes(appFolder + L"\\zarvi.txt", before);
    testfiles::Touch(dir / L"x.txt");
    // Another program reads the path list and lets nobody write it meanwhile: it can still be
    // read (so the bar shows), but not appended to.
    FileHandle writer(::CreateFileW((appFolder + L"\\zarvi.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(writer);

    const auto picker = OpenFolderPicker();
    ASSERT_TRUE(picker.has_value()) << "no folder picker in front";
    probe::TypeText(dir / L"New");
    probe::TapKey(VK_RETURN);
    std::optional<probe::MessageBoxInfo> box;
    const bool told = probe::WaitUntil(
        [&] {
            box = probe::FindMessageBox(zarvi.Pid());
            return box && box->hwnd != picker->hwnd && ::IsWindow(box->hwnd);
        },
        3000);
    if (!told) {
        probe::TapKey(VK_RETURN); // some pickers first move into the typed folder
        ASSERT_TRUE(probe::WaitUntil([&] {
            box = probe::FindMessageBox(zarvi.Pid());
            return box && box->hwnd != picker->hwnd;
        }));
    }
    EXPECT_TRUE(::IsWindowVisible(bar)) << "the bar comes back before the error is told";
    EXPECT_EQ(box->caption, L"Zarvi");
    EXPECT_EQ(box->text, L"I/O error 32.");
    probe::PressDialogButton(box->hwnd, L"OK");
    writer.reset();
    EXPECT_EQ(testfiles::ReadBytes(appFolder + L"\\zarvi.txt"), before);
}

} // namespace

namespace {

TEST_F(Tray, IconComesBackWhenTheTaskbarIsCreatedAnew)
{
    // What a restarting shell does: its icons are gone, then it announces a new taskbar.
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = bar;
    data.uID = 1;
    ASSERT_TRUE(::Shell_NotifyIconW(NIM_DELETE, &data));
    ASSERT_FALSE(probe::TrayIconExists(bar));
    ::PostMessageW(bar, ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(probe::WaitUntil([&] { return probe::TrayIconExists(bar); }));
}

} // namespace

namespace {

using namespace e2e;

using BrokenStart = AppFolderSandbox;

TEST_F(BrokenStart, StartUpCutShortByAnErrorTellsItAndKeepsTheTrayIcon)
{
    // A folder in the settings file's place: storing the start-with-Windows choice fails.
    testfiles::MakeFolder(appFolder + L"\\zarvi.ini");
    ZarviProcess zarvi;
    zarvi.Start();
    const auto box = probe::WaitForMessageBox(zarvi.Pid());
    ASSERT_TRUE(box.has_value()) << "the error was not told";
    EXPECT_EQ(box->caption, L"Zarvi");
    EXPECT_EQ(box->text, L"Unable to write to " + appFolder + L"\\zarvi.ini.");
    probe::PressDialogButton(box->hwnd, L"OK");
    // The steps after the failing one did not run, but the bar has its title: a second start finds it.
    HWND bar = nullptr;
    ASSERT_TRUE(probe::WaitUntil([&] {
        for (HWND window : probe::TopLevelWindows(zarvi.Pid()))
            if (probe::ClassName(window) == kBarClass)
                bar = window;
        return bar != nullptr;
    }));
    EXPECT_EQ(probe::WindowText(bar), kBarTitle);
    EXPECT_TRUE(probe::WaitUntil([&] { return probe::TrayIconExists(bar); })) << "no way in through the tray";
    EXPECT_FALSE(zarvi.WaitForExit(300).has_value());
}

} // namespace
