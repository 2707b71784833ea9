#include <gtest/gtest.h>

#include <regex>

#include "core/MiniLogHelper.h"

namespace {

SYSTEMTIME At(WORD hour, WORD minute, WORD second, WORD ms)
{
    SYSTEMTIME t{};
    t.wYear = 2026;
    t.wMonth = 12;
    t.wDay = 9;
    t.wDayOfWeek = 3;
    t.wHour = hour;
    t.wMinute = minute;
    t.wSecond = second;
    t.wMilliseconds = ms;
    return t;
}

TEST(LogTimeStamp, UsesTheLocalesShortDateAndLongTime)
{
    struct Case {
        const wchar_t* locale;
        SYSTEMTIME time;
        std::wstring expected; // a pattern: locale tables differ in zero padding between systems
    };
    const Case cases[] = {
        {L"en-US", At(0, 7, 11, 0), L"12/9/2026 12:07:11 AM"},
        {L"en-US", At(15, 4, 5, 999), L"12/9/2026 3:04:05 PM"},
        {L"de-DE", At(15, 4, 5, 0), L"0?9\\.12\\.2026 15:04:05"},
        // Exactly midnight: the date alone, no trailing space.
        {L"en-US", At(0, 0, 0, 0), L"12/9/2026"},
        {L"de-DE", At(0, 0, 0, 0), L"0?9\\.12\\.2026"},
        // One millisecond past midnight is no longer midnight.
        {L"en-US", At(0, 0, 0, 1), L"12/9/2026 12:00:00 AM"},
    };
    for (const auto& c : cases) {
        const std::wstring stamp = LogTimeStamp(c.time, c.locale);
        EXPECT_TRUE(std::regex_match(stamp, std::wregex(c.expected)))
            << testing::PrintToString(std::wstring(c.locale)) << " gave " << testing::PrintToString(stamp);
    }
}

TEST(LogTimeStamp, FollowsTheUsersFormatsByDefault)
{
    // The test bench runs with LANG=C.UTF-8, which Wine treats as English (United States).
    EXPECT_EQ(LogTimeStamp(At(0, 7, 11, 0)), L"12/9/2026 12:07:11 AM");
}

class EventLog : public ::testing::Test {
protected:
    void SetUp() override { LogText.clear(); }
};

// Everything of an entry but its stamp, which depends on the clock.
std::wstring WithoutStamps(const std::wstring& log)
{
    std::wstring out;
    size_t i = 0;
    while (i < log.size()) {
        if (log.compare(i, 3, L"\r\n#") == 0) {
            const size_t close = log.find(L"# - ", i + 3);
            if (close != std::wstring::npos) {
                out += L"\r\n#STAMP# - ";
                i = close + 4;
                continue;
            }
        }
        out.push_back(log[i++]);
    }
    return out;
}

TEST_F(EventLog, EachEntryStartsWithALineBreakAndCarriesItsMessageUnchanged)
{
    AddLog(L"Starting app...");
    AddLog(L"Error loading paths list from C:\\zarvi.txt - \r\nCannot open file");
    AddLog(L"");
    AddLog(L"Version found on site: 1.2\r\n");
    AddLog(L"next");
    EXPECT_EQ(WithoutStamps(LogText),
              L"\r\n#STAMP# - Starting app..."
              L"\r\n#STAMP# - Error loading paths list from C:\\zarvi.txt - \r\nCannot open file"
              L"\r\n#STAMP# - "
              L"\r\n#STAMP# - Version found on site: 1.2\r\n"
              L"\r\n#STAMP# - next");
}

TEST_F(EventLog, StampIsTakenFromTheClockAtTheTimeOfTheEntry)
{
    SYSTEMTIME before{};
    ::GetLocalTime(&before);
    AddLog(L"x");
    SYSTEMTIME after{};
    ::GetLocalTime(&after);
    const std::wstring stampBefore = LogTimeStamp(before);
    const std::wstring stampAfter = LogTimeStamp(after);
    const std::wstring stamp = LogText.substr(3, LogText.find(L"# - ") - 3);
    EXPECT_TRUE(stamp == stampBefore || stamp == stampAfter) << testing::PrintToString(stamp);
}

} // namespace
