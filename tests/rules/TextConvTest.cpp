#include <gtest/gtest.h>

#include "core/rules/AppError.h"
#include "core/rules/TextConv.h"
#include "support/Raised.h"

namespace {

struct RoundTripCase {
    const char* name;
    std::string utf8;
    std::wstring wide;
};

class TextConvRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(TextConvRoundTrip, ConvertsBothWays)
{
    const auto& c = GetParam();
    EXPECT_EQ(Utf8ToWide(c.utf8), c.wide);
    EXPECT_EQ(WideToUtf8(c.wide), c.utf8);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextConvRoundTrip,
    ::testing::Values(RoundTripCase{"Empty", "", L""},
                      RoundTripCase{"Ascii", "C:\\Users\\Ann\\Documents", L"C:\\Users\\Ann\\Documents"},
                      RoundTripCase{"TwoByte", "caf\xC3\xA9", L"caf\u00E9"},
                      RoundTripCase{"ThreeByte", "\xE2\x82\xAC\xE6\x97\xA5", L"\u20AC\u65E5"},
                      // U+1F600 is a surrogate pair in UTF-16.
                      RoundTripCase{"FourByte", "a\xF0\x9F\x98\x80z", L"a\U0001F600z"},
                      RoundTripCase{"EmbeddedNull", std::string("a\0b", 3), std::wstring(L"a\0b", 3)}),
    [](const auto& info) { return std::string(info.param.name); });

class Utf8ToWideRejects : public ::testing::TestWithParam<std::string> {};

TEST_P(Utf8ToWideRejects, InvalidBytesWithTheSystemsMessage)
{
    EXPECT_EQ(RaisedMessage([] { Utf8ToWide(GetParam()); }),
              L"No mapping for the Unicode character exists in the target multi-byte code page");
}

INSTANTIATE_TEST_SUITE_P(Cases, Utf8ToWideRejects,
                         ::testing::Values("\xE9t\xE9",        // Latin-1 bytes
                                           "ab\xC3",           // truncated at the end
                                           "\xE2\x82",         // truncated three-byte form
                                           "\xC0\xAF",         // overlong slash
                                           "\xED\xA0\x80",     // encoded surrogate
                                           "\xF4\x90\x80\x80", // past U+10FFFF
                                           "\x80",             // lone continuation byte
                                           "\xF8\x88\x80\x80\x80"));

TEST(WideToUtf8, LoneSurrogateBecomesReplacementCharacter)
{
    EXPECT_EQ(WideToUtf8(std::wstring(1, static_cast<wchar_t>(0xD800)) + L"x"), "\xEF\xBF\xBDx");
}

} // namespace
