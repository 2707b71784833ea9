#include "ui/PopupMenu.h"

#include <cwchar>

#include "core/rules/WindowLayout.h"
#include "ui/Theme.h"

using layout::Scale;

TPopupMenu::TPopupMenu(std::span<const Item> items, bool themed, int dpi) : dpi_(dpi)
{
    menu_.reset(::CreatePopupMenu());
    for (const Item& item : items) {
        const UINT kind = themed ? MF_OWNERDRAW : 0;
        const auto data = reinterpret_cast<const wchar_t*>(&item);
        if (!item.caption) {
            ::AppendMenuW(menu_.get(), MF_SEPARATOR | kind, 0, themed ? data : nullptr);
            continue;
        }
        ::AppendMenuW(menu_.get(), MF_STRING | kind, item.id, themed ? data : item.caption);
        if (themed)
            continue;
        plainPictures_.emplace_back(
            CreateGlyphBitmap(item.picture, Scale(layout::kPictureSize, dpi), RGB(0x2A, 0x35, 0x41)));
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_BITMAP;
        info.hbmpItem = static_cast<HBITMAP>(plainPictures_.back().get());
        ::SetMenuItemInfoW(menu_.get(), item.id, FALSE, &info);
    }
    if (themed) {
        MENUINFO info{};
        info.cbSize = sizeof(info);
        info.fMask = MIM_BACKGROUND;
        info.hbrBack = FaceBrush();
        ::SetMenuInfo(menu_.get(), &info);
    }
}

void TPopupMenu::SetLook(HFONT font, HIMAGELIST pictures, int dpi) noexcept
{
    font_ = font;
    pictures_ = pictures;
    dpi_ = dpi;
}

UINT TPopupMenu::Open(int x, int y, HWND owner)
{
    if (open_)
        return 0;
    open_ = true;
    const auto id = static_cast<UINT>(
        ::TrackPopupMenu(menu_.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, x, y, 0, owner, nullptr));
    open_ = false;
    // Lets the menu close properly when the user clicks elsewhere.
    ::PostMessageW(owner, WM_NULL, 0, 0);
    return id;
}

void TPopupMenu::Measure(HWND owner, MEASUREITEMSTRUCT& item) const
{
    const auto* row = reinterpret_cast<const Item*>(item.itemData);
    if (!row || !row->caption) {
        item.itemHeight = static_cast<UINT>(Scale(layout::kMenuSeparatorHeight, dpi_));
        item.itemWidth = 0;
        return;
    }
    const WindowDC dc(owner);
    const SelectedObject font(dc.get(), font_);
    SIZE text{};
    ::GetTextExtentPoint32W(dc.get(), row->caption, static_cast<int>(wcslen(row->caption)), &text);
    item.itemHeight = static_cast<UINT>(Scale(layout::kMenuRowHeight, dpi_));
    item.itemWidth = static_cast<UINT>(
        text.cx + Scale(layout::kPictureSize + layout::kMenuCaptionGap + layout::kMenuRightSpace, dpi_));
}

void TPopupMenu::Draw(const DRAWITEMSTRUCT& item) const
{
    const auto& look = *CurrentTheme();
    const auto* row = reinterpret_cast<const Item*>(item.itemData);
    RECT r = item.rcItem;
    if (!row || !row->caption) {
        ::FillRect(item.hDC, &r, FaceBrush());
        const GdiHandle line(::CreateSolidBrush(ToColorRef(look.border)));
        const int inset = Scale(layout::kMenuSeparatorInset, dpi_);
        const int middle = (r.top + r.bottom) / 2;
        const RECT rule{r.left + inset, middle, r.right - inset, middle + 1};
        ::FillRect(item.hDC, &rule, static_cast<HBRUSH>(line.get()));
        return;
    }
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const GdiHandle back(::CreateSolidBrush(ToColorRef(selected ? look.highlight : look.face)));
    ::FillRect(item.hDC, &r, static_cast<HBRUSH>(back.get()));
    const int picture = Scale(layout::kPictureSize, dpi_);
    ::ImageList_Draw(pictures_, static_cast<int>(row->picture), item.hDC,
                     r.left + Scale(layout::kMenuPictureLeft, dpi_), r.top + (r.bottom - r.top - picture) / 2,
                     ILD_TRANSPARENT);
    ::SetBkMode(item.hDC, TRANSPARENT);
    ::SetTextColor(item.hDC, ToColorRef(selected ? look.highlightText : look.faceText));
    const SelectedObject font(item.hDC, font_);
    r.left += picture + Scale(layout::kMenuCaptionGap, dpi_);
    ::DrawTextW(item.hDC, row->caption, -1, &r, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
}
