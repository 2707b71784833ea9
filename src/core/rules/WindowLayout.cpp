#include "core/rules/WindowLayout.h"

#include <algorithm>

namespace layout {

int Scale(int pixelsAt96, int dpi) noexcept
{
    return static_cast<int>((static_cast<long long>(pixelsAt96) * dpi + 48) / 96);
}

int TextPercent(unsigned long setting) noexcept
{
    return setting >= 100 && setting <= 225 ? static_cast<int>(setting) : 100;
}

int TextDpi(int dpi, int textPercent) noexcept
{
    return static_cast<int>((static_cast<long long>(dpi) * textPercent + 50) / 100);
}

int FittingTextPercent(int textPercent, int designWidth, int designHeight, int areaWidth, int areaHeight,
                       int dpi) noexcept
{
    const long long width = static_cast<long long>(designWidth) * dpi,
                    height = static_cast<long long>(designHeight) * dpi;
    if (width <= 0 || height <= 0)
        return 100;
    // percent * width / 96 / 100 <= area, for both sides
    const long long byWidth = static_cast<long long>(areaWidth) * 9600 / width;
    const long long byHeight = static_cast<long long>(areaHeight) * 9600 / height;
    const long long fits = std::min<long long>({textPercent, byWidth, byHeight});
    return static_cast<int>(std::max<long long>(100, fits));
}

Bar PlaceBar(const Rect& r, int dpi, int boxHeight, bool hasBox) noexcept
{
    const int button = Scale(kButtonSize, dpi);
    const int gap = Scale(kGap, dpi);
    const int width = (r.right - r.left) * 85 / 100;
    Bar bar{};
    bar.menu = {0, 0, button, button};
    bar.paths = {width - button, 0, width, button};
    int h = button;
    if (hasBox) {
        const int left = bar.menu.right + gap;
        const int boxWidth = std::max(0, bar.paths.left - left - gap);
        bar.searchBox = {left, 0, left + boxWidth, boxHeight};
        h = std::max(h, boxHeight);
    }
    const int left = r.left + (r.right - r.left - width) / 2;
    const int top = r.top + (r.bottom - r.top - h) / 2;
    bar.window = {left, top, left + width, top + h};
    return bar;
}

Rect CentreOnScreen(const Rect& bar, int screenWidth, int screenHeight, int virtualLeft, int virtualTop) noexcept
{
    const int left = std::max((screenWidth - bar.Width()) / 2, virtualLeft);
    const int top = std::max((screenHeight - bar.Height()) / 2, virtualTop);
    return {left, top, left + bar.Width(), top + bar.Height()};
}

namespace settings {

Frame PlaceFrame(int clientWidth, int clientHeight, int dpi) noexcept
{
    const int ok = Scale(kOkHeight, dpi);
    const int tabs = Scale(kTabsHeight, dpi); // one row: the three tabs fit in the narrowest window
    const int margin = Scale(kPageMargin, dpi);
    return {{0, 0, clientWidth, tabs},
            {0, clientHeight - ok, clientWidth, clientHeight},
            {margin, tabs + margin, clientWidth - margin, clientHeight - ok}};
}

Rect PlaceControl(const Place& place, const Rect& page, int dpi) noexcept
{
    if (place.anchor == Anchor::Fill)
        return page;
    Rect r{page.left + Scale(place.at.left, dpi), page.top + Scale(place.at.top, dpi),
           page.left + Scale(place.at.right, dpi), page.top + Scale(place.at.bottom, dpi)};
    if (place.anchor == Anchor::AllSides) {
        r.right = page.right;
        r.bottom = page.bottom;
    }
    return r;
}

} // namespace settings

namespace tutorial {

Tutorial PlaceTutorial(int clientWidth, int clientHeight, int dpi, int nextCaptionWidth) noexcept
{
    const int row = Scale(kRowHeight, dpi);
    const int top = clientHeight - row;
    const int button = Scale(kButtonWidth, dpi);
    const int next = std::max(button, nextCaptionWidth + Scale(kCaptionSpace, dpi));
    const int checkLeft = Scale(kCheckLeft, dpi);
    // The design's room right of the check box, unless "Next" needs more of it.
    const int checkWidth =
        std::max(0, std::min(clientWidth - checkLeft - Scale(kClientWidth - kCheckLeft - kCheckWidth, dpi),
                             clientWidth - next - checkLeft));
    return {{0, 0, clientWidth, top},
            {0, top, button, top + row},
            {clientWidth - next, top, clientWidth, top + row},
            {checkLeft, top, checkLeft + checkWidth, top + row}};
}

} // namespace tutorial

} // namespace layout
