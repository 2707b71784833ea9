#pragma once
#include <windows.h>

#include <optional>

#include "core/rules/Theme.h"

inline constexpr const wchar_t* kThemeName = L"Windows10 SlateGray";

// The theme in use; empty when the program runs in the platform's plain look.
const std::optional<theme::Theme>& CurrentTheme() noexcept;

// The platform's high-contrast mode is on: the look is then the system's colours.
bool HighContrastOn() noexcept;
// Chooses the look again (the high-contrast mode or the system's colours changed): true when it
// changed. Each change counts one more in LookGeneration.
bool RefreshTheme() noexcept;
unsigned LookGeneration() noexcept;

// The platform's text-size setting, 100 to 225 (per cent).
int TextSizePercent() noexcept;

// The DPI a window of fixed design (`designWidth` by `designHeight` at 96 DPI) is laid out at on
// `window`'s monitor: its DPI enlarged by the text size, as far as the work area holds it.
int TextLayoutDpi(HWND window, int windowDpi, int designWidth, int designHeight) noexcept;

// The ink of the program's pictures: the button text's colour in high contrast, the default
// (light, for the slate faces) otherwise.
COLORREF GlyphInk() noexcept;

// Loads the theme resource of `module`. When there is none (or it is unreadable) it tells the
// user "Style '...' not found" with a Close button and the program goes on in the plain look.
bool ApplyTheme(HMODULE module);

COLORREF ToColorRef(theme::Colour colour) noexcept;
// Brushes of the look's colours, made again when it changes.
HBRUSH FaceBrush() noexcept;
HBRUSH EditBrush() noexcept;

// Colours a control's background and text as the theme says: for WM_CTLCOLOR* messages.
// Returns null when there is no theme (the caller then leaves it to the platform).
HBRUSH ThemeControlColours(UINT message, HDC dc) noexcept;

// A top-level window's answer to WM_SETTINGCHANGE and WM_SYSCOLORCHANGE: the look chosen again and,
// when it is not the one the window was drawn in (`drawn`; any window may be told first), the
// window class's background taken from it, `remake` run (fonts, pictures) and everything drawn
// again. True when it was.
template <typename Remake> bool FollowLook(HWND window, unsigned& drawn, Remake&& remake)
{
    RefreshTheme();
    if (drawn == LookGeneration())
        return false;
    drawn = LookGeneration();
    ::SetClassLongPtrW(window, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(FaceBrush()));
    remake();
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    return true;
}
