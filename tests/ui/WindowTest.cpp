#include <gtest/gtest.h>

#include <windows.h>

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

protected:
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

} // namespace
