#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "BarFixture.h"
#include "support/Clipboard.h"
#include "support/OpenedLog.h"
#include "support/Probe.h"
#include "support/TestFiles.h"

namespace {

using namespace e2e;
using Items = std::vector<std::wstring>;

bool XKeys(const wchar_t* keys)
{
    return probe::RunHostCommand(std::wstring(L"/usr/bin/xdotool key ") + keys);
}

// The search box's opened list: a top-level window of the program's own.
HWND FindDroppedList(DWORD pid)
{
    for (HWND hwnd : probe::TopLevelWindows(pid))
        if (probe::ClassName(hwnd) == L"ComboLBox" && ::IsWindowVisible(hwnd))
            return hwnd;
    return nullptr;
}

class EntryActions : public Bar {
protected:
    void SetUp() override
    {
        Bar::SetUp();
        testfiles::MakeFolder(dir / L"Gamma folder");
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_TRUE(ShowInFront());
    }
    std::wstring EditText() const
    {
        const HWND combo = FindCombo(bar);
        const HWND edit = combo ? ::FindWindowExW(combo, nullptr, L"Edit", nullptr) : nullptr;
        return edit ? probe::WindowText(edit) : std::wstring();
    }
    // A right click in the middle of the first row of the opened list, as the mouse gives it.
    bool RightClickFirstRow()
    {
        HWND list = nullptr;
        if (!probe::WaitUntil([&] { return (list = FindDroppedList(zarvi.Pid())) != nullptr; }))
            return false;
        RECT rc{};
        ::GetWindowRect(list, &rc);
        const auto rowHeight = static_cast<int>(::SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
        const int x = rc.left + 60, y = rc.top + 2 + rowHeight / 2;
        return probe::RunHostCommand(L"/usr/bin/xdotool mousemove " + std::to_wstring(x) + L" " + std::to_wstring(y) +
                                     L" click 3");
    }
    HWND WaitForOwnMenu()
    {
        HWND menu = nullptr;
        probe::WaitUntil([&] {
            menu = FindShownMenu();
            DWORD pid = 0;
            return menu && ::GetWindowThreadProcessId(menu, &pid) && pid == zarvi.Pid();
        });
        return menu;
    }
};

TEST_F(EntryActions, RightClickOnARowShowsTheShellsMenuEscapeClosesItAndOpenOpensTheEntry)
{
    probe::TypeText(L"gamma");
    ASSERT_TRUE(probe::WaitUntil([&] { return EditText() == L"gamma"; }));
    ASSERT_TRUE(RightClickFirstRow());
    ASSERT_TRUE(WaitForOwnMenu()) << "no menu of the program's own";
    KeepScreenshot("shell-menu");

    ASSERT_TRUE(XKeys(L"Escape"));
    EXPECT_TRUE(probe::WaitUntil([] { return FindShownMenu() == nullptr; })) << "the menu stays open";
    EXPECT_FALSE(probe::WaitUntil([&] { return !::IsWindowVisible(bar); }, 600)) << "the bar hid";
    EXPECT_EQ(EditText(), L"gamma");
    EXPECT_TRUE(opened::Paths().empty());

    // Wine's own item menu opens folders (its "Open" does nothing for a file); "&Open" by its key.
    ASSERT_TRUE(RightClickFirstRow());
    ASSERT_TRUE(WaitForOwnMenu());
    ASSERT_TRUE(XKeys(L"o"));
    EXPECT_EQ(opened::WaitForPaths(1), Items{dir / L"Gamma folder"});
    EXPECT_TRUE(WaitHidden());
}

TEST_F(EntryActions, CtrlCPutsTheChosenEntrysPathOnTheClipboardAndTheBarStays)
{
    ASSERT_TRUE(clipboard::SetText(L"before"));
    probe::TypeText(L"beta");
    ASSERT_TRUE(probe::WaitUntil([&] { return EditText() == L"beta"; }));
    ASSERT_TRUE(XKeys(L"Down"));
    ASSERT_TRUE(probe::WaitUntil([&] { return EditText() == dir / L"Beta.zarvitest"; }));
    ASSERT_TRUE(XKeys(L"ctrl+c"));
    EXPECT_TRUE(probe::WaitUntil([&] { return clipboard::Text() == dir / L"Beta.zarvitest"; }))
        << testing::PrintToString(clipboard::Text());
    EXPECT_TRUE(::IsWindowVisible(bar));
    EXPECT_EQ(EditText(), dir / L"Beta.zarvitest");
}

TEST_F(EntryActions, CtrlEnterShowsTheEntryInExplorerAndHidesTheBar)
{
    probe::TypeText(L"alpha");
    ASSERT_TRUE(XKeys(L"Down"));
    ASSERT_TRUE(probe::WaitUntil([&] { return EditText() == dir / L"Alpha.zarvitest"; }));
    ASSERT_TRUE(XKeys(L"ctrl+Return"));
    // Under Wine the shell starts its own Explorer, whose window is titled with the folder's name.
    const std::wstring folder = dir.Str().substr(dir.Str().rfind(L'\\') + 1);
    HWND explorer = nullptr;
    EXPECT_TRUE(probe::WaitUntil([&] {
        for (HWND hwnd : probe::TopLevelWindows(0))
            if (probe::ClassName(hwnd) == L"ExplorerWClass" && probe::WindowText(hwnd) == folder)
                explorer = hwnd;
        return explorer != nullptr;
    }));
    EXPECT_TRUE(WaitHidden());
    EXPECT_TRUE(opened::Paths().empty()) << "the entry itself was opened";
    if (explorer) {
        ::PostMessageW(explorer, WM_CLOSE, 0, 0);
        EXPECT_TRUE(probe::WaitUntil([&] { return !::IsWindow(explorer); }));
    }
}

TEST_F(EntryActions, CtrlShiftEnterAsksTheShellToRunTheEntryAsAdministrator)
{
    probe::TypeText(L"alpha");
    ASSERT_TRUE(XKeys(L"Down"));
    ASSERT_TRUE(probe::WaitUntil([&] { return EditText() == dir / L"Alpha.zarvitest"; }));
    ASSERT_TRUE(XKeys(L"ctrl+shift+Return"));
    // The test prefix records the "runas" verb of its test files.
    EXPECT_EQ(opened::WaitForPaths(1), Items{L"runas:" + dir / L"Alpha.zarvitest"});
    EXPECT_TRUE(WaitHidden());
}

} // namespace
