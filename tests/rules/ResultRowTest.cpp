#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/rules/ResultRow.h"
#include "core/rules/SearchFilter.h"

namespace {

TEST(ResultRow, SplitsNameFromTheFolderItLiesIn)
{
    struct Case {
        std::wstring path, name, folder;
    };
    const Case cases[] = {
        {L"C:\\Users\\ann\\report.txt", L"report.txt", L"C:\\Users\\ann"},
        {L"C:\\report.txt", L"report.txt", L"C:\\"},
        {L"C:report.txt", L"report.txt", L"C:"},
        {L"\\\\server\\share\\a b.doc", L"a b.doc", L"\\\\server\\share"},
        {L"D:/music/song.mp3", L"song.mp3", L"D:/music"},
        {L"\\top", L"top", L"\\"},
        {L"plain", L"plain", L""},
        {L"C:\\folder\\", L"C:\\folder\\", L""}, // no name: all of it reads as the name
        {L"", L"", L""},
    };
    for (const auto& c : cases) {
        const auto parts = resultrow::SplitPath(c.path);
        EXPECT_EQ(c.path.substr(parts.nameStart), c.name) << std::string(c.path.begin(), c.path.end());
        EXPECT_EQ(c.path.substr(0, parts.folderEnd), c.folder) << std::string(c.path.begin(), c.path.end());
    }
}

TEST(ResultRow, MarksEveryOccurrenceOfEveryWordAsTheMatchingRulesSeeThem)
{
    using Ranges = std::vector<std::pair<size_t, size_t>>;
    struct Case {
        const char* name;
        std::wstring path, typed;
        Ranges marked;
    };
    const Case cases[] = {
        {"case ignored for a to z", L"C:\\Docs\\docs.txt", L"docs", {{3, 7}, {8, 12}}},
        {"every word", L"C:\\a\\report 2024.pdf", L"2024 rep", {{5, 8}, {12, 16}}},
        {"overlaps merge", L"aaaa", L"aa", {{0, 4}}},
        {"touching words merge", L"abcd", L"ab cd", {{0, 4}}},
        {"accents not folded", L"C:\\\u00c9t\u00e9\\x", L"\u00e9t\u00e9", {}},
        {"accent matches itself", L"C:\\\u00e9t\u00e9\\x", L"\u00e9t\u00e9", {{3, 6}}},
        {"no words, no marks", L"C:\\a.txt", L"   ", {}},
        {"empty word marks nothing", L"C:\\a  b", L"a  b", {{3, 4}, {6, 7}}},
    };
    for (const auto& c : cases) {
        const auto words = search::SplitWords(std::wstring_view(c.typed));
        EXPECT_EQ(resultrow::MarkedRanges(c.path, words), c.marked) << c.name;
    }
}

TEST(ResultRow, CountTextSaysHowManyEntriesAreListed)
{
    const std::pair<size_t, const wchar_t*> cases[] = {
        {0, L"No entries"}, {1, L"1 entry"}, {2, L"2 entries"}, {100000, L"100000 entries"}};
    for (const auto& [count, text] : cases)
        EXPECT_EQ(resultrow::CountText(count), text) << count;
}

} // namespace
