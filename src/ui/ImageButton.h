#pragma once
// The bar's image buttons: owner drawn, so that their light pictures show on the theme's face,
// each with a tooltip.
#include <windows.h>

#include <commctrl.h>

// A tab stop of `parent` with control id `id`; its WM_DRAWITEM goes to DrawImageButton.
HWND CreateImageButton(HWND parent, int id);

// Draws the button: the face (darker while pressed), picture `picture` of `pictures` in the
// middle, and the focus rectangle while it has the keyboard focus.
void DrawImageButton(const DRAWITEMSTRUCT& item, HIMAGELIST pictures, int picture, int dpi);

// A button with its caption at the left and picture `picture` at the right, in the theme.
// The width of a control's window text in `font`.
int TextWidth(HWND control, HFONT font);
// The width a caption button needs to show its caption whole beside its picture, at `dpi`.
int CaptionButtonWidth(HWND button, HFONT font, int dpi);
void DrawCaptionButton(const DRAWITEMSTRUCT& item, HIMAGELIST pictures, int picture, int dpi);

// A tooltip window of `parent` (destroyed with it) that shows `text` over each control added.
class TTooltips {
public:
    explicit TTooltips(HWND parent);
    void Add(HWND control, const wchar_t* text);

private:
    HWND parent_;
    HWND window_;
};
