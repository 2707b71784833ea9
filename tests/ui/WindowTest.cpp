#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "ui/Window.h"

namespace {

class RecordingWindow : public Window {
public:
    RecordingWindow()
    {
        RegisterWindowClass(L"ZarviTestRecordingWindow");
        CreateBound(L"ZarviTestRecordingWindow", 0, L"recording", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr);
    }
    std::vector<UINT> seen;
    HWND handleAtCreate = nullptr;
    bool sawDestroy = false;
    std::vector<std::pair<int, RECT>> dpiChanges;
    std::vector<UINT> colourQuestions;

protected:
    void DpiChanged(const RECT& suggested) override { dpiChanges.emplace_back(WindowDpi(), suggested); }
    LRESULT ControlColours(UINT message, WPARAM wParam, LPARAM lParam) noexcept override
    {
        colourQuestions.push_back(message);
        return Window::ControlColours(message, wParam, lParam);
    }

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept override
    {
        seen.push_back(message);
        if (message == WM_CREATE)
            handleAtCreate = Handle();
        if (message == WM_DESTROY)
            sawDestroy = true;
        if (message == WM_APP + 7)
            return static_cast<LRESULT>(wParam + static_cast<WPARAM>(lParam));
        return DefaultMessage(message, wParam, lParam);
    }
};

TEST(Window, IsBoundBeforeWmCreateAndRoutesMessagesToItsObject)
{
    RecordingWindow window;
    ASSERT_TRUE(::IsWindow(window.Handle()));
    EXPECT_EQ(window.handleAtCreate, window.Handle());
    EXPECT_EQ(::SendMessageW(window.Handle(), WM_APP + 7, 40, 2), 42);
    EXPECT_EQ(window.seen.front(), static_cast<UINT>(WM_NCCREATE)) << "the first message reaches the object too";
}

TEST(Window, DestroyingTheWindowUnbindsTheObject)
{
    RecordingWindow window;
    const HWND hwnd = window.Handle();
    ::DestroyWindow(hwnd);
    EXPECT_TRUE(window.sawDestroy);
    EXPECT_EQ(window.Handle(), nullptr);
    EXPECT_FALSE(::IsWindow(hwnd));
}

TEST(Window, DestroyingTheObjectDestroysItsWindow)
{
    HWND hwnd = nullptr;
    {
        RecordingWindow window;
        hwnd = window.Handle();
    }
    EXPECT_FALSE(::IsWindow(hwnd));
}

TEST(Window, AMoveToAnotherScaleIsTakenOnceForEveryWindow)
{
    RecordingWindow window;
    EXPECT_EQ(window.WindowDpi(), static_cast<int>(::GetDpiForWindow(window.Handle())));
    RECT suggested{10, 20, 310, 220};
    EXPECT_EQ(
        ::SendMessageW(window.Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested)), 0);
    ASSERT_EQ(window.dpiChanges.size(), 1u);
    EXPECT_EQ(window.dpiChanges[0].first, 144) << "the new scale is known when the window lays out again";
    EXPECT_TRUE(::EqualRect(&window.dpiChanges[0].second, &suggested));
    EXPECT_EQ(window.WindowDpi(), 144);
}

// A control asks its parent for its colours; without a theme the platform's stand.
TEST(Window, ControlsAskTheirWindowForTheirColours)
{
    RecordingWindow window;
    const HWND label = ::CreateWindowExW(0, L"STATIC", L"label", WS_CHILD | WS_VISIBLE, 0, 0, 60, 20, window.Handle(),
                                         nullptr, nullptr, nullptr);
    const HWND field = ::CreateWindowExW(0, L"EDIT", L"field", WS_CHILD | WS_VISIBLE, 0, 30, 60, 20, window.Handle(),
                                         nullptr, nullptr, nullptr);
    const HDC dc = ::GetDC(label);
    const LRESULT faceBrush = ::SendMessageW(window.Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                             reinterpret_cast<LPARAM>(label));
    EXPECT_EQ(reinterpret_cast<HBRUSH>(faceBrush), ::GetSysColorBrush(COLOR_3DFACE));
    EXPECT_EQ(::GetTextColor(dc), ::GetSysColor(COLOR_WINDOWTEXT));
    const LRESULT fieldBrush =
        ::SendMessageW(window.Handle(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(field));
    EXPECT_EQ(reinterpret_cast<HBRUSH>(fieldBrush), ::GetSysColorBrush(COLOR_WINDOW));
    ::ReleaseDC(label, dc);
    window.colourQuestions.clear();
    ::ShowWindow(window.Handle(), SW_SHOWNOACTIVATE);
    ::RedrawWindow(window.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    EXPECT_NE(std::find(window.colourQuestions.begin(), window.colourQuestions.end(), UINT{WM_CTLCOLORSTATIC}),
              window.colourQuestions.end())
        << "a label drawn asks its window";
}

} // namespace
