#pragma once
// Where the bar and its controls go: 85 % of the work area wide, centred both ways, a square
// button at each end and the search box between them with one pixel of gap on each side.
// Sizes given at 96 DPI are scaled by the monitor's DPI.

namespace layout {

// Every size of the bar and its menu at 96 DPI; Scale gives it at the window's DPI.
inline constexpr int kButtonSize = 32;    // both image buttons are square
inline constexpr int kPictureSize = 24;   // ImageList1's pictures
inline constexpr int kGap = 1;            // between a button and the search box
inline constexpr int kFocusInset = 2;     // the focus rectangle inside a button
inline constexpr int kBarFontHeight = 12; // Segoe UI of 9 points, in pixels
inline constexpr int kBoxFontPoints = 14; // the search box's Segoe UI, in points
inline constexpr int kMenuRowHeight = 30;
inline constexpr int kMenuSeparatorHeight = 9;
inline constexpr int kMenuSeparatorInset = 6; // the separator's rule keeps this far from the edges
inline constexpr int kMenuPictureLeft = 4;
inline constexpr int kMenuCaptionGap = 12; // from the picture to the caption
inline constexpr int kMenuRightSpace = 24; // after the caption
// The result list's rows: icon, name, then the folder, each apart by a gap.
inline constexpr int kRowIconSize = 16;
inline constexpr int kRowPadding = 4;    // left of the icon, and above and below the tallest part
inline constexpr int kRowIconGap = 6;    // from the icon to the name
inline constexpr int kRowFolderGap = 10; // from the name to its folder
inline constexpr int kFieldPadding = 6;  // the box's field: above and below its text, together
// The bar's design size and the box's place in it, until the first layout.
inline constexpr int kDesignWidth = 640;
inline constexpr int kDesignHeight = 94;
inline constexpr int kDesignBoxLeft = 33;
inline constexpr int kDesignBoxWidth = 566;

// The platform's text-size setting (Settings, Accessibility, Text size: 100 to 225 %); anything
// else counts as 100.
int TextPercent(unsigned long setting) noexcept;
// The DPI at which text (and a window laid out around its text) is drawn: the window's DPI
// enlarged by the text size.
int TextDpi(int dpi, int textPercent) noexcept;
// The text size a window of `designWidth` by `designHeight` (at 96 DPI) can take and still fit
// `areaWidth` by `areaHeight` at `dpi`: the setting, or less, never below 100.
int FittingTextPercent(int textPercent, int designWidth, int designHeight, int areaWidth, int areaHeight,
                       int dpi) noexcept;

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
