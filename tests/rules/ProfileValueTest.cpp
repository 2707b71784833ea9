#include <gtest/gtest.h>

#include <string>

#include "core/rules/ProfileValue.h"

namespace {

TEST(ProfileBool, ReadsNumbersAndFallsBackOnAnythingElse)
{
    struct Case {
        const wchar_t* text;
        bool fallbackFalse; // result with fallback false
        bool fallbackTrue;  // result with fallback true
    };
    const Case cases[] = {
        {L"1", true, true},           {L"-1", true, true},        {L"2", true, true},
        {L"0x10", true, true},        {L"0x1", true, true},       {L"$1", true, true},
        {L"x1", true, true},          {L"  7", true, true},       {L"+0", false, false},
        {L"0", false, false},         {L"0x0", false, false},     {L"true", false, true},
        {L"yes", false, true},        {L"on", false, true},       {L"", false, true},
        {L"1 ", false, true},         {L"0x", false, true},       {L"2147483648", false, true},
        {L"-2147483648", true, true}, {L"$FFFFFFFF", true, true}, {L"$100000000", false, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseProfileBool(c.text, false), c.fallbackFalse) << testing::PrintToString(std::wstring(c.text));
        EXPECT_EQ(ParseProfileBool(c.text, true), c.fallbackTrue) << testing::PrintToString(std::wstring(c.text));
    }
}

} // namespace
