#pragma once
#include <windows.h>

#include <commctrl.h>

#include <initializer_list>

#include "core/Handle.h"

// The program's own small pictures, drawn at the size the DPI asks for. The bar's ImageList1
// holds the first seven in this order: 0 edit paths, 1 menu and settings, 2 tutorial, 3 quit,
// 4 guide, 5 add a folder, 6 show bar. The settings window adds a key, a start and a refresh.
enum class Glyph { EditPaths, Menu, Tutorial, Quit, Guide, AddFolder, ShowBar, Hotkey, Autostart, Update, Count };

HIMAGELIST CreateImageList1(int size);
// An image list of the given pictures, in that order; light ink for dark faces unless `ink` says.
HIMAGELIST CreateGlyphList(int size, std::initializer_list<Glyph> glyphs, COLORREF ink = CLR_DEFAULT);

using ImageListHandle = UniqueHandle<handle_traits::ClosedBy<HIMAGELIST, &::ImageList_Destroy, nullptr>>;

// One picture as a 32-bit bitmap with transparency, in `ink`, for menus.
HBITMAP CreateGlyphBitmap(Glyph glyph, int size, COLORREF ink);
