#include "ui/ResultRows.h"

#include <algorithm>

#include "core/rules/WindowLayout.h"
#include "core/rules/ResultRow.h"
#include "ui/Theme.h"

namespace {

struct RowColours {
    COLORREF back, text, dim, accent;
};

RowColours ColoursOf(bool selected)
{
    if (const auto& look = CurrentTheme()) {
        if (selected)
            return {ToColorRef(look->highlight), ToColorRef(look->highlightText), ToColorRef(look->highlightText),
                    ToColorRef(look->highlightText)};
        return {ToColorRef(look->edit), ToColorRef(look->editText), ToColorRef(look->dimText),
                ToColorRef(look->accent)};
    }
    if (selected)
        return {::GetSysColor(COLOR_HIGHLIGHT), ::GetSysColor(COLOR_HIGHLIGHTTEXT), ::GetSysColor(COLOR_HIGHLIGHTTEXT),
                ::GetSysColor(COLOR_HIGHLIGHTTEXT)};
    return {::GetSysColor(COLOR_WINDOW), ::GetSysColor(COLOR_WINDOWTEXT), ::GetSysColor(COLOR_GRAYTEXT),
            ::GetSysColor(COLOR_HOTLIGHT)};
}

} // namespace

TResultRows::TResultRows(HWND window, UINT iconsMessage) : icons_(window, iconsMessage) {}

void TResultRows::SetFont(HFONT font)
{
    font_ = font;
    LOGFONTW look{};
    if (font && ::GetObjectW(font, sizeof(look), &look)) {
        look.lfWeight = FW_BOLD;
        bold_.reset(::CreateFontIndirectW(&look));
    }
    const WindowDC screen(nullptr);
    const SelectedObject selected(screen.get(), font ? font : ::GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW metrics{};
    if (::GetTextMetricsW(screen.get(), &metrics))
        textHeight_ = metrics.tmHeight;
}

int TResultRows::RowHeight(int dpi) const
{
    return std::max(TextHeight(), layout::Scale(layout::kRowIconSize, dpi)) +
           2 * layout::Scale(layout::kRowPadding, dpi);
}

int TResultRows::FieldHeight(int dpi) const
{
    return std::max(TextHeight(), layout::Scale(layout::kRowIconSize, dpi)) + layout::Scale(layout::kFieldPadding, dpi);
}

int TResultRows::DrawPart(HDC dc, const std::wstring& path, size_t from, size_t to, int x, int y, const RECT& clip,
                          COLORREF colour, COLORREF mark, const std::vector<std::pair<size_t, size_t>>& marks)
{
    size_t at = from;
    while (at < to && x < clip.right) {
        // The run up to the next change between marked and plain.
        bool marked = false;
        size_t end = to;
        for (const auto& [first, last] : marks) {
            if (last <= at)
                continue;
            if (first <= at) {
                marked = true;
                end = std::min(to, last);
            } else {
                end = std::min(to, first);
            }
            break;
        }
        const SelectedObject face(dc, marked && bold_ ? bold_.get() : static_cast<HGDIOBJ>(font_));
        ::SetTextColor(dc, marked ? mark : colour);
        const int length = static_cast<int>(end - at);
        ::ExtTextOutW(dc, x, y, ETO_CLIPPED, &clip, path.c_str() + at, static_cast<UINT>(length), nullptr);
        SIZE extent{};
        ::GetTextExtentPoint32W(dc, path.c_str() + at, length, &extent);
        x += extent.cx;
        at = end;
    }
    return x;
}

void TResultRows::Draw(const DRAWITEMSTRUCT& item, const std::wstring& path, int dpi)
{
    const HDC dc = item.hDC;
    // The closed box with the focus draws its entry selected; with no entry there it would be a
    // band of the highlight colour with nothing in it: an empty box reads as one, waiting for words.
    const bool emptyFace = (item.itemState & ODS_COMBOBOXEDIT) && path.empty();
    const bool selected = (item.itemState & ODS_SELECTED) != 0 && !emptyFace;
    const RowColours colours = ColoursOf(selected);
    const RECT& rc = item.rcItem;
    {
        const GdiHandle back(::CreateSolidBrush(colours.back));
        ::FillRect(dc, &rc, static_cast<HBRUSH>(back.get()));
    }
    if (!path.empty()) {
        const int iconSize = layout::Scale(layout::kRowIconSize, dpi);
        int x = rc.left + layout::Scale(layout::kRowPadding, dpi);
        icons_.Draw(dc, path, x, rc.top + (rc.bottom - rc.top - iconSize) / 2, iconSize, colours.back);
        x += iconSize + layout::Scale(layout::kRowIconGap, dpi);

        const int y = rc.top + (rc.bottom - rc.top - TextHeight()) / 2;
        const auto parts = resultrow::SplitPath(path);
        const auto marks = resultrow::MarkedRanges(path, words_);
        const int oldMode = ::SetBkMode(dc, TRANSPARENT);
        const SelectedObject face(dc, font_ ? font_ : ::GetStockObject(DEFAULT_GUI_FONT));
        RECT clip = rc;
        clip.right -= layout::Scale(layout::kRowPadding, dpi);
        x = DrawPart(dc, path, parts.nameStart, path.size(), x, y, clip, colours.text, colours.accent, marks);
        if (parts.folderEnd > 0)
            DrawPart(dc, path, 0, parts.folderEnd, x + layout::Scale(layout::kRowFolderGap, dpi), y, clip, colours.dim,
                     colours.accent, marks);
        ::SetBkMode(dc, oldMode);
    }
    if ((item.itemState & ODS_FOCUS) && (item.itemState & ODS_COMBOBOXEDIT))
        ::DrawFocusRect(dc, &rc);
}

void TResultRows::PaintFrame(HWND combo, int dpi)
{
    const auto& look = CurrentTheme();
    if (!look)
        return;
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetComboBoxInfo(combo, &info))
        return;
    const WindowDC dc(combo);
    RECT frame{};
    ::GetClientRect(combo, &frame);
    // The platform's sunken edge: its outer line in the theme's border, the rest in the field's colour.
    const GdiHandle border(::CreateSolidBrush(ToColorRef(look->border)));
    const int width = std::max(1, layout::Scale(1, dpi));
    const int edge = std::max(width + 1, static_cast<int>(::GetSystemMetricsForDpi(SM_CXEDGE, static_cast<UINT>(dpi))));
    for (int i = 0; i < edge; ++i) {
        ::FrameRect(dc.get(), &frame, i < width ? static_cast<HBRUSH>(border.get()) : EditBrush());
        ::InflateRect(&frame, -1, -1);
    }
    // The platform's own line around the field, light on the dark bar.
    RECT field = info.rcItem;
    for (int i = 0; i < 2; ++i) {
        ::InflateRect(&field, 1, 1);
        ::FrameRect(dc.get(), &field, EditBrush());
    }
    // The drop-down button: the bar's face with a chevron in its text colour.
    RECT button = info.rcButton;
    if (button.right <= button.left)
        return;
    button.top = frame.top;
    button.bottom = frame.bottom;
    button.right = std::min(button.right, frame.right);
    ::FillRect(dc.get(), &button, FaceBrush());
    const int half = layout::Scale(4, dpi);
    const int cx = (button.left + button.right) / 2, cy = (button.top + button.bottom) / 2;
    const GdiHandle pen(::CreatePen(PS_SOLID, width, ToColorRef(look->faceText)));
    const SelectedObject drawWith(dc.get(), pen.get());
    const POINT chevron[] = {{cx - half, cy - half / 2}, {cx, cy + half / 2}, {cx + half + 1, cy - half / 2 - 1}};
    ::Polyline(dc.get(), chevron, 3);
}
