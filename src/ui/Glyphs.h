#pragma once
#include <windows.h>

#include <commctrl.h>

#include "core/Handle.h"

// ImageList1: the program's own small pictures, drawn at the size the DPI asks for.
// 0 edit paths, 1 menu and settings, 2 tutorial, 3 quit, 4 guide, 5 add a folder, 6 show bar.
enum class Glyph { EditPaths, Menu, Tutorial, Quit, Guide, AddFolder, ShowBar, Count };

HIMAGELIST CreateImageList1(int size);

namespace handle_traits {
struct ImageList {
    using Type = HIMAGELIST;
    static Type Empty() noexcept { return nullptr; }
    static void Close(Type h) noexcept { ::ImageList_Destroy(h); }
};
} // namespace handle_traits
using ImageListHandle = UniqueHandle<handle_traits::ImageList>;

// One picture as a 32-bit bitmap with transparency, in `ink`, for menus.
HBITMAP CreateGlyphBitmap(Glyph glyph, int size, COLORREF ink);
