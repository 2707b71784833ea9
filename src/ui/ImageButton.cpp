#include "ui/ImageButton.h"

#include <string>

#include "core/Handle.h"
#include "core/rules/WindowLayout.h"
#include "ui/Theme.h"

using layout::Scale;

HWND CreateImageButton(HWND parent, int id)
{
    const int size = layout::kButtonSize;
    return ::CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, 0, 0, size, size,
                             parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr),
                             nullptr);
}

namespace {

// The face of an owner-drawn button, darker while pressed; slate without a theme too, so the
// light pictures always show.
void FillButtonFace(const DRAWITEMSTRUCT& item)
{
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const auto& look = CurrentTheme();
    const COLORREF colour = look ? ToColorRef(pressed ? look->pressed : look->face)
                                 : (pressed ? RGB(0x2A, 0x35, 0x41) : RGB(0x3B, 0x4A, 0x5A));
    const GdiHandle face(::CreateSolidBrush(colour));
    ::FillRect(item.hDC, &item.rcItem, static_cast<HBRUSH>(face.get()));
}

void DrawFocus(const DRAWITEMSTRUCT& item, int dpi)
{
    // As the platform's own buttons: the mark shows once the keyboard is in use (Tab, Alt), not
    // after a mouse click, which the window's UI state tells.
    if (!(item.itemState & ODS_FOCUS) || (item.itemState & ODS_NOFOCUSRECT))
        return;
    RECT focus = item.rcItem;
    const int inset = Scale(layout::kFocusInset, dpi);
    ::InflateRect(&focus, -inset, -inset);
    ::DrawFocusRect(item.hDC, &focus);
}

} // namespace

void DrawImageButton(const DRAWITEMSTRUCT& item, HIMAGELIST pictures, int picture, int dpi)
{
    FillButtonFace(item);
    const int size = Scale(layout::kPictureSize, dpi);
    const int x = (item.rcItem.right - item.rcItem.left - size) / 2;
    const int y = (item.rcItem.bottom - item.rcItem.top - size) / 2;
    ::ImageList_Draw(pictures, picture, item.hDC, x, y, ILD_NORMAL);
    DrawFocus(item, dpi);
}

int TextWidth(HWND control, HFONT font)
{
    const int length = ::GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    ::GetWindowTextW(control, text.data(), length + 1);
    const WindowDC dc(control);
    const SelectedObject selected(dc.get(), font);
    SIZE extent{};
    ::GetTextExtentPoint32W(dc.get(), text.c_str(), length, &extent);
    return static_cast<int>(extent.cx);
}

int CaptionButtonWidth(HWND button, HFONT font, int dpi)
{
    return TextWidth(button, font) + Scale(layout::kPictureSize, dpi) + 3 * Scale(4, dpi);
}

void DrawCaptionButton(const DRAWITEMSTRUCT& item, HIMAGELIST pictures, int picture, int dpi)
{
    FillButtonFace(item);
    const int size = Scale(layout::kPictureSize, dpi);
    const int gap = Scale(4, dpi);
    RECT text = item.rcItem;
    text.left += gap;
    text.right -= size + gap;
    wchar_t caption[128] = {};
    ::GetWindowTextW(item.hwndItem, caption, 128);
    const auto& look = CurrentTheme();
    ::SetBkMode(item.hDC, TRANSPARENT);
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    ::SetTextColor(item.hDC, look ? ToColorRef(disabled ? look->dimText : look->faceText)
                                  : (disabled ? RGB(0x9A, 0xA8, 0xB6) : RGB(0xF2, 0xF5, 0xF8)));
    ::DrawTextW(item.hDC, caption, -1, &text, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    ::ImageList_Draw(pictures, picture, item.hDC, item.rcItem.right - size - gap,
                     (item.rcItem.top + item.rcItem.bottom - size) / 2, ILD_NORMAL);
    DrawFocus(item, dpi);
}

TTooltips::TTooltips(HWND parent)
    : parent_(parent), window_(::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0,
                                                 0, 0, 0, parent, nullptr, ::GetModuleHandleW(nullptr), nullptr))
{
}

void TTooltips::Add(HWND control, const wchar_t* text)
{
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = parent_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<wchar_t*>(text);
    ::SendMessageW(window_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}
