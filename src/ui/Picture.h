#pragma once
// Pictures the program carries as PNG resources, decoded by the platform's imaging component
// and drawn scaled with their proportions kept, smoothly; bitmaps whose pixels it writes.
#include <windows.h>

#include "core/Handle.h"

// A 32-bit bitmap of `width` x `height`, rows from the top, whose pixels (BGRA, alpha as GDI
// leaves it: zero) are at `pixels` while it lives; null when it cannot be made.
GdiHandle CreatePixelBitmap(int width, int height, void*& pixels);

// The PNG resource `name` (RT_RCDATA) of this program as a 32-bit premultiplied bitmap; null
// when it is missing or cannot be decoded.
GdiHandle LoadPngResource(const wchar_t* name, SIZE& size);

// Draws `bitmap` (of `size`) as large as fits in `area`, proportions kept, centred.
void DrawPictureFitted(HDC dc, HBITMAP bitmap, SIZE size, const RECT& area);
