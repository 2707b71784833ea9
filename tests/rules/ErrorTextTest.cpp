#include <gtest/gtest.h>

#include "core/rules/ErrorText.h"

namespace {

struct ErrorTextCase {
    std::wstring message;
    std::wstring expected;
};

class ErrorReportTextTest : public ::testing::TestWithParam<ErrorTextCase> {};

TEST_P(ErrorReportTextTest, ClosesWithFullStopUnlessEndingInCode46OrLower)
{
    EXPECT_EQ(ErrorReportText(GetParam().message), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ErrorReportTextTest,
                         ::testing::Values(ErrorTextCase{L"Disk full", L"Disk full."},
                                           ErrorTextCase{L"Disk full.", L"Disk full."},
                                           ErrorTextCase{L"Really?", L"Really?."}, // '?' is 63: above the limit
                                           ErrorTextCase{L"Stop!", L"Stop!"},      // '!' is 33
                                           ErrorTextCase{L"C:\\dir\\", L"C:\\dir\\."},
                                           ErrorTextCase{L"ends with slash/", L"ends with slash/."},  // '/' is 47
                                           ErrorTextCase{L"ends with hyphen-", L"ends with hyphen-"}, // '-' is 45
                                           ErrorTextCase{L"line\r\n", L"line\r\n"},
                                           ErrorTextCase{L"trailing space ", L"trailing space "},
                                           ErrorTextCase{L"caf\u00E9", L"caf\u00E9."}, ErrorTextCase{L"", L"."}));

} // namespace
