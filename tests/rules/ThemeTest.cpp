#include <gtest/gtest.h>

#include <string>

#include "core/rules/Theme.h"
#include <fstream>
#include <iterator>

namespace {

TEST(Theme, ParsesEveryRoleAndRejectsIncompleteOrBadFiles)
{
    const std::string full = "; comment\r\nFace=#3B4A5A\r\nFaceText=#F2F5F8\nPressed=#2A3541\nEdit=#26313B\n"
                             "EditText=#F2F5F8\nHighlight=#7fd1b9\nHighlightText=#10202A\nBorder=#52677C\n";
    const auto parsed = theme::Parse(full);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->face.r, 0x3B);
    EXPECT_EQ(parsed->highlight.b, 0xB9);
    EXPECT_FALSE(theme::Parse("Face=#3B4A5A\n").has_value()) << "roles missing";
    EXPECT_FALSE(theme::Parse(full + "Face=#3B4A5\n").has_value()) << "short colour";
    EXPECT_FALSE(theme::Parse(full + "Face=3B4A5A0\n").has_value()) << "no #";
    EXPECT_FALSE(theme::Parse(full + "Face=#3B4A5G\n").has_value()) << "not hexadecimal";
    EXPECT_FALSE(theme::Parse(full + "just words\n").has_value());

    // The list's own colours are optional: a theme without them still reads, with derived ones.
    EXPECT_EQ(parsed->accent.r, 0x7F) << "the highlight colour stands in for the accent";
    EXPECT_EQ(parsed->dimText.r, (0x26 + 0xF2 + 1) / 2) << "half-way from the edit text to the edit colour";
    const auto own = theme::Parse(full + "Accent=#FFC66D\nDimText=#A3B1BF\n");
    ASSERT_TRUE(own.has_value());
    EXPECT_EQ(own->accent.g, 0xC6);
    EXPECT_EQ(own->dimText.b, 0xBF);
    EXPECT_FALSE(theme::Parse(full + "Accent=#FFC6\n").has_value()) << "a bad optional colour is still bad";
}

TEST(Theme, ContrastRatioMatchesKnownValues)
{
    EXPECT_NEAR(theme::ContrastRatio({0, 0, 0}, {255, 255, 255}), 21.0, 0.01);
    EXPECT_NEAR(theme::ContrastRatio({119, 119, 119}, {255, 255, 255}), 4.48, 0.01);
    EXPECT_NEAR(theme::ContrastRatio({10, 20, 30}, {10, 20, 30}), 1.0, 1e-9);
}

TEST(Theme, ShippedThemeKeepsTextReadable)
{
    std::ifstream in(std::string(ZARVI_SOURCE_DIR) + "/resources/theme/windows10-slategray.theme", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(text.empty()) << "the shipped theme was not found";
    const auto look = theme::Parse(text);
    ASSERT_TRUE(look.has_value()) << "the shipped theme does not parse";
    EXPECT_GE(theme::ContrastRatio(look->faceText, look->face), 4.5);
    EXPECT_GE(theme::ContrastRatio(look->faceText, look->pressed), 4.5);
    EXPECT_GE(theme::ContrastRatio(look->editText, look->edit), 4.5);
    EXPECT_GE(theme::ContrastRatio(look->highlightText, look->highlight), 4.5);
    EXPECT_EQ(look->accent.r, 0xFF) << "the shipped theme names its own accent";
    EXPECT_GE(theme::ContrastRatio(look->accent, look->edit), 4.5);
    EXPECT_GE(theme::ContrastRatio(look->dimText, look->edit), 4.5);
    // Dimmer than the names, yet readable.
    EXPECT_LT(theme::ContrastRatio(look->dimText, look->edit), theme::ContrastRatio(look->editText, look->edit));
}

} // namespace

// High contrast: every role from the system's colours, whatever the program's own theme says.
TEST(Theme, HighContrastTakesEveryRoleFromTheSystem)
{
    const theme::SystemColours black{{0, 0, 0}, {255, 255, 255}, {0, 255, 255}, {0, 0, 0},
                                     {0, 0, 0}, {255, 255, 255}, {63, 242, 63}, {255, 255, 0}};
    const theme::SystemColours white{{255, 255, 255}, {0, 0, 0}, {55, 0, 110}, {255, 255, 255},
                                     {255, 255, 255}, {0, 0, 0}, {96, 0, 0},   {0, 0, 159}};
    const theme::Theme own = *theme::Parse("Face=#3B4A5A\nFaceText=#F2F5F8\nPressed=#2A3541\nEdit=#27313C\n"
                                           "EditText=#F2F5F8\nHighlight=#7FD1B9\nHighlightText=#1B2630\n"
                                           "Border=#56677A\n");
    const auto same = [](theme::Colour a, theme::Colour b) { return a.r == b.r && a.g == b.g && a.b == b.b; };
    for (const auto& system : {black, white}) {
        const auto look = theme::Choose(true, own, system);
        ASSERT_TRUE(look.has_value());
        EXPECT_TRUE(look->highContrast);
        EXPECT_TRUE(same(look->edit, system.window) && same(look->editText, system.windowText));
        EXPECT_TRUE(same(look->face, system.buttonFace) && same(look->faceText, system.buttonText));
        EXPECT_TRUE(same(look->highlight, system.highlight) && same(look->highlightText, system.highlightText));
        EXPECT_TRUE(same(look->pressed, system.highlight) && same(look->border, system.windowText));
        EXPECT_TRUE(same(look->accent, system.hotlight));
        EXPECT_TRUE(same(look->dimText, system.windowText)) << "the folder must read like any text";
    }
    // Without the mode: the program's own look, or none.
    const auto ownLook = theme::Choose(false, own, black);
    ASSERT_TRUE(ownLook.has_value());
    EXPECT_FALSE(ownLook->highContrast);
    EXPECT_TRUE(same(ownLook->edit, own.edit));
    EXPECT_FALSE(theme::Choose(false, std::nullopt, black).has_value());
    EXPECT_TRUE(theme::Choose(true, std::nullopt, white).has_value());
}
