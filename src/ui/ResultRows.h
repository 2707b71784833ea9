#pragma once
// The search box's rows as a user reads them at a glance: the entry's icon, its name, then the
// folder it lies in, dimmer, with the typed words marked. The row's text stays the full path;
// only its look is drawn here (owner drawing, only the rows the platform asks for).
#include <windows.h>

#include <string>
#include <vector>

#include "core/Handle.h"
#include "ui/FileIcons.h"

class TResultRows {
public:
    // `window` gets `iconsMessage` when entries' own icons have arrived: its rows need drawing.
    TResultRows(HWND window, UINT iconsMessage);

    // The box's font; marked words are drawn in its bold face.
    void SetFont(HFONT font);
    // The typed words (folded, as the matching rules give them); none in list style.
    void SetWords(std::vector<std::wstring> words) { words_ = std::move(words); }
    const std::vector<std::wstring>& Words() const noexcept { return words_; }

    int RowHeight(int dpi) const;
    int FieldHeight(int dpi) const;
    void Draw(const DRAWITEMSTRUCT& item, const std::wstring& path, int dpi);

    // The box's border and drop-down button in the theme's colours, over what the platform drew.
    static void PaintFrame(HWND combo, int dpi);

private:
    int TextHeight() const noexcept { return textHeight_; }
    // Draws path[from, to) from x on, marked parts in bold and `mark`; returns the x after it.
    int DrawPart(HDC dc, const std::wstring& path, size_t from, size_t to, int x, int y, const RECT& clip,
                 COLORREF colour, COLORREF mark, const std::vector<std::pair<size_t, size_t>>& marks);

    TFileIcons icons_;
    HFONT font_ = nullptr;
    GdiHandle bold_;
    int textHeight_ = 16;
    std::vector<std::wstring> words_;
};
