#include <gtest/gtest.h>

#include <windows.h>

#include "support/ModalWatcher.h"
#include "ui/Theme.h"

namespace {

TEST(ThemeResource, MissingThemeIsToldWithACloseButtonAndThePlainLookStays)
{
    // This test program carries no theme resource.
    ModalWatcher watcher(L"Close");
    EXPECT_FALSE(ApplyTheme(::GetModuleHandleW(nullptr)));
    const auto& box = watcher.Seen();
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->caption, L"Zarvi");
    EXPECT_EQ(box->text, L"Style 'Windows10 SlateGray' not found");
    EXPECT_EQ(box->buttons, std::vector<std::wstring>{L"Close"});
    EXPECT_FALSE(CurrentTheme().has_value());
    EXPECT_EQ(ThemeControlColours(WM_CTLCOLOREDIT, nullptr), nullptr);
}

} // namespace
