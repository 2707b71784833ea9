#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/rules/Ascii.h"
#include "core/rules/PathListText.h"
#include "core/rules/TextConv.h"
#include "core/rules/Utf16.h"

namespace {

TEST(AsciiRules, FoldOnlyAToZTrimCodesUpTo32AndReadHexDigits)
{
    EXPECT_EQ(ascii::Upper(std::wstring_view(L"a\u00e9z[`{AZ")), L"A\u00e9Z[`{AZ");
    EXPECT_EQ(ascii::Lower(std::wstring_view(L"A\u00c9Z@[az")), L"a\u00c9z@[az");
    EXPECT_EQ(ascii::Trimmed(std::wstring_view(L"\t \r\n x y \u00a0\x01")), L"x y \u00a0");
    EXPECT_EQ(ascii::Trimmed(std::wstring_view(L" \x1F ")), L"");
    struct Case {
        wchar_t c;
        int value;
    } const digits[] = {{L'0', 0},  {L'9', 9},  {L'a', 10}, {L'F', 15},
                        {L'g', -1}, {L'G', -1}, {L'/', -1}, {L'\uff10', -1}};
    for (const auto& d : digits)
        EXPECT_EQ(ascii::HexDigit(d.c), d.value) << static_cast<int>(d.c);
}

TEST(Utf16Codec, RoundTripsBothByteOrdersAndDropsAnOddLastByte)
{
    const std::wstring text = L"C:\u00e9\U0001F600";
    EXPECT_EQ(utf16::Encode(text, false), std::string("C\0:\0\xE9\0\x3D\xD8\x00\xDE", 10));
    EXPECT_EQ(utf16::Encode(text, true), std::string("\0C\0:\0\xE9\xD8\x3D\xDE\x00", 10));
    for (bool big : {false, true}) {
        EXPECT_EQ(utf16::Decode(utf16::Encode(text, big), big), text);
        EXPECT_EQ(utf16::Decode(utf16::Encode(text, big) + "\x41", big), text);
    }
    EXPECT_EQ(utf16::Join(0xD83D, 0xDE00), U'\U0001F600');
}

// A stand-in for code page 1252 as far as the cases need it: ASCII and é.
std::optional<std::string> ToLatin(std::wstring_view text)
{
    std::string bytes;
    for (wchar_t c : text) {
        if (c > 0xFF)
            return std::nullopt;
        bytes.push_back(static_cast<char>(c));
    }
    return bytes;
}
std::wstring FromLatin(std::string_view bytes)
{
    std::wstring text;
    for (char c : bytes)
        text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return text;
}

TEST(AppendPlan, WritesTheRowInTheFilesOwnEncodingAfterALineBreakOfItsOwn)
{
    struct Case {
        const char* name;
        std::string existing;
        std::wstring folder;
        std::string bytes;
        bool rewrite;
    } const cases[] = {
        {"EmptyFile", "", L"C:\\A", "C:\\A\r\n", false},
        {"AnsiWithBreak", "C:\\X\r\n", L"C:\\Caf\u00e9", "C:\\Caf\xE9\r\n", false},
        {"AnsiWithoutBreak", "C:\\X", L"C:\\A", "\r\nC:\\A\r\n", false},
        {"LoneLineFeed", "C:\\X\n", L"C:\\A", "C:\\A\r\n", false},
        {"Utf8Mark",
         "\xEF\xBB\xBF"
         "C:\\X\r\n",
         L"C:\\\u65e5", "C:\\\xE6\x97\xA5\r\n", false},
        {"Utf16LeWithoutBreak",
         std::string("\xFF\xFE"
                     "X\0",
                     4),
         L"A", std::string("\r\0\n\0A\0\r\0\n\0", 10), false},
        {"Utf16BeWithBreak", std::string("\xFE\xFF\0X\0\n", 6), L"A", std::string("\0A\0\r\0\n", 6), false},
        {"AnsiCannotHoldTheFolder", "C:\\Caf\xE9\r\n", L"C:\\\u65e5",
         "\xEF\xBB\xBF"
         "C:\\Caf\xC3\xA9\r\nC:\\\xE6\x97\xA5\r\n",
         true},
    };
    for (const auto& c : cases) {
        const auto plan = pathlist::PlanAppend(c.existing, c.folder, &ToLatin, &FromLatin);
        EXPECT_EQ(plan.bytes, c.bytes) << c.name;
        EXPECT_EQ(plan.rewrite, c.rewrite) << c.name;
    }
}

} // namespace
