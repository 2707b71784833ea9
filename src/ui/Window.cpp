#include "ui/Window.h"

#include "core/WinError.h"
#include "ui/ErrorReport.h"
#include "ui/Theme.h"

Window::~Window()
{
    if (hwnd_)
        ::DestroyWindow(hwnd_);
}

void Window::RegisterWindowClass(const wchar_t* className, UINT classStyle, HBRUSH background)
{
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (::GetClassInfoExW(instance, className, &existing))
        return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = classStyle;
    wc.lpfnWndProc = &Window::WindowProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = className;
    if (!::RegisterClassExW(&wc))
        ThrowLastError(L"RegisterClassEx");
}

void Window::CreateBound(const wchar_t* className, DWORD exStyle, const wchar_t* title, DWORD style, int x, int y,
                         int width, int height, HWND parent, HMENU menuOrId)
{
    if (!::CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, menuOrId,
                           ::GetModuleHandleW(nullptr), this))
        ThrowLastError(L"CreateWindowEx");
    windowDpi_ = static_cast<int>(::GetDpiForWindow(hwnd_));
}

LRESULT Window::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    return DefaultMessage(message, wParam, lParam);
}

SIZE Window::FrameForClient(int width, int height) const noexcept
{
    RECT frame{0, 0, width, height};
    ::AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(::GetWindowLongW(hwnd_, GWL_STYLE)), FALSE,
                               static_cast<DWORD>(::GetWindowLongW(hwnd_, GWL_EXSTYLE)), static_cast<UINT>(windowDpi_));
    return {frame.right - frame.left, frame.bottom - frame.top};
}

void Window::SizeClient(int width, int height) noexcept
{
    const SIZE frame = FrameForClient(width, height);
    ::SetWindowPos(hwnd_, nullptr, 0, 0, frame.cx, frame.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Window::DpiChanged(const RECT&) {}

LRESULT Window::ControlColours(UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    if (message != WM_CTLCOLORBTN)
        if (const HBRUSH brush = ThemeControlColours(message, reinterpret_cast<HDC>(wParam)))
            return reinterpret_cast<LRESULT>(brush);
    return DefaultMessage(message, wParam, lParam);
}

bool Window::CommonMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) noexcept
{
    switch (message) {
    case WM_DPICHANGED:
        windowDpi_ = HIWORD(wParam);
        RunGuarded([&] { DpiChanged(*reinterpret_cast<const RECT*>(lParam)); });
        result = 0;
        return true;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        result = ControlColours(message, wParam, lParam);
        return true;
    default:
        return false;
    }
}

LRESULT CALLBACK Window::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    Window* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self)
        return ::DefWindowProcW(hwnd, message, wParam, lParam);

    LRESULT result = 0;
    if (!self->CommonMessage(message, wParam, lParam, result))
        result = self->OnMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}
