#include <gtest/gtest.h>

#include <windows.h>

#include "core/SettingsFile.h"
#include "support/AppFolderSandbox.h"
#include "support/Driver.h"
#include "support/ModalWatcher.h"
#include "support/Probe.h"
#include "support/SearchHost.h"
#include "ui/frmTutorial.h"

namespace {

class Tutorial : public AppFolderSandbox {
protected:
    std::wstring Stored() { return ReadSettingString(L"DontShowTutorial", L"(none)"); }
    static bool Enabled(HWND control) { return ::IsWindowEnabled(control) != FALSE; }
    static bool Ticked(HWND box) { return ::SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }
    // Waits until the tutorial is on screen.
    static bool Shown(const TformTutorial& t)
    {
        return probe::WaitUntil([&] { return ::IsWindowVisible(t.Handle()) != FALSE; });
    }
};

TEST_F(Tutorial, PagesMoveAndTheButtonsFollow)
{
    TformTutorial t(nullptr);
    ::ShowWindow(t.Handle(), SW_SHOW);
    t.ShowPage(0);
    EXPECT_FALSE(Enabled(t.btnPrevious));
    EXPECT_EQ(probe::WindowText(t.btnNExt), L"Next");
    ::SendMessageW(t.btnNExt, BM_CLICK, 0, 0);
    EXPECT_EQ(t.Page(), 1);
    EXPECT_TRUE(Enabled(t.btnPrevious));
    ::SendMessageW(t.btnPrevious, BM_CLICK, 0, 0);
    EXPECT_EQ(t.Page(), 0);
    struct Case {
        int asked, shown;
        const wchar_t* next;
    } const cases[] = {{-1, 0, L"Next"}, {2, 2, L"Next"}, {3, 3, L"Start using zarvi"}, {4, 3, L"Start using zarvi"}};
    for (const auto& c : cases) {
        t.ShowPage(c.asked);
        EXPECT_EQ(t.Page(), c.shown) << c.asked;
        EXPECT_EQ(probe::WindowText(t.btnNExt), c.next) << c.asked;
        EXPECT_EQ(Enabled(t.btnPrevious), c.shown > 0) << c.asked;
    }
    EXPECT_EQ(Stored(), L"(none)") << "turning pages stores nothing";
}

TEST_F(Tutorial, StartUsingZarviWithTheBoxUntickedStores0AndCloses)
{
    TformTutorial t(nullptr);
    WhileModal([&] { t.ShowModal(); },
               [&] {
                   ASSERT_TRUE(Shown(t));
                   for (int i = 0; i < 4; ++i)
                       ::SendMessageW(t.btnNExt, BM_CLICK, 0, 0);
               });
    EXPECT_EQ(Stored(), L"0");
    EXPECT_FALSE(::IsWindowVisible(t.Handle()));
}

TEST_F(Tutorial, TickedAndClosedByTheCloseBoxStores1)
{
    TformTutorial t(nullptr);
    WhileModal([&] { t.ShowModal(); },
               [&] {
                   ASSERT_TRUE(Shown(t));
                   ::SendMessageW(t.btnNExt, BM_CLICK, 0, 0);
                   ::SendMessageW(t.chkDontShowTutorial, BM_CLICK, 0, 0);
                   EXPECT_EQ(Stored(), L"1") << "a click on the box stores at once";
                   ::PostMessageW(t.Handle(), WM_CLOSE, 0, 0);
               });
    EXPECT_EQ(Stored(), L"1");
    EXPECT_TRUE(IsTutorialDisabled());
}

TEST_F(Tutorial, OpenedAfterItWasDisabledShowsTheBoxTickedAndUntickingStores0)
{
    WriteSettings("DontShowTutorial=1\r\n");
    TformTutorial t(nullptr);
    WhileModal([&] { t.ShowModal(); },
               [&] {
                   ASSERT_TRUE(Shown(t));
                   EXPECT_TRUE(Ticked(t.chkDontShowTutorial));
                   ::SendMessageW(t.chkDontShowTutorial, BM_CLICK, 0, 0);
                   EXPECT_EQ(Stored(), L"0");
                   ::PostMessageW(t.Handle(), WM_CLOSE, 0, 0);
               });
    EXPECT_FALSE(IsTutorialDisabled());
}

TEST_F(Tutorial, EnterAndEscapeDoNothingAndSpaceTogglesTheBox)
{
    TformTutorial t(nullptr);
    WhileModal([&] { t.ShowModal(); },
               [&] {
                   ASSERT_TRUE(Shown(t));
                   ::SendMessageW(t.btnNExt, BM_CLICK, 0, 0);
                   ASSERT_TRUE(probe::WaitUntil([&] { return ::GetForegroundWindow() == t.Handle(); }));
                   probe::TapKey(VK_RETURN);
                   probe::TapKey(VK_ESCAPE);
                   EXPECT_FALSE(probe::WaitUntil([&] { return !::IsWindowVisible(t.Handle()); }, 500));
                   EXPECT_EQ(t.Page(), 1);
                   probe::TapKey(VK_SPACE);
                   EXPECT_TRUE(probe::WaitUntil([&] { return Ticked(t.chkDontShowTutorial); }, 2000));
                   EXPECT_TRUE(probe::WaitUntil([&] { return Stored() == L"1"; }, 2000));
                   ::PostMessageW(t.Handle(), WM_CLOSE, 0, 0);
               });
}

TEST_F(Tutorial, UnwritableSettingsAreToldAndTheWindowStillCloses)
{
    testfiles::MakeFolder(appFolder + L"\\zarvi.ini"); // refuses every write
    TformTutorial t(nullptr);
    ModalWatcher watcher;
    WhileModal([&] { t.ShowModal(); },
               [&] {
                   ASSERT_TRUE(Shown(t));
                   ::PostMessageW(t.Handle(), WM_CLOSE, 0, 0);
               });
    ASSERT_TRUE(watcher.Seen().has_value());
    EXPECT_EQ(watcher.Seen()->text, L"Unable to write to " + appFolder + L"\\zarvi.ini.");
    EXPECT_FALSE(::IsWindowVisible(t.Handle())) << "the window must close all the same";
}

} // namespace
