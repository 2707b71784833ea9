#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "core/AppPathHelper.h"
#include "core/KeyHookHelper.h"
#include "core/rules/BarLayout.h"
#include "support/AppFolderSandbox.h"
#include "support/DpiChild.h"
#include "support/SearchHost.h"
#include "ui/MAIN.h"
#include "ui/SmartCombo.h"
#include "ui/TApplication.h"

namespace {

// The bar as the program makes it at start-up, in this process.
class BarLook : public AppFolderSandbox {
protected:
    void SetUp() override
    {
        AppFolderSandbox::SetUp();
        SkipTutorial();
        application = std::make_unique<TApplication>();
        bar = std::make_unique<TForm1>(application->Handle());
        SearchHost::Settle();
    }
    void TearDown() override
    {
        bar.reset();
        application.reset();
        AppFolderSandbox::TearDown();
    }

    std::unique_ptr<TApplication> application;
    std::unique_ptr<TForm1> bar;
};

TEST_F(BarLook, SearchBoxCarriesSegoeUi14PointsAndTheBarIsSizedByIt)
{
    const int dpi = dpichild::ExpectedDpi();
    ASSERT_EQ(static_cast<int>(::GetDpiForWindow(bar->Handle())), dpi) << "the platform did not take this DPI";
    ASSERT_NE(SearchBox, nullptr);

    const auto font = reinterpret_cast<HFONT>(::SendMessageW(SearchBox->Combo(), WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr) << "the box shows the system font";
    LOGFONTW look{};
    ASSERT_EQ(::GetObjectW(font, sizeof(look), &look), static_cast<int>(sizeof(look)));
    EXPECT_STREQ(look.lfFaceName, L"Segoe UI");
    EXPECT_EQ(look.lfHeight, -::MulDiv(14, dpi, 72));

    RECT combo{}, box{}, window{};
    ::GetWindowRect(SearchBox->Combo(), &combo);
    ::GetWindowRect(SearchBox->Handle(), &box);
    ::GetWindowRect(bar->Handle(), &window);
    // A combo box is as tall as its font asks, so a 14-point font makes it taller than the text.
    EXPECT_GT(combo.bottom - combo.top, -look.lfHeight);
    EXPECT_EQ(box.bottom - box.top, combo.bottom - combo.top);
    EXPECT_EQ(window.bottom - window.top, std::max<LONG>(layout::Scale(32, dpi), combo.bottom - combo.top));
}

TEST(BarLookAtDpi, At144DpiTheFontAndHeightsScale)
{
    if (dpichild::IsChild())
        GTEST_SKIP() << "run by the parent";
    EXPECT_EQ(dpichild::RunAtDpi(144, L"BarLook.*"), 0u) << "the bar's look at 144 DPI failed (see the output above)";
}

} // namespace
