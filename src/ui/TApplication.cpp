#include "ui/TApplication.h"

#include "core/AppInfo.h"

namespace {
constexpr const wchar_t* kApplicationClass = L"TApplication";
TApplication* Application = nullptr;
} // namespace

TApplication::TApplication()
{
    Application = this;
    RegisterWindowClass(kApplicationClass);
    // Zero size and never shown: it exists to own the visible windows.
    CreateBound(kApplicationClass, 0, kAppTitle, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 0,
                nullptr);
}

TApplication::~TApplication()
{
    if (Handle())
        ::DestroyWindow(Handle());
}

void TApplication::Terminate(int exitCode) noexcept
{
    exitCode_ = exitCode;
    ::DestroyWindow(Handle());
}

LRESULT TApplication::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    switch (message) {
    case WM_CLOSE:
        Terminate(0);
        return 0;
    case kSetMenuPainterMessage:
        menuPainter_ = reinterpret_cast<HWND>(lParam);
        return 0;
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
        if (menuPainter_ && wParam == 0)
            return ::SendMessageW(menuPainter_, message, wParam, lParam);
        return DefaultMessage(message, wParam, lParam);
    case WM_DESTROY:
        Application = nullptr;
        ::PostQuitMessage(exitCode_);
        return 0;
    default:
        return DefaultMessage(message, wParam, lParam);
    }
}

void TerminateApplication(int exitCode) noexcept
{
    if (Application)
        Application->Terminate(exitCode);
    else
        ::PostQuitMessage(exitCode);
}

int RunMessageLoop(MessageFilter filter) noexcept
{
    MSG msg;
    BOOL result;
    while ((result = ::GetMessageW(&msg, nullptr, 0, 0)) != 0) {
        if (result == -1)
            return 1;
        if (filter && filter(msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
