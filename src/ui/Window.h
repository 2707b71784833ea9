#pragma once
#include <windows.h>

// Base of every window class of the program: binds the HWND to its C++ object and routes
// each message to OnMessage. The object must outlive its window: each derived class destroys
// its window in its own destructor, while its handlers can still run (the base's destructor
// only catches a window left over, and by then only the base's handler answers).
class Window {
public:
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND Handle() const noexcept { return hwnd_; }
    // The scale of the monitor the window is on, as the platform last told it (96 before it exists).
    int WindowDpi() const noexcept { return windowDpi_; }

protected:
    Window() = default;

    // Registers `className` on first use (same procedure for all classes of this base).
    static void RegisterWindowClass(const wchar_t* className, UINT classStyle = 0, HBRUSH background = nullptr);

    // Creates the window bound to this object; throws AppError when the platform refuses.
    void CreateBound(const wchar_t* className, DWORD exStyle, const wchar_t* title, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menuOrId = nullptr);

    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    // The window's outer size for a client area of `width` by `height` pixels, at its DPI and
    // for its styles.
    SIZE FrameForClient(int width, int height) const noexcept;
    // Gives the window a client area of `width` by `height` pixels, where it stands.
    void SizeClient(int width, int height) noexcept;

    // Moved to a monitor of another scale: WindowDpi() already holds it and `suggested` is the
    // rectangle the platform proposes. A failure is reported to the user, never thrown on.
    virtual void DpiChanged(const RECT& suggested);
    // The colours of a control of this window (WM_CTLCOLOR*): the theme's fields and faces, or the
    // platform's where no theme is on. Buttons keep the platform's unless a window says otherwise.
    virtual LRESULT ControlColours(UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    LRESULT DefaultMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept
    {
        return ::DefWindowProcW(hwnd_, message, wParam, lParam);
    }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    // Answers what every window answers alike; false leaves the message to OnMessage.
    bool CommonMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) noexcept;

    HWND hwnd_ = nullptr;
    int windowDpi_ = 96;
};
