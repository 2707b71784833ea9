#include <gtest/gtest.h>

#include <tuple>

#include "core/rules/BarLayout.h"

namespace {

using layout::Rect;

TEST(BarLayout, CentresA85PercentBarInTheWorkArea)
{
    struct Case {
        Rect work;
        int dpi, boxHeight;
        Rect window, box, paths;
    };
    const Case cases[] = {
        // 1920 x 1040 at the origin: 1632 x 32 at 144, 504; box at 33, 1566 wide; paths at 1600.
        {{0, 0, 1920, 1040}, 96, 28, {144, 504, 1776, 536}, {33, 0, 1599, 28}, {1600, 0, 1632, 32}},
        // A taller box makes a taller bar.
        {{0, 0, 1920, 1040}, 96, 40, {144, 500, 1776, 540}, {33, 0, 1599, 40}, {1600, 0, 1632, 32}},
        // A second monitor left of the primary one, with a taskbar at its top.
        {{-1280, 40, 0, 1024}, 96, 30, {-1184, 516, -96, 548}, {33, 0, 1055, 30}, {1056, 0, 1088, 32}},
        // 144 DPI: buttons 48, gaps 2 (rounded from 1.5).
        {{0, 0, 2000, 1000}, 144, 40, {150, 476, 1850, 524}, {50, 0, 1650, 40}, {1652, 0, 1700, 48}},
    };
    for (const auto& c : cases) {
        const auto bar = layout::PlaceBar(c.work, c.dpi, c.boxHeight, true);
        EXPECT_EQ(std::tie(bar.window.left, bar.window.top, bar.window.right, bar.window.bottom),
                  std::tie(c.window.left, c.window.top, c.window.right, c.window.bottom));
        EXPECT_EQ(std::tie(bar.searchBox.left, bar.searchBox.right, bar.searchBox.bottom),
                  std::tie(c.box.left, c.box.right, c.box.bottom));
        EXPECT_EQ(std::tie(bar.paths.left, bar.paths.right, bar.paths.bottom),
                  std::tie(c.paths.left, c.paths.right, c.paths.bottom));
    }
}

TEST(BarLayout, NarrowBarGivesTheBoxNoWidthAndNoBoxLeavesButtonsOnly)
{
    const auto narrow = layout::PlaceBar({0, 0, 70, 100}, 96, 20, true); // 59 wide
    EXPECT_EQ(narrow.searchBox.Width(), 0);
    const auto none = layout::PlaceBar({0, 0, 1000, 100}, 96, 0, false);
    EXPECT_EQ(none.window.Height(), 32);
}

TEST(BarLayout, FirstShowCentresOnThePrimaryScreenButNotLeftOfTheVirtualDesktop)
{
    const Rect bar{500, 500, 1588, 532};
    const Rect centred = layout::CentreOnScreen(bar, 1280, 800, 0, 0);
    EXPECT_EQ(std::tie(centred.left, centred.top, centred.right), std::make_tuple(96, 384, 1184));
    const Rect wide = layout::CentreOnScreen({0, 0, 2000, 32}, 1280, 800, 0, 0);
    EXPECT_EQ(wide.left, 0); // (1280 - 2000) / 2 is left of the virtual desktop
}

} // namespace

TEST(TextSize, TheSettingEnlargesTextAndAFixedWindowTakesWhatFits)
{
    struct Case {
        unsigned long setting;
        int percent;
    } const settings[] = {{0, 100}, {99, 100}, {100, 100}, {150, 150}, {225, 225}, {226, 100}, {0xFFFFFFFF, 100}};
    for (const auto& c : settings)
        EXPECT_EQ(layout::TextPercent(c.setting), c.percent) << c.setting;
    EXPECT_EQ(layout::TextDpi(96, 100), 96);
    EXPECT_EQ(layout::TextDpi(96, 150), 144);
    EXPECT_EQ(layout::TextDpi(144, 225), 324);
    // The settings window (675 x 436 at 96 DPI) on a 1280 x 760 work area.
    EXPECT_EQ(layout::FittingTextPercent(150, 675, 436, 1280, 760, 96), 150);
    EXPECT_EQ(layout::FittingTextPercent(225, 675, 436, 1280, 760, 96), 174); // the height decides
    EXPECT_EQ(layout::FittingTextPercent(225, 675, 436, 1280, 760, 144), 116);
    EXPECT_EQ(layout::FittingTextPercent(150, 675, 436, 600, 400, 96), 100); // never below the plain size
}
