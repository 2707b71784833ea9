#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/AppPathHelper.h"
#include "core/AutostartHelper.h"
#include "core/HotkeySetting.h"
#include "core/MiniLogHelper.h"
#include "core/SettingsFile.h"
#include "core/UpdateHelper.h"
#include "core/rules/TextConv.h"
#include "support/AppFolderSandbox.h"
#include "support/DpiChild.h"
#include "support/Driver.h"
#include "support/LocalSite.h"
#include "support/ModalWatcher.h"
#include "support/Probe.h"
#include "support/SearchHost.h"
#include "support/UpdateAnswer.h"
#include "ui/About.h"
#include "ui/ImageButton.h"
#include "ui/MAIN.h"
#include "ui/SmartCombo.h"
#include "ui/TApplication.h"
#include "ui/ToggleSwitch.h"

namespace {

std::optional<std::wstring> RunValue()
{
    wchar_t data[1024] = {};
    DWORD size = sizeof(data);
    if (::RegGetValueW(HKEY_CURRENT_USER, kRunKey, GetExeName().c_str(), RRF_RT_REG_SZ, nullptr, data, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(data);
}

class SettingsWindow : public AppFolderSandbox {
protected:
    void SetUp() override
    {
        AppFolderSandbox::SetUp();
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, GetExeName().c_str());
    }
    void TearDown() override
    {
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, GetExeName().c_str());
        SetHotkey(L"space");
        AppFolderSandbox::TearDown();
    }
    std::string SettingsBytes() { return testfiles::ReadBytes(appFolder + L"\\zarvi.ini"); }
    static int Selected(const TAboutBox& box)
    {
        return static_cast<int>(::SendMessageW(box.cmbHotkey, CB_GETCURSEL, 0, 0));
    }
};

TEST_F(SettingsWindow, OpensWithTheStoredChoicesAndWritesNothing)
{
    WriteSettings("Hotkey=x\r\nAutostart=1\r\n");
    LoadHotkey();
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, GetExeName().c_str(), REG_SZ, L"as it was", 20);
    const std::string before = SettingsBytes();
    TAboutBox box(nullptr);
    EXPECT_EQ(Selected(box), 2) << "x is the third name";
    EXPECT_TRUE(box.swtAutostart->IsOn());
    EXPECT_EQ(SettingsBytes(), before) << "opening wrote the settings back";
    EXPECT_EQ(RunValue(), std::optional<std::wstring>(L"as it was")) << "opening touched the Run key";
}

TEST_F(SettingsWindow, UnknownStoredHotkeySelectsNothing)
{
    WriteSettings("Hotkey=q\r\n");
    LoadHotkey();
    TAboutBox box(nullptr);
    EXPECT_EQ(Selected(box), CB_ERR);
}

TEST_F(SettingsWindow, ChoosingAHotkeyStoresItAtOnceAndTheSwitchWritesFileAndRunKey)
{
    SkipTutorial();
    TAboutBox box(nullptr);
    ::ShowWindow(box.Handle(), SW_SHOW);
    ::SetForegroundWindow(box.Handle());
    ::SetFocus(box.cmbHotkey);
    probe::TapKey('B'); // the list-only box selects the name starting with b
    SearchHost::Settle();
    EXPECT_EQ(ReadSettingString(L"Hotkey", L"(none)"), L"b");
    EXPECT_EQ(HotkeyKey.load(), static_cast<DWORD>('B'));

    ::SendMessageW(box.swtAutostart->Handle(), WM_LBUTTONDOWN, 0, 0);
    EXPECT_EQ(ReadSettingString(L"Autostart", L"(none)"), L"1");
    EXPECT_EQ(RunValue(), std::optional<std::wstring>(L"\"" + GetExeFile() + L"\""));
    ::SendMessageW(box.swtAutostart->Handle(), WM_LBUTTONDOWN, 0, 0);
    EXPECT_EQ(ReadSettingString(L"Autostart", L"(none)"), L"0");
    EXPECT_EQ(RunValue(), std::nullopt);
}

// The request runs on a thread of its own: the window answers meanwhile, its button waits for
// the answer, and the log page shows the answer when it comes.
TEST_F(SettingsWindow, CheckForUpdatesShowsTheLogPageAndTheAnswerWhenItComes)
{
    LocalSite site("", LocalSite::Mode::NeverAnswer);
    const std::wstring savedSite = SiteUrl;
    SiteUrl = site.Url();
    UpdateTimeoutMs = 1500;
    LogText.clear();
    AnswerTarget target;
    TAboutBox box(nullptr);
    ::ShowWindow(box.Handle(), SW_SHOW);
    const HWND button = ::GetDlgItem(box.Handle(), about::kCheckUpdatesId);
    const ULONGLONG start = ::GetTickCount64();
    ::SendMessageW(box.Handle(), WM_COMMAND, MAKEWPARAM(about::kCheckUpdatesId, BN_CLICKED),
                   reinterpret_cast<LPARAM>(button));
    EXPECT_LT(::GetTickCount64() - start, 500u) << "the window waited for the site";
    EXPECT_EQ(box.ActivePage(), SettingsPage::Log);
    EXPECT_TRUE(::IsWindowVisible(box.memoLOG));
    EXPECT_FALSE(::IsWindowEnabled(button)) << "a second press would start a second request";
    EXPECT_NE(probe::WindowText(box.memoLOG).find(L"# - App version: "), std::wstring::npos);
    EXPECT_TRUE(probe::WaitUntil([&] { return site.Connections() > 0; }, 5000));
    // The window answers while the site keeps the request waiting.
    DWORD_PTR result = 0;
    EXPECT_TRUE(::SendMessageTimeoutW(box.Handle(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 200, &result));

    EXPECT_TRUE(target.WaitForAnswer());
    SiteUrl = savedSite;
    UpdateTimeoutMs = 5000;
    EXPECT_TRUE(::IsWindowEnabled(button));
    const std::wstring shown = probe::WindowText(box.memoLOG);
    EXPECT_NE(shown.find(L"# - Version found on site: "), std::wstring::npos) << testing::PrintToString(shown);
}

// The settings window is topmost: a question owned by nothing would open behind it.
TEST_F(SettingsWindow, TheUpdateQuestionIsOwnedByTheSettingsWindow)
{
    LocalSite site("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n9.0.0");
    const std::wstring savedSite = SiteUrl;
    SiteUrl = site.Url();
    AnswerTarget target;
    TAboutBox box(nullptr);
    ::ShowWindow(box.Handle(), SW_SHOW);
    ModalWatcher watcher(L"No");
    ::SendMessageW(box.Handle(), WM_COMMAND, MAKEWPARAM(about::kCheckUpdatesId, BN_CLICKED), 0);
    EXPECT_TRUE(target.WaitForAnswer());
    SiteUrl = savedSite;
    ASSERT_TRUE(watcher.Seen().has_value()) << "no question";
    EXPECT_EQ(watcher.Owner(), box.Handle());
}

TEST_F(SettingsWindow, ShowTutorialHidesTheWindowAndBringsItBackOnTheSamePage)
{
    SkipTutorial();
    TAboutBox box(nullptr);
    box.SelectPage(SettingsPage::Help);
    ::ShowWindow(box.Handle(), SW_SHOW);
    bool hiddenMeanwhile = false;
    WhileModal([&] { ::SendMessageW(box.Handle(), WM_COMMAND, MAKEWPARAM(about::kShowTutorialId, BN_CLICKED), 0); },
               [&] {
                   HWND tutorial = nullptr;
                   ASSERT_TRUE(probe::WaitUntil([&] {
                       tutorial = probe::FindTopLevel(L"Tutorial", ::GetCurrentProcessId());
                       return tutorial && ::IsWindowVisible(tutorial);
                   }));
                   hiddenMeanwhile = !::IsWindowVisible(box.Handle());
                   ::PostMessageW(tutorial, WM_CLOSE, 0, 0);
               });
    EXPECT_TRUE(hiddenMeanwhile);
    EXPECT_TRUE(::IsWindowVisible(box.Handle()));
    EXPECT_EQ(box.ActivePage(), SettingsPage::Help);
}

TEST_F(SettingsWindow, HelpTextNamesTheShortcutAndTheGuideKey)
{
    const std::wstring text = AboutHelpText(L"m");
    EXPECT_NE(text.find(L"\r\n- WIN+M: show\r\n- F1: guide\r\n"), std::wstring::npos) << testing::PrintToString(text);
    EXPECT_EQ(text.rfind(L"#DESCRIPTION:\r\n", 0), 0u);
    EXPECT_NE(text.find(L"- Menu -> Add a folder: add a new path"), std::wstring::npos);
}

// From the bar's menu: OK brings the bar back with the focus in its box; the close box does not.
class SettingsFromTheBar : public SettingsWindow {
protected:
    void SetUp() override
    {
        SettingsWindow::SetUp();
        SkipTutorial();
        application = std::make_unique<TApplication>();
        bar = std::make_unique<TForm1>(application->Handle());
        testfiles::Touch(dir / L"entry.txt");
        testfiles::WriteBytes(appFolder + L"\\zarvi.txt", "\xEF\xBB\xBF" + WideToUtf8(dir.Str()) + "\r\n");
    }
    void TearDown() override
    {
        bar.reset();
        application.reset();
        SettingsWindow::TearDown();
    }
    // Opens the settings window and answers it with `message` (to the window) once it is there.
    void OpenAndAnswer(UINT message, WPARAM wParam)
    {
        OpenAndDo(SettingsPage::Settings, [&](HWND settings) { ::PostMessageW(settings, message, wParam, 0); });
    }
    // Opens the settings window on `page` and does `act` once it is there.
    void OpenAndDo(SettingsPage page, const std::function<void(HWND)>& act)
    {
        WhileModal([&] { bar->ShowSettings(page); },
                   [&] {
                       HWND settings = nullptr;
                       ASSERT_TRUE(probe::WaitUntil([&] {
                           settings = probe::FindTopLevel(L"ZARVI", ::GetCurrentProcessId());
                           return settings && ::IsWindowVisible(settings);
                       }));
                       EXPECT_FALSE(::IsWindowVisible(bar->Handle())) << "the bar stays hidden meanwhile";
                       act(settings);
                   });
        SearchHost::Settle();
    }
    testfiles::TempDir dir;
    std::unique_ptr<TApplication> application;
    std::unique_ptr<TForm1> bar;
};

TEST_F(SettingsFromTheBar, OkShowsTheBarWithTheFocusInItsSearchBox)
{
    OpenAndAnswer(WM_COMMAND, IDOK);
    EXPECT_TRUE(::IsWindowVisible(bar->Handle()));
    EXPECT_TRUE(probe::WaitUntil(
        [&] {
            SearchHost::Settle();
            const HWND focus = ::GetFocus();
            return focus && (focus == SearchBox->Combo() || ::IsChild(SearchBox->Combo(), focus));
        },
        3000));
}

TEST_F(SettingsFromTheBar, CloseBoxLeavesTheBarHidden)
{
    OpenAndAnswer(WM_CLOSE, 0);
    EXPECT_FALSE(::IsWindowVisible(bar->Handle()));
}

// A click in the help or log text, then Escape or Enter: the OK button, as anywhere in the window
// (a multi-line edit would turn Escape into the close box's request).
TEST_F(SettingsFromTheBar, EscapeAndEnterInTheHelpAndLogTextAreTheOkButton)
{
    struct Case {
        const char* name;
        SettingsPage page;
        int text;
        WORD key;
    } const cases[] = {
        {"Escape in the log", SettingsPage::Log, about::kLogId, VK_ESCAPE},
        {"Escape in the help", SettingsPage::Help, about::kHelpId, VK_ESCAPE},
        {"Enter in the log", SettingsPage::Log, about::kLogId, VK_RETURN},
        {"Enter in the help", SettingsPage::Help, about::kHelpId, VK_RETURN},
    };
    for (const auto& c : cases) {
        bool closed = false;
        OpenAndDo(c.page, [&](HWND settings) {
            const HWND text = ::GetDlgItem(settings, c.text);
            ASSERT_TRUE(probe::WaitUntil([&] { return ::GetForegroundWindow() == settings; }));
            ::PostMessageW(text, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
            ::PostMessageW(text, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
            ASSERT_TRUE(probe::WaitUntil([&] {
                GUITHREADINFO gui{};
                gui.cbSize = sizeof(gui);
                ::GetGUIThreadInfo(::GetWindowThreadProcessId(settings, nullptr), &gui);
                return gui.hwndFocus == text;
            })) << c.name;
            probe::TapKey(c.key);
            closed = probe::WaitUntil([&] { return !::IsWindowVisible(settings); }, 3000);
            if (!closed)
                ::PostMessageW(settings, WM_CLOSE, 0, 0);
        });
        EXPECT_TRUE(closed) << c.name << ": the window stayed";
        EXPECT_TRUE(::IsWindowVisible(bar->Handle())) << c.name << ": the bar did not come back";
        bar->HideToTray();
    }
}

// The help page names the shortcut with the key chosen now, not the one the window opened with.
TEST_F(SettingsWindow, TheHelpTextFollowsTheChosenHotkey)
{
    SkipTutorial();
    TAboutBox box(nullptr);
    EXPECT_NE(probe::WindowText(box.memoHelp).find(L"- WIN+SPACE: show"), std::wstring::npos);
    ::SendMessageW(box.cmbHotkey, CB_SETCURSEL, 7, 0); // "m"
    ::SendMessageW(box.Handle(), WM_COMMAND, MAKEWPARAM(about::kHotkeyId, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(box.cmbHotkey));
    const std::wstring help = probe::WindowText(box.memoHelp);
    EXPECT_NE(help.find(L"- WIN+M: show"), std::wstring::npos) << testing::PrintToString(help);
    EXPECT_EQ(help.find(L"WIN+SPACE"), std::wstring::npos);
}

// The window's look at the DPI this process runs at (96, or 144 in a child): run at both.
class SettingsWindowLook : public SettingsWindow {
protected:
    static int Scaled(int pixels, int dpi) { return ::MulDiv(pixels, dpi, 96); }
    static RECT ChildRect(HWND child)
    {
        RECT r{};
        ::GetWindowRect(child, &r);
        ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    // Every visible control inside the client area, a label's text included, and none on another.
    static void ExpectWholeAndApart(HWND window, const std::string& where)
    {
        RECT client{};
        ::GetClientRect(window, &client);
        std::vector<HWND> shown;
        for (HWND c = ::GetWindow(window, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
            if (::IsWindowVisible(c))
                shown.push_back(c);
        for (HWND c : shown) {
            RECT r = ChildRect(c);
            if (probe::ClassName(c) == L"Static" && !probe::WindowText(c).empty()) {
                const HDC dc = ::GetDC(c);
                const HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(c, WM_GETFONT, 0, 0)));
                SIZE extent{};
                const std::wstring text = probe::WindowText(c);
                ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
                ::SelectObject(dc, old);
                ::ReleaseDC(c, dc);
                r.right = r.left + extent.cx;
            }
            EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom)
                << where << ": \"" << WideToUtf8(probe::WindowText(c)) << "\" (" << WideToUtf8(probe::ClassName(c))
                << ") is cut at " << r.left << "," << r.top << "," << r.right << "," << r.bottom << " in "
                << client.right << "x" << client.bottom;
        }
        for (size_t i = 0; i < shown.size(); ++i)
            for (size_t j = i + 1; j < shown.size(); ++j) {
                RECT a = ChildRect(shown[i]), b = ChildRect(shown[j]), both{};
                EXPECT_FALSE(::IntersectRect(&both, &a, &b))
                    << where << ": \"" << WideToUtf8(probe::WindowText(shown[i])) << "\" and \""
                    << WideToUtf8(probe::WindowText(shown[j])) << "\" overlap";
            }
    }
};

TEST_F(SettingsWindowLook, NarrowedAsFarAsItGoesEveryControlStaysWholeAndApart)
{
    TAboutBox box(nullptr);
    const int dpi = dpichild::ExpectedDpi();
    ASSERT_EQ(box.Dpi(), dpi);
    ::ShowWindow(box.Handle(), SW_SHOWNOACTIVATE);
    ::SetWindowPos(box.Handle(), nullptr, 0, 0, 40, 40, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client{};
    ::GetClientRect(box.Handle(), &client);
    EXPECT_GT(client.right, Scaled(300, dpi)) << "the window narrowed past its controls";
    EXPECT_LT(client.right, Scaled(675, dpi)) << "the window cannot be narrowed at all";
    EXPECT_LT(client.bottom, Scaled(436, dpi));
    EXPECT_EQ(::SendMessageW(box.PageControl1, TCM_GETROWCOUNT, 0, 0), 1) << "the tabs wrapped";
    for (int page = 0; page < kSettingsPageCount; ++page) {
        box.SelectPage(static_cast<SettingsPage>(page));
        ExpectWholeAndApart(box.Handle(), "page " + std::to_string(page));
    }
    // The caption buttons show their captions whole beside their pictures.
    for (const int id : {about::kCheckUpdatesId, about::kShowGuideId, about::kShowTutorialId}) {
        const HWND button = ::GetDlgItem(box.Handle(), id);
        const RECT r = ChildRect(button);
        const auto font = reinterpret_cast<HFONT>(::SendMessageW(button, WM_GETFONT, 0, 0));
        EXPECT_GE(r.right - r.left, CaptionButtonWidth(button, font, dpi)) << WideToUtf8(probe::WindowText(button));
    }
}

// Moved to a monitor of another scale: fonts and places follow at once.
TEST_F(SettingsWindowLook, ADpiChangeLaysItOutAtTheNewScale)
{
    TAboutBox box(nullptr);
    const int to = dpichild::ExpectedDpi() == 96 ? 144 : 96;
    RECT suggested{100, 100, 100 + Scaled(700, to), 100 + Scaled(480, to)};
    ::SendMessageW(box.Handle(), WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(box.Dpi(), to);
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HGDIOBJ>(::SendMessageW(box.OKButton, WM_GETFONT, 0, 0)), sizeof(font), &font);
    EXPECT_EQ(font.lfHeight, -Scaled(20, to));
    const RECT ok = ChildRect(box.OKButton);
    EXPECT_EQ(ok.bottom - ok.top, Scaled(26, to));
    const HWND button = ::GetDlgItem(box.Handle(), about::kCheckUpdatesId);
    const RECT check = ChildRect(button);
    EXPECT_EQ(check.left, Scaled(2 + 79, to));
    EXPECT_EQ(check.right - check.left, std::max(Scaled(202, to), CaptionButtonWidth(button, box.FontOfButtons(), to)));
    RECT window{};
    ::GetWindowRect(box.Handle(), &window);
    EXPECT_EQ(window.left, suggested.left);
    EXPECT_EQ(window.right - window.left, suggested.right - suggested.left);
}

TEST(SettingsWindowLookAtDpi, At144Dpi)
{
    if (dpichild::IsChild())
        GTEST_SKIP() << "run by the parent";
    EXPECT_EQ(dpichild::RunAtDpi(144, L"SettingsWindowLook.*:Tutorial.TutorialLook*"), 0u)
        << "the settings window's or the tutorial's look at 144 DPI failed (see the output above)";
}

} // namespace
