#pragma once
// Where every window's controls go. The bar: 85 % of the work area wide, centred both ways, a
// square button at each end and the search box between them with one pixel of gap on each side.
// The settings window and the tutorial: fixed designs whose controls keep their places as the
// window grows. Sizes given at 96 DPI are scaled by the window's DPI.
#include <array>
#include <cstddef>

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

// The settings window: a row of tabs on top, the OK button along the bottom, and between them the
// area of the shown page, where each control keeps its place of the design.
namespace settings {

inline constexpr int kClientWidth = 675, kClientHeight = 436;
inline constexpr int kTabsHeight = 36, kOkHeight = 26, kPageMargin = 2;
inline constexpr int kTabWidth = 110, kTabHeight = 30; // each tab; the three side by side fit kTabsWidth
inline constexpr int kTabsWidth = 3 * kTabWidth + 8;
inline constexpr int kHelpTextMinBottom = 160; // the help text's lowest edge that still shows a few lines
inline constexpr int kIconSize = 57;           // the program's icon on the first page
inline constexpr int kTextEndSpace = 4;        // after a label's text, when the window narrows to it
inline constexpr int kTextHeight = 20, kTitleHeight = 24, kLabelHeight = 18; // Arial, in pixels

// The controls placed on the pages, in the order of the table below.
enum class Slot : std::size_t {
    ProgramIcon,
    Title,
    Version,
    Copyright,
    Comments,
    CheckUpdates,
    HotkeyLabel,
    Hotkey, // its rectangle holds the list dropped down
    AutostartLabel,
    Autostart,
    ShowGuide,
    ShowTutorial,
    HelpText, // anchored to the page's four sides
    Log,      // fills the page
    Count
};

// How a control follows the page area as the window is sized.
enum class Anchor { TopLeft, AllSides, Fill };

// The settings window's pages, in the order of their tabs.
enum class Page { Settings, Help, Log };
inline constexpr int kPageCount = 3;

struct Place {
    Page page;
    Rect at; // at 96 DPI, relative to the page's area
    Anchor anchor = Anchor::TopLeft;
};

inline constexpr std::array<Place, static_cast<std::size_t>(Slot::Count)> kPlaces = {{
    {Page::Settings, {3, 16, 60, 73}},
    {Page::Settings, {83, 24, 600, 52}},
    {Page::Settings, {83, 52, 600, 78}},
    {Page::Settings, {83, 85, 600, 110}},
    {Page::Settings, {83, 112, 660, 137}},
    {Page::Settings, {79, 139, 281, 175}},
    {Page::Settings, {72, 198, 274, 234}},
    {Page::Settings, {312, 203, 457, 400}},
    {Page::Settings, {3, 241, 274, 277}},
    {Page::Settings, {312, 250, 362, 270}},
    {Page::Help, {0, 2, 202, 38}},
    {Page::Help, {202, 2, 404, 38}},
    {Page::Help, {0, 40, 662, 372}, Anchor::AllSides},
    {Page::Log, {0, 0, 0, 0}, Anchor::Fill},
}};

inline constexpr const Place& PlaceOf(Slot slot) noexcept
{
    return kPlaces[static_cast<std::size_t>(slot)];
}

struct Frame {
    Rect tabs;
    Rect ok;
    Rect page; // the area the shown page's controls are placed in
};
Frame PlaceFrame(int clientWidth, int clientHeight, int dpi) noexcept;

// A control's rectangle in the client area, at `dpi`, in the page area `page`.
Rect PlaceControl(const Place& place, const Rect& page, int dpi) noexcept;

} // namespace settings

// The tutorial: the picture above a row of "Previous", the check box and "Next".
namespace tutorial {

inline constexpr int kClientWidth = 583, kClientHeight = 447, kRowHeight = 50;
inline constexpr int kButtonWidth = 93, kCheckLeft = 100, kCheckWidth = 381;
inline constexpr int kCaptionSpace = 24; // around "Next"'s caption when it outgrows the button

struct Tutorial {
    Rect picture, previous, next, check;
};

// "Next" grows to show its caption (`nextCaptionWidth` pixels) whole; the check box gives way.
Tutorial PlaceTutorial(int clientWidth, int clientHeight, int dpi, int nextCaptionWidth) noexcept;

} // namespace tutorial

} // namespace layout
