#include <gtest/gtest.h>

#include <string>

#include "core/rules/VersionText.h"

namespace {

TEST(VersionText, PublishedVersionsAgainstTheRunningOne)
{
    struct Case {
        std::wstring site;
        std::wstring app;
        version::Numbers numbers; // of the site's text
        bool newer;
    } const cases[] = {
        {L"1.5.1", L"1.5", {1, 5, 1}, true},
        {L"1.5", L"1.5", {1, 5, 0}, false},
        {L"1.6.0\r\n", L"1.5", {1, 6, 0}, true},
        {L"1.5.1\r\n", L"1.5", {1, 5, 0}, false},
        {L"2", L"1.9", {2, 0, 0}, true},
        {L"1.10.0", L"1.9", {1, 10, 0}, true},
        {L"1.6.0.7", L"1.6", {1, 6, 0}, false},
        {L" 1. 6. 0", L"1.5", {1, 6, 0}, true},
        {L"1.4.9", L"1.5", {1, 4, 9}, false},
        {L"0.1", L"", {0, 1, 0}, true},
        {L"", L"", {0, 0, 0}, false},
        {L"1..2", L"1.0", {1, 0, 2}, true},
        {L"$A.x1.0x2", L"9.0", {10, 1, 2}, true},
        {L"<html>error</html>", L"0.0", {0, 0, 0}, false},
        {L"\ufeff1.6", L"1.5", {0, 6, 0}, false},
        {L"-1.0", L"0.0", {-1, 0, 0}, false},
        {L"99999999999.0", L"1.0", {0, 0, 0}, false},
    };
    for (const auto& c : cases) {
        const auto site = version::Parse(c.site);
        EXPECT_EQ(site, c.numbers) << testing::PrintToString(c.site);
        EXPECT_EQ(version::IsNewer(site, version::Parse(c.app)), c.newer)
            << testing::PrintToString(c.site) << " against " << testing::PrintToString(c.app);
    }
}

} // namespace
