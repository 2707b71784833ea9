#include "ui/Glyphs.h"

#include <algorithm>

#include "core/Handle.h"
#include "ui/Picture.h"
#include "ui/Theme.h"

namespace {

constexpr COLORREF kLightInk = RGB(0xE8, 0xEE, 0xF4);
constexpr COLORREF kAccent = RGB(0x7F, 0xD1, 0xB9);

void Line(HDC dc, int x1, int y1, int x2, int y2)
{
    ::MoveToEx(dc, x1, y1, nullptr);
    ::LineTo(dc, x2, y2);
}

// Each picture is drawn on a 24-unit grid scaled to `s` pixels.
void Draw(HDC dc, Glyph glyph, int s, COLORREF kInk = kLightInk)
{
    auto u = [s](int v) { return v * s / 24; };
    const GdiHandle pen(::CreatePen(PS_SOLID, std::max(1, s / 12), kInk));
    const GdiHandle accent(::CreatePen(PS_SOLID, std::max(1, s / 12), kAccent));
    // The pens are deleted on the way out: the guards put the old pen back first.
    const SelectedObject inkPen(dc, pen.get());
    const SelectedObject noFill(dc, ::GetStockObject(NULL_BRUSH));
    switch (glyph) {
    case Glyph::EditPaths: // a page with lines and a pencil
        ::Rectangle(dc, u(4), u(3), u(16), u(21));
        Line(dc, u(7), u(8), u(13), u(8));
        Line(dc, u(7), u(12), u(13), u(12));
        ::SelectObject(dc, accent.get());
        Line(dc, u(12), u(20), u(21), u(11));
        break;
    case Glyph::Menu: // three bars
        Line(dc, u(4), u(7), u(20), u(7));
        Line(dc, u(4), u(12), u(20), u(12));
        Line(dc, u(4), u(17), u(20), u(17));
        break;
    case Glyph::Tutorial: // a lightbulb
        ::Ellipse(dc, u(6), u(3), u(18), u(15));
        Line(dc, u(9), u(18), u(15), u(18));
        Line(dc, u(10), u(21), u(14), u(21));
        break;
    case Glyph::Quit: // a power sign
        ::Arc(dc, u(4), u(5), u(20), u(21), u(8), u(7), u(16), u(7));
        ::SelectObject(dc, accent.get());
        Line(dc, u(12), u(3), u(12), u(12));
        break;
    case Glyph::Guide: // an open book
        Line(dc, u(12), u(6), u(12), u(20));
        ::Rectangle(dc, u(3), u(5), u(12), u(19));
        ::Rectangle(dc, u(12), u(5), u(21), u(19));
        break;
    case Glyph::AddFolder: // a folder with a plus
        ::Rectangle(dc, u(3), u(7), u(21), u(19));
        Line(dc, u(3), u(7), u(9), u(4));
        ::SelectObject(dc, accent.get());
        Line(dc, u(12), u(10), u(12), u(17));
        Line(dc, u(9), u(13), u(16), u(13));
        break;
    case Glyph::ShowBar: // a search lens
        ::Ellipse(dc, u(4), u(4), u(15), u(15));
        ::SelectObject(dc, accent.get());
        Line(dc, u(14), u(14), u(20), u(20));
        break;
    case Glyph::Hotkey: // a key cap
        ::RoundRect(dc, u(3), u(6), u(21), u(19), u(4), u(4));
        ::SelectObject(dc, accent.get());
        Line(dc, u(8), u(15), u(16), u(15));
        break;
    case Glyph::Autostart: // a start triangle
        Line(dc, u(6), u(4), u(6), u(20));
        Line(dc, u(6), u(4), u(19), u(12));
        Line(dc, u(6), u(20), u(19), u(12));
        break;
    case Glyph::Update: // a turning arrow
        ::Arc(dc, u(4), u(4), u(20), u(20), u(20), u(12), u(12), u(4));
        ::SelectObject(dc, accent.get());
        Line(dc, u(12), u(4), u(16), u(1));
        Line(dc, u(12), u(4), u(16), u(7));
        break;
    case Glyph::Count:
        break;
    }
}

} // namespace

HIMAGELIST CreateImageList1(int size)
{
    return CreateGlyphList(
        size,
        {Glyph::EditPaths, Glyph::Menu, Glyph::Tutorial, Glyph::Quit, Glyph::Guide, Glyph::AddFolder, Glyph::ShowBar},
        GlyphInk());
}

HIMAGELIST CreateGlyphList(int size, std::initializer_list<Glyph> glyphs, COLORREF ink)
{
    HIMAGELIST list = ::ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, static_cast<int>(glyphs.size()), 0);
    const WindowDC screen(nullptr);
    const MemoryDcHandle dc(::CreateCompatibleDC(screen.get()));
    for (const Glyph glyph : glyphs) {
        const GdiHandle bitmap(::CreateCompatibleBitmap(screen.get(), size, size));
        {
            const SelectedObject target(dc.get(), bitmap.get());
            // Magenta marks the transparent pixels.
            const RECT all{0, 0, size, size};
            const GdiHandle key(::CreateSolidBrush(RGB(255, 0, 255)));
            ::FillRect(dc.get(), &all, static_cast<HBRUSH>(key.get()));
            Draw(dc.get(), glyph, size, ink == CLR_DEFAULT ? kLightInk : ink);
        }
        ::ImageList_AddMasked(list, static_cast<HBITMAP>(bitmap.get()), RGB(255, 0, 255));
    }
    return list;
}

HBITMAP CreateGlyphBitmap(Glyph glyph, int size, COLORREF ink)
{
    void* bits = nullptr;
    GdiHandle bitmap = CreatePixelBitmap(size, size, bits);
    if (!bitmap)
        return nullptr;
    const MemoryDcHandle dc(::CreateCompatibleDC(nullptr));
    const SelectedObject target(dc.get(), bitmap.get());
    const RECT all{0, 0, size, size};
    const GdiHandle key(::CreateSolidBrush(RGB(255, 0, 255)));
    ::FillRect(dc.get(), &all, static_cast<HBRUSH>(key.get()));
    Draw(dc.get(), glyph, size, ink);
    ::GdiFlush();
    // GDI leaves alpha at zero: the key colour becomes transparent, everything else opaque.
    auto* pixel = static_cast<DWORD*>(bits);
    for (int i = 0; i < size * size; ++i)
        pixel[i] = (pixel[i] & 0xFFFFFF) == 0xFF00FF ? 0 : (pixel[i] | 0xFF000000);
    return static_cast<HBITMAP>(bitmap.release());
}
