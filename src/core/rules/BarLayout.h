#pragma once
// Where the bar and its controls go: 85 % of the work area wide, centred both ways, a square
// button at each end and the search box between them with one pixel of gap on each side.
// Sizes given at 96 DPI are scaled by the monitor's DPI.

namespace layout {

struct Rect {
    int left, top, right, bottom;
    int Width() const noexcept { return right - left; }
    int Height() const noexcept { return bottom - top; }
};

struct Bar {
    Rect window; // screen coordinates
    Rect menu;   // client coordinates of the bar
    Rect paths;
    Rect searchBox; // its height is the box's own
};

int Scale(int pixelsAt96, int dpi) noexcept;

// `boxHeight` is the search box's height in pixels (it follows its font); 0 when there is no box.
Bar PlaceBar(const Rect& workArea, int dpi, int boxHeight, bool hasBox) noexcept;

// The first show of a run is centred on the primary screen's full area instead.
Rect CentreOnScreen(const Rect& bar, int screenWidth, int screenHeight, int virtualLeft, int virtualTop) noexcept;

} // namespace layout
