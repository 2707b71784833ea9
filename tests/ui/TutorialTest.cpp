#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "core/Handle.h"
#include "core/SettingsFile.h"
#include "ui/ErrorReport.h"
#include "support/AppFolderSandbox.h"
#include "support/DpiChild.h"
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

// Answers every message box of this process for `ms` milliseconds and counts them.
class BoxCounter {
public:
    explicit BoxCounter(DWORD ms)
        : thread_([this, ms] {
              const ULONGLONG end = ::GetTickCount64() + ms;
              while (::GetTickCount64() < end)
                  if (const auto box = probe::WaitForMessageBox(::GetCurrentProcessId(), 200)) {
                      texts_.push_back(box->text);
                      probe::PressDialogButton(box->hwnd, L"OK");
                      probe::WaitUntil([&] { return !::IsWindow(box->hwnd); }, 2000);
                  }
          })
    {
    }
    ~BoxCounter() { Texts(); }
    const std::vector<std::wstring>& Texts()
    {
        if (thread_.joinable())
            thread_.join();
        return texts_;
    }

private:
    std::vector<std::wstring> texts_;
    std::thread thread_;
};

// Another program holds the settings file: it reads, and every write is refused.
class TutorialWithHeldSettings : public Tutorial {
protected:
    void Hold()
    {
        held.reset(::CreateFileW((appFolder + L"\\zarvi.ini").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held) << "the settings file is not there";
    }
    std::wstring Refused() const { return L"Unable to write to " + appFolder + L"\\zarvi.ini."; }
    KernelHandle held;
};

// "Start using zarvi" stores, then closes, which stores again: one press is one box.
TEST_F(TutorialWithHeldSettings, StartUsingZarviTellsAFailedStoreOnce)
{
    WriteSettings("DontShowTutorial=0\r\n");
    TformTutorial t(nullptr);
    std::vector<std::wstring> told;
    WhileModal([&] { t.ShowModal(); },
               [&] {
                   ASSERT_TRUE(Shown(t));
                   for (int i = 0; i < 3; ++i)
                       ::SendMessageW(t.btnNExt, BM_CLICK, 0, 0);
                   ::SendMessageW(t.chkDontShowTutorial, BM_SETCHECK, BST_CHECKED, 0); // a store to refuse
                   Hold();
                   BoxCounter boxes(4000);
                   ::PostMessageW(t.btnNExt, BM_CLICK, 0, 0);
                   told = boxes.Texts();
               });
    EXPECT_EQ(told, std::vector<std::wstring>{Refused()});
    EXPECT_FALSE(::IsWindowVisible(t.Handle()));
}

// Opened from the menu after it was switched off, with the file held: the store made as the box
// is shown ticked fails; the window opens all the same, and the failure is told once.
TEST_F(TutorialWithHeldSettings, OpensWhenTheStoreOfTheTickedBoxFails)
{
    WriteSettings("DontShowTutorial=2\r\n"); // reads as ticked; storing it writes "1"
    Hold();
    TformTutorial t(nullptr);
    std::vector<std::wstring> told;
    bool opened = false;
    WhileModal([&] { RunGuarded([&] { t.ShowModal(); }); },
               [&] {
                   BoxCounter boxes(3000);
                   opened = Shown(t);
                   told = boxes.Texts();
                   ::PostMessageW(t.Handle(), WM_CLOSE, 0, 0);
                   BoxCounter closing(2000);
               });
    EXPECT_TRUE(opened) << "the tutorial did not open";
    EXPECT_EQ(told, std::vector<std::wstring>{Refused()});
    EXPECT_TRUE(Ticked(t.chkDontShowTutorial));
}

// The check box is the only focus stop, and has the focus from the first moment.
TEST_F(Tutorial, SpaceTicksTheBoxAsSoonAsTheWindowOpens)
{
    TformTutorial t(nullptr);
    WhileModal([&] { t.ShowModal(); },
               [&] {
                   ASSERT_TRUE(Shown(t));
                   ASSERT_TRUE(probe::WaitUntil([&] { return ::GetForegroundWindow() == t.Handle(); }));
                   GUITHREADINFO gui{};
                   gui.cbSize = sizeof(gui);
                   ::GetGUIThreadInfo(::GetWindowThreadProcessId(t.Handle(), nullptr), &gui);
                   EXPECT_EQ(gui.hwndFocus, t.chkDontShowTutorial);
                   probe::TapKey(VK_SPACE);
                   EXPECT_TRUE(probe::WaitUntil([&] { return Ticked(t.chkDontShowTutorial); }, 2000));
                   ::PostMessageW(t.Handle(), WM_CLOSE, 0, 0);
               });
    EXPECT_EQ(Stored(), L"1");
}

// Moved to a monitor of another scale (run at 96 DPI, and at 144 by the settings window's test).
TEST_F(Tutorial, TutorialLookADpiChangeLaysItOutAtTheNewScale)
{
    TformTutorial t(nullptr);
    const int from = dpichild::ExpectedDpi();
    ASSERT_EQ(t.Dpi(), from);
    const int to = from == 96 ? 144 : 96;
    const auto scaled = [](int pixels, int dpi) { return ::MulDiv(pixels, dpi, 96); };
    RECT frame{0, 0, scaled(583, to), scaled(447, to)};
    ::AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(::GetWindowLongW(t.Handle(), GWL_STYLE)), FALSE,
                               static_cast<DWORD>(::GetWindowLongW(t.Handle(), GWL_EXSTYLE)), static_cast<UINT>(to));
    RECT suggested{50, 50, 50 + frame.right - frame.left, 50 + frame.bottom - frame.top};
    ::SendMessageW(t.Handle(), WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(t.Dpi(), to);
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HGDIOBJ>(::SendMessageW(t.chkDontShowTutorial, WM_GETFONT, 0, 0)), sizeof(font),
                 &font);
    EXPECT_EQ(font.lfHeight, -scaled(16, to));
    RECT client{}, previous{};
    ::GetClientRect(t.Handle(), &client);
    EXPECT_EQ(client.right, scaled(583, to));
    ::GetWindowRect(t.btnPrevious, &previous);
    EXPECT_EQ(previous.bottom - previous.top, scaled(50, to));
    EXPECT_EQ(previous.right - previous.left, scaled(93, to));
}

} // namespace
