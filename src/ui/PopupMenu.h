#pragma once
// PopupMenu1: the program's one menu, opened from the tray icon and from the bar's menu button.
// Themed, every row is drawn by the program (colours, picture, caption); in the plain look the
// platform draws the captions beside pictures of dark ink.
#include <windows.h>

#include <commctrl.h>

#include <span>
#include <vector>

#include "core/Handle.h"
#include "ui/Glyphs.h"

class TPopupMenu {
public:
    struct Item {
        UINT id; // 0 with a null caption: a separator
        const wchar_t* caption;
        Glyph picture;
    };

    // `items` must outlive the menu: the rows keep pointers to them.
    TPopupMenu(std::span<const Item> items, bool themed, int dpi);

    // The rows' look: the font and pictures of the window that opens the menu, at its DPI.
    void SetLook(HFONT font, HIMAGELIST pictures, int dpi) noexcept;

    // Opens the menu with its top-left corner at (x, y), screen coordinates, owned by `owner`,
    // and returns the chosen command or 0. The platform shows one menu at a time: while one is
    // open a further request returns 0 at once.
    UINT Open(int x, int y, HWND owner);
    bool IsOpen() const noexcept { return open_; }

    // The owner's WM_MEASUREITEM and WM_DRAWITEM for the menu's rows.
    void Measure(HWND owner, MEASUREITEMSTRUCT& item) const;
    void Draw(const DRAWITEMSTRUCT& item) const;

private:
    MenuHandle menu_;
    std::vector<GdiHandle> plainPictures_;
    HFONT font_ = nullptr;
    HIMAGELIST pictures_ = nullptr;
    int dpi_ = 96;
    bool open_ = false;
};
