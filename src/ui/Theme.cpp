#include "ui/Theme.h"

#include <commctrl.h>

#include <string>
#include <utility>

#include "core/AppInfo.h"
#include "core/Handle.h"
#include "core/TestSeams.h"
#include "core/rules/WindowLayout.h"

namespace {

std::optional<theme::Theme> Loaded; // the program's own
std::optional<theme::Theme> Active; // the one in use
// Brushes of the look in use. Those of an earlier look stay alive: a window class or a control
// may still hold one until it is drawn again.
HBRUSH Face = nullptr;
HBRUSH Edit = nullptr;
unsigned Generation = 0; // counts the changes of the look

theme::Colour FromColorRef(COLORREF colour) noexcept
{
    return {GetRValue(colour), GetGValue(colour), GetBValue(colour)};
}

theme::SystemColours ReadSystemColours() noexcept
{
    const auto sys = [](int index) { return FromColorRef(::GetSysColor(index)); };
    return {sys(COLOR_WINDOW),  sys(COLOR_WINDOWTEXT), sys(COLOR_HIGHLIGHT), sys(COLOR_HIGHLIGHTTEXT),
            sys(COLOR_BTNFACE), sys(COLOR_BTNTEXT),    sys(COLOR_GRAYTEXT),  sys(COLOR_HOTLIGHT)};
}

HookHandle CloseButtonHook;

// The platform's message box has no Close button of its own: rename its only button.
LRESULT CALLBACK RenameOkToClose(int code, WPARAM wParam, LPARAM lParam) noexcept
{
    const HHOOK hook = CloseButtonHook.get();
    if (code == HCBT_ACTIVATE) {
        ::SetDlgItemTextW(reinterpret_cast<HWND>(wParam), IDOK, L"Close");
        CloseButtonHook.reset();
        return 0;
    }
    return ::CallNextHookEx(hook, code, wParam, lParam);
}

void ShowStyleNotFound()
{
    const std::wstring text = L"Style '" + std::wstring(kThemeName) + L"' not found";
    CloseButtonHook.reset(::SetWindowsHookExW(WH_CBT, &RenameOkToClose, nullptr, ::GetCurrentThreadId()));
    ::MessageBoxW(::GetActiveWindow(), text.c_str(), kAppTitle, MB_OK | MB_ICONERROR);
    CloseButtonHook.reset();
}

} // namespace

const std::optional<theme::Theme>& CurrentTheme() noexcept
{
    return Active;
}

bool HighContrastOn() noexcept
{
    HIGHCONTRASTW mode{};
    mode.cbSize = sizeof(mode);
    const bool on = ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(mode), &mode, 0) &&
                    (mode.dwFlags & HCF_HIGHCONTRASTON) != 0;
    return on || HighContrastForTests();
}

bool RefreshTheme() noexcept
{
    // Settings change often (WM_SETTINGCHANGE is broadcast for many of them): only a look that
    // differs makes brushes and asks for drawing.
    auto chosen = theme::Choose(HighContrastOn(), Loaded, ReadSystemColours());
    if (chosen == Active && (Face || !Active))
        return false;
    Active = std::move(chosen);
    if (Active) {
        Face = ::CreateSolidBrush(ToColorRef(Active->face));
        Edit = ::CreateSolidBrush(ToColorRef(Active->edit));
    }
    ++Generation;
    return true;
}

unsigned LookGeneration() noexcept
{
    return Generation;
}

int TextSizePercent() noexcept
{
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Accessibility", L"TextScaleFactor", RRF_RT_REG_DWORD,
                       nullptr, &value, &size) != ERROR_SUCCESS)
        return 100;
    return layout::TextPercent(value);
}

int TextLayoutDpi(HWND window, int windowDpi, int designWidth, int designHeight) noexcept
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor))
        return windowDpi;
    const RECT& work = monitor.rcWork;
    const int percent = layout::FittingTextPercent(TextSizePercent(), designWidth, designHeight, work.right - work.left,
                                                   work.bottom - work.top, windowDpi);
    return layout::TextDpi(windowDpi, percent);
}

COLORREF GlyphInk() noexcept
{
    return Active && Active->highContrast ? ToColorRef(Active->faceText) : CLR_DEFAULT;
}

COLORREF ToColorRef(theme::Colour colour) noexcept
{
    return RGB(colour.r, colour.g, colour.b);
}

bool ApplyTheme(HMODULE module)
{
    const HRSRC found = ::FindResourceW(module, kThemeName, RT_RCDATA);
    const HGLOBAL data = found ? ::LoadResource(module, found) : nullptr;
    const void* bytes = data ? ::LockResource(data) : nullptr;
    if (bytes)
        Loaded = theme::Parse(std::string_view(static_cast<const char*>(bytes), ::SizeofResource(module, found)));
    RefreshTheme();
    if (!Loaded) {
        ShowStyleNotFound();
        return false;
    }
    return true;
}

HBRUSH FaceBrush() noexcept
{
    return Active && Face ? Face : ::GetSysColorBrush(COLOR_BTNFACE);
}

HBRUSH EditBrush() noexcept
{
    return Active && Edit ? Edit : ::GetSysColorBrush(COLOR_WINDOW);
}

HBRUSH ThemeControlColours(UINT message, HDC dc) noexcept
{
    if (!Active)
        return nullptr;
    const bool field = message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX;
    ::SetTextColor(dc, ToColorRef(field ? Active->editText : Active->faceText));
    ::SetBkColor(dc, ToColorRef(field ? Active->edit : Active->face));
    return field ? EditBrush() : FaceBrush();
}
