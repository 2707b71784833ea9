#include <gtest/gtest.h>

#include <tuple>

#include "core/rules/WindowLayout.h"

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

namespace {

using layout::Scale;
using namespace layout::settings;

std::tuple<int, int, int, int> Edges(const Rect& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

bool Overlap(const Rect& a, const Rect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// The design's client area at 96 and 144 DPI: the frame, then controls of each kind of anchor.
TEST(SettingsLayout, TheFrameAndThePagesControlsScaleWithTheWindow)
{
    struct Case {
        int dpi;
        std::tuple<int, int, int, int> tabs, ok, page, title, helpText;
    } const cases[] = {
        {96, {0, 0, 675, 36}, {0, 410, 675, 436}, {2, 38, 673, 410}, {85, 62, 602, 90}, {2, 78, 673, 410}},
        {144, {0, 0, 1013, 54}, {0, 615, 1013, 654}, {3, 57, 1010, 615}, {128, 93, 903, 135}, {3, 117, 1010, 615}},
    };
    for (const auto& c : cases) {
        const Frame frame = PlaceFrame(Scale(kClientWidth, c.dpi), Scale(kClientHeight, c.dpi), c.dpi);
        EXPECT_EQ(Edges(frame.tabs), c.tabs) << c.dpi;
        EXPECT_EQ(Edges(frame.ok), c.ok) << c.dpi;
        EXPECT_EQ(Edges(frame.page), c.page) << c.dpi;
        EXPECT_EQ(Edges(PlaceControl(PlaceOf(Slot::Title), frame.page, c.dpi)), c.title) << c.dpi;
        EXPECT_EQ(Edges(PlaceControl(PlaceOf(Slot::HelpText), frame.page, c.dpi)), c.helpText) << c.dpi;
        EXPECT_EQ(Edges(PlaceControl(PlaceOf(Slot::Log), frame.page, c.dpi)), c.page) << c.dpi;
    }
    // A larger window: the help text and the log follow its edges, the rest keeps its place.
    const Frame wide = PlaceFrame(900, 600, 96);
    EXPECT_EQ(Edges(PlaceControl(PlaceOf(Slot::HelpText), wide.page, 96)), std::make_tuple(2, 78, 898, 574));
    EXPECT_EQ(Edges(PlaceControl(PlaceOf(Slot::Title), wide.page, 96)), std::make_tuple(85, 62, 602, 90));
}

// The design holds every control apart and inside its page's width, at every scale; only the
// hotkey's list, dropped down, lies over what is below it.
TEST(SettingsLayout, EachPagesControlsStandApartWithinThePage)
{
    for (const int dpi : {96, 120, 144, 192}) {
        const Frame frame = PlaceFrame(Scale(kClientWidth, dpi), Scale(kClientHeight, dpi), dpi);
        for (size_t i = 0; i < kPlaces.size(); ++i) {
            const Rect a = PlaceControl(kPlaces[i], frame.page, dpi);
            EXPECT_GE(a.left, frame.page.left) << dpi << " slot " << i;
            EXPECT_LE(a.right, frame.page.right) << dpi << " slot " << i;
            EXPECT_GT(a.Width(), 0) << dpi << " slot " << i;
            EXPECT_LT(static_cast<int>(kPlaces[i].page), kPageCount);
            if (kPlaces[i].anchor != Anchor::TopLeft || i == static_cast<size_t>(Slot::Hotkey))
                continue;
            for (size_t k = i + 1; k < kPlaces.size(); ++k) {
                if (kPlaces[k].page != kPlaces[i].page || kPlaces[k].anchor == Anchor::Fill ||
                    k == static_cast<size_t>(Slot::Hotkey))
                    continue;
                EXPECT_FALSE(Overlap(a, PlaceControl(kPlaces[k], frame.page, dpi)))
                    << dpi << " slots " << i << " and " << k;
            }
        }
    }
    EXPECT_LE(kTabsWidth, kClientWidth) << "the tabs fit in one row";
}

TEST(TutorialLayout, TheRowBelowThePictureAndNextGrowingForItsCaption)
{
    using layout::tutorial::PlaceTutorial;
    struct Case {
        int width, height, dpi, caption;
        std::tuple<int, int, int, int> picture, previous, next, check;
    } const cases[] = {
        // "Next" fits the design's button; the check box keeps its design width.
        {583, 447, 96, 30, {0, 0, 583, 397}, {0, 397, 93, 447}, {490, 397, 583, 447}, {100, 397, 481, 447}},
        {875, 671, 144, 45, {0, 0, 875, 596}, {0, 596, 140, 671}, {735, 596, 875, 671}, {150, 596, 722, 671}},
        // "Start using zarvi" outgrows it: the check box gives way, never under the button.
        {875, 671, 144, 200, {0, 0, 875, 596}, {0, 596, 140, 671}, {639, 596, 875, 671}, {150, 596, 639, 671}},
        // A window too narrow for the check box leaves it no width rather than a negative one.
        {200, 300, 144, 200, {0, 0, 200, 225}, {0, 225, 140, 300}, {-36, 225, 200, 300}, {150, 225, 150, 300}},
    };
    for (const auto& c : cases) {
        const auto placed = PlaceTutorial(c.width, c.height, c.dpi, c.caption);
        EXPECT_EQ(Edges(placed.picture), c.picture) << c.dpi << " " << c.caption;
        EXPECT_EQ(Edges(placed.previous), c.previous) << c.dpi << " " << c.caption;
        EXPECT_EQ(Edges(placed.next), c.next) << c.dpi << " " << c.caption;
        EXPECT_EQ(Edges(placed.check), c.check) << c.dpi << " " << c.caption;
    }
}

} // namespace
