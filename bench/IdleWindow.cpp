// The smallest window program: one window, shown, and a message loop. What Wine itself costs a
// process, measured beside zarvi.exe. Ends when its window is closed.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = [](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (message == WM_DESTROY)
            ::PostQuitMessage(0);
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    };
    wc.hInstance = instance;
    wc.lpszClassName = L"IdleWindow";
    ::RegisterClassW(&wc);
    ::ShowWindow(::CreateWindowW(L"IdleWindow", L"Idle window", WS_OVERLAPPEDWINDOW, 0, 0, 300, 100, nullptr, nullptr,
                                 instance, nullptr),
                 SW_SHOW);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageW(&msg);
    return 0;
}
