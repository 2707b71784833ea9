#include "core/rules/BarLayout.h"

#include <algorithm>

namespace layout {

int Scale(int pixelsAt96, int dpi) noexcept
{
    return static_cast<int>((static_cast<long long>(pixelsAt96) * dpi + 48) / 96);
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

} // namespace layout
