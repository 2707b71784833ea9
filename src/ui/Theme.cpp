#include "ui/Theme.h"

#include <string>

#include "core/AppInfo.h"
#include "core/Handle.h"

namespace {

std::optional<theme::Theme> Loaded;
HBRUSH Face = nullptr;
HBRUSH Edit = nullptr;

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
    return Loaded;
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
    if (!Loaded) {
        ShowStyleNotFound();
        return false;
    }
    Face = ::CreateSolidBrush(ToColorRef(Loaded->face));
    Edit = ::CreateSolidBrush(ToColorRef(Loaded->edit));
    return true;
}

HBRUSH FaceBrush() noexcept
{
    return Face ? Face : ::GetSysColorBrush(COLOR_BTNFACE);
}

HBRUSH EditBrush() noexcept
{
    return Edit ? Edit : ::GetSysColorBrush(COLOR_WINDOW);
}

HBRUSH ThemeControlColours(UINT message, HDC dc) noexcept
{
    if (!Loaded)
        return nullptr;
    const bool field = message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX;
    ::SetTextColor(dc, ToColorRef(field ? Loaded->editText : Loaded->faceText));
    ::SetBkColor(dc, ToColorRef(field ? Loaded->edit : Loaded->face));
    return field ? EditBrush() : FaceBrush();
}

bool ThemeControlColourMessage(UINT message, WPARAM wParam, LRESULT& result) noexcept
{
    const HBRUSH brush = ThemeControlColours(message, reinterpret_cast<HDC>(wParam));
    result = reinterpret_cast<LRESULT>(brush);
    return brush != nullptr;
}
