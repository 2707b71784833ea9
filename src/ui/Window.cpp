#include "ui/Window.h"

#include "core/WinError.h"

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
}

LRESULT Window::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    return DefaultMessage(message, wParam, lParam);
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

    const LRESULT result = self->OnMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}
