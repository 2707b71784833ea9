#pragma once
// The program under test with a path list of its own (one folder, two files), and what a user
// does with its bar: press the shortcut, wait for the bar, look at its search box.
#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ZarviProcess.h"
#include "ui/BarIds.h"
#include "core/rules/TextConv.h"
#include "support/AppFolderSandbox.h"
#include "support/OpenedLog.h"
#include "support/Probe.h"
#include "support/TestFiles.h"

namespace e2e {

using Items = std::vector<std::wstring>;

// The port of the web site the test build's update check asks (ZARVI_SITE_URL of the mingw preset).
inline constexpr unsigned short kTestSitePort = 47613;

inline HWND FindCombo(HWND bar)
{
    HWND found = nullptr;
    ::EnumChildWindows(
        bar,
        [](HWND child, LPARAM lp) -> BOOL {
            // The box keeps hidden combos beside the one shown (one made ahead, old ones emptied).
            if (_wcsicmp(probe::ClassName(child).c_str(), L"ComboBox") == 0 &&
                (::GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE)) {
                *reinterpret_cast<HWND*>(lp) = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// The bar's child with this control id (kMenuButtonId, kPathsButtonId).
inline HWND FindControl(HWND bar, int id)
{
    for (HWND child = ::GetWindow(bar, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (::GetDlgCtrlID(child) == id)
            return child;
    return nullptr;
}

// Keeps a picture of the whole desktop among the end-to-end artefacts (build/<preset>/
// e2e-artifacts), for a person to look at; waits until it is written.
inline bool KeepScreenshot(const std::string& name)
{
    const char* exe = std::getenv("ZARVI_EXE");
    if (!exe || exe[0] != '/')
        return false;
    std::string folder(exe);
    folder = folder.substr(0, folder.rfind('/')) + "/e2e-artifacts";
    ::SHCreateDirectoryExW(nullptr, probe::DosPathFromUnix(folder).c_str(), nullptr);
    const std::string file = folder + "/" + name + ".png";
    ::DeleteFileW(probe::DosPathFromUnix(file).c_str());
    return probe::TakeScreenshot(file) &&
           probe::WaitUntil(
               [&] { return ::GetFileAttributesW(probe::DosPathFromUnix(file).c_str()) != INVALID_FILE_ATTRIBUTES; },
               10000, 50);
}

// A popup menu shown on the desktop (menus cannot be read from another process under Wine).
inline HWND FindShownMenu()
{
    for (HWND hwnd : probe::TopLevelWindows(0))
        if (probe::ClassName(hwnd) == L"#32768" && ::IsWindowVisible(hwnd))
            return hwnd;
    return nullptr;
}

// The window with the keyboard focus in `window`'s thread.
inline HWND FocusOf(HWND window)
{
    GUITHREADINFO gui{};
    gui.cbSize = sizeof(gui);
    if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &gui))
        return nullptr;
    return gui.hwndFocus;
}

inline void PressShortcut(WORD hotkey = VK_SPACE)
{
    probe::KeyDown(VK_LWIN);
    probe::KeyDown(hotkey);
    probe::KeyUp(hotkey);
    probe::KeyUp(VK_LWIN);
}

// A window standing for another program's, in front with the keyboard focus. Its thread waits
// on its queue the whole time, as a program waiting for the user does: under Wine the keys the
// X server sends to a window are read only while its thread looks at its queue, and keys read
// late would reach the platform behind keys typed after them.
class OtherWindow {
public:
    OtherWindow()
    {
        const KernelHandle ready(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        struct Start {
            OtherWindow* self;
            HANDLE ready;
        } start{this, ready.get()};
        thread_.reset(::CreateThread(
            nullptr, 0,
            [](void* param) -> DWORD {
                const auto& start = *static_cast<Start*>(param);
                start.self->hwnd_ = ::CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300,
                                                      80, nullptr, nullptr, nullptr, nullptr);
                const HWND hwnd = start.self->hwnd_;
                ::SetEvent(start.ready);
                MSG msg;
                while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
                    if (msg.message == kTakeFocus) {
                        ::SetForegroundWindow(hwnd);
                        ::SetFocus(hwnd);
                        continue;
                    }
                    ::TranslateMessage(&msg);
                    ::DispatchMessageW(&msg);
                }
                ::DestroyWindow(hwnd);
                return 0;
            },
            &start, 0, &threadId_));
        if (thread_)
            ::WaitForSingleObject(ready.get(), INFINITE);
    }
    ~OtherWindow()
    {
        if (!thread_)
            return;
        ::PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        ::WaitForSingleObject(thread_.get(), INFINITE);
    }
    OtherWindow(const OtherWindow&) = delete;
    OtherWindow& operator=(const OtherWindow&) = delete;

    // Asks again until the platform gives the foreground (it may refuse a first request).
    bool TakeFocus()
    {
        return probe::WaitUntil(
            [&] {
                ::PostThreadMessageW(threadId_, kTakeFocus, 0, 0);
                return probe::WaitUntil([&] { return ::GetForegroundWindow() == hwnd_; }, 50, 10);
            },
            5000, 0);
    }
    std::wstring Typed() const { return probe::WindowText(hwnd_); }
    HWND Handle() const noexcept { return hwnd_; }

private:
    static constexpr UINT kTakeFocus = WM_APP + 40;
    KernelHandle thread_;
    DWORD threadId_ = 0;
    HWND hwnd_ = nullptr;
};

class Bar : public AppFolderSandbox {
protected:
    void SetUp() override
    {
        AppFolderSandbox::SetUp();
        SkipTutorial();
        opened::Clear();
        testfiles::Touch(dir / L"Alpha.zarvitest");
        testfiles::Touch(dir / L"Beta.zarvitest");
        WritePathList(dir.Str());
    }
    void WritePathList(const std::wstring& text)
    {
        testfiles::WritePathList(appFolder + L"\\zarvi.txt", text + L"\r\n");
    }

    // Starts the program and waits until its start-up is done: the bar exists, titled, hidden.
    void Start()
    {
        zarvi.Start();
        ASSERT_TRUE(probe::WaitUntil([&] { return (bar = probe::FindTopLevel(kBarTitle, zarvi.Pid())) != nullptr; }))
            << "the bar did not appear";
        ASSERT_TRUE(probe::WaitUntil([&] { return FindCombo(bar) != nullptr; }));
        EXPECT_FALSE(::IsWindowVisible(bar));
    }

    bool WaitShown()
    {
        return probe::WaitUntil([&] { return ::IsWindowVisible(bar) != FALSE; });
    }
    bool WaitHidden()
    {
        return probe::WaitUntil([&] { return !::IsWindowVisible(bar); });
    }
    // The shortcut, then the bar shown and in front with the focus in its search box.
    bool ShowInFront()
    {
        PressShortcut();
        return WaitShown() && probe::WaitUntil([&] { return ::GetForegroundWindow() == bar && FocusInSearchBox(); });
    }
    bool FocusInSearchBox()
    {
        const HWND focus = FocusOf(bar);
        const HWND combo = FindCombo(bar);
        return focus && (focus == combo || ::IsChild(combo, focus));
    }

    testfiles::TempDir dir;
    ZarviProcess zarvi;
    HWND bar = nullptr;
};

} // namespace e2e
