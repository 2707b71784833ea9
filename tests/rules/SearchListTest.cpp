#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/rules/SearchList.h"

namespace {

using search::SearchList;
using Rows = std::vector<uint32_t>;
using Kind = SearchList::RowChange::Kind;
using Adopted = SearchList::Adopted;

std::shared_ptr<const SearchList::Entries> Share(SearchList::Entries entries)
{
    return std::make_shared<const SearchList::Entries>(std::move(entries));
}

SearchList Holding(SearchList::Entries entries, Rows shown)
{
    SearchList list;
    list.Replace(Share(std::move(entries)));
    list.SetShown(std::move(shown));
    return list;
}

// The rows shown with the planned rows taken out, one at a time in the planned order.
Rows AfterRemoval(Rows shown, const std::vector<size_t>& remove)
{
    for (const size_t row : remove)
        shown.erase(shown.begin() + static_cast<std::ptrdiff_t>(row));
    return shown;
}

TEST(SearchList, RowsShownBecomeTheRowsWantedByRemovalOnlyWhereThatIsCheap)
{
    struct Case {
        const char* name;
        Rows shown;
        Rows wanted;
        size_t inControl;
        size_t budget;
        Kind kind;
    } const cases[] = {
        {"the same rows", {0, 1, 2}, {0, 1, 2}, 3, 100, Kind::Keep},
        {"nothing, nothing", {}, {}, 0, 100, Kind::Keep},
        {"narrowed, in order", {0, 1, 2, 3, 4}, {1, 3}, 5, 100, Kind::Remove},
        {"narrowed to none", {0, 1}, {}, 2, 100, Kind::Remove},
        {"another order", {0, 1, 2, 3}, {3, 1}, 4, 100, Kind::Refill},
        {"a row the list lacks", {0, 2, 4}, {0, 3}, 3, 100, Kind::Refill},
        {"grown after the rows shown", {0, 1, 2}, {0, 1, 2, 3}, 3, 100, Kind::Append},
        {"grown, a row shown left out", {0, 1, 2}, {0, 2, 3}, 3, 100, Kind::Refill},
        {"grown between the rows shown", {0, 2}, {0, 1, 2}, 2, 100, Kind::Refill},
        {"grown, the control holds other rows", {0, 1}, {0, 1, 2}, 5, 100, Kind::Refill},
        {"the control holds other rows", {0, 1, 2}, {0, 1, 2}, 2, 100, Kind::Refill},
        {"the control holds other rows, narrowed", {0, 1, 2}, {1}, 7, 100, Kind::Refill},
        {"nothing shown yet", {}, {0, 1}, 0, 100, Kind::Append},
        {"removals moving too many rows", {0, 1, 2, 3, 4}, {2}, 5, 19, Kind::Refill},
        {"removals within the budget", {0, 1, 2, 3, 4}, {2}, 5, 20, Kind::Remove},
    };
    for (const auto& c : cases) {
        const SearchList list = Holding({L"", L"a", L"b", L"c", L"d"}, c.shown);
        const auto change = list.PlanRows(c.wanted, c.inControl, c.budget);
        EXPECT_EQ(change.kind, c.kind) << c.name;
        if (change.kind == Kind::Remove) {
            EXPECT_EQ(AfterRemoval(c.shown, change.remove), c.wanted) << c.name;
            EXPECT_TRUE(std::is_sorted(change.remove.rbegin(), change.remove.rend())) << c.name << ": last first";
        } else {
            EXPECT_TRUE(change.remove.empty()) << c.name;
        }
    }
}

// Any narrowing that keeps the order is done by removal, and the removal leaves exactly the rows
// wanted; anything else fills the list anew.
TEST(SearchList, PlannedRemovalsAgreeWithTheSlowRuleOnRandomLists)
{
    std::mt19937 random(7);
    for (int round = 0; round < 500; ++round) {
        const auto size = static_cast<uint32_t>(random() % 40);
        Rows shown, wanted;
        for (uint32_t i = 0; i < size; ++i)
            if (random() % 3 != 0)
                shown.push_back(i);
        for (const uint32_t row : shown)
            if (random() % 2 == 0)
                wanted.push_back(row);
        if (random() % 4 == 0 && !wanted.empty())
            std::swap(wanted.front(), wanted.back()); // out of order, unless the same
        if (random() % 8 == 0)
            wanted.push_back(size); // a row not shown
        const SearchList list = Holding(SearchList::Entries(size + 1), shown);
        const auto change = list.PlanRows(wanted, shown.size());
        const bool subsequence = std::includes(shown.begin(), shown.end(), wanted.begin(), wanted.end()) &&
                                 std::is_sorted(wanted.begin(), wanted.end());
        const bool grown = wanted.size() > shown.size() && std::equal(shown.begin(), shown.end(), wanted.begin());
        if (wanted == shown)
            EXPECT_EQ(change.kind, Kind::Keep);
        else if (grown)
            EXPECT_EQ(change.kind, Kind::Append) << "round " << round;
        else if (subsequence && !shown.empty())
            EXPECT_EQ(AfterRemoval(shown, change.remove), wanted) << "round " << round;
        else
            EXPECT_EQ(change.kind, Kind::Refill) << "round " << round;
    }
}

TEST(SearchList, ASameListKeepsTheRowsShownAndOneCopy)
{
    SearchList list;
    list.Replace(Share({L"", L"C:\\a", L"C:\\b"}));
    list.SetShown({0, 1, 2});
    EXPECT_EQ(list.Adopt(nullptr), Adopted::Same);
    const auto same = Share({L"", L"C:\\a", L"C:\\b"});
    EXPECT_EQ(list.Adopt(same), Adopted::Same);
    EXPECT_EQ(&list.Stored(), same.get()) << "the new copy is kept, the old one goes";
    EXPECT_EQ(list.Shown(), (Rows{0, 1, 2}));

    EXPECT_EQ(list.Adopt(Share({L"", L"C:\\b"})), Adopted::Replaced);
    EXPECT_TRUE(list.Shown().empty()) << "no row of the old list is known as shown";
    EXPECT_EQ(list.AllRows(), (Rows{0, 1}));
    EXPECT_EQ(list.Matching({L"B"}), (Rows{1}));
}

// A first scan hands the list over as it grows: each part is indexed alone, and the list answers
// as one given whole, whatever the parts, a character wider than a byte arriving late included.
TEST(SearchList, AListGrownInPartsAnswersAsTheWholeListAndKeepsItsRows)
{
    const SearchList::Entries whole = {L"",
                                       L"C:\\Docs",
                                       L"C:\\Docs\\plan.txt",
                                       L"C:\\Music",
                                       L"C:\\Music\\song.mp3",
                                       L"C:\\Docs\\\u00e9t\u00e9.txt",
                                       L"C:\\Docs\\\u0436\u0443\u043a.txt",
                                       L"[C:\\Open]",
                                       L"C:\\x.txt"};
    const std::vector<std::vector<std::wstring>> searches = {
        {}, {L"DOCS"}, {L"TXT", L"C:"}, {L"\u00c9T\u00c9"}, {L"\u0436\u0443"}, {L"MUSIC", L"SONG"}, {L"ZZZ"}};
    SearchList fresh;
    fresh.Replace(Share(whole));
    for (const std::vector<size_t>& cuts : {std::vector<size_t>{9}, {3, 6, 9}, {6, 7, 9}, {2, 4, 5, 8, 9}}) {
        SearchList grown = Holding({L""}, {0});
        for (const size_t cut : cuts) {
            EXPECT_EQ(grown.Adopt(Share(SearchList::Entries(whole.begin(), whole.begin() + cut))), Adopted::Extended);
            EXPECT_EQ(grown.Shown(), (Rows{0})) << "the rows shown stand";
        }
        for (const auto& words : searches)
            EXPECT_EQ(grown.Matching(words), fresh.Matching(words)) << "cut before " << cuts.front();
        grown.SetShown(grown.AllRows());
        fresh.SetShown(fresh.AllRows());
        for (const std::wstring typed : {L"c", L"[", L"m", L"x"})
            EXPECT_EQ(grown.FirstRowThatMayBegin(typed), fresh.FirstRowThatMayBegin(typed)) << typed;
    }
    SearchList list = Holding({L"", L"C:\\a", L"C:\\b"}, {0, 1, 2});
    EXPECT_EQ(list.Adopt(Share({L"", L"C:\\a", L"C:\\c", L"C:\\b"})), Adopted::Replaced)
        << "an entry put between those held is no growth";
    EXPECT_TRUE(list.Shown().empty());
}

TEST(SearchList, EntryOfARowShownAndNothingBeyond)
{
    const SearchList list = Holding({L"", L"C:\\a", L"C:\\b", L"C:\\c"}, {3, 1});
    EXPECT_EQ(list.EntryOfRow(0), L"C:\\c");
    EXPECT_EQ(list.EntryOfRow(1), L"C:\\a");
    EXPECT_EQ(list.EntryOfRow(2), L"");
    EXPECT_EQ(list.EntryOfRow(-1), L"");
    EXPECT_EQ(list.EntryOfRow(0xFFFFFFFFll), L"") << "the platform's -1 as an unsigned row";
}

// The platform's search folds case beyond ASCII and looks behind an opening "[": such rows may
// begin with anything, and the search starts at the first row that may.
TEST(SearchList, FirstRowThatMayBeginWithTheText)
{
    const SearchList::Entries entries = {L"", L"C:\\alpha", L"c:\\beta", L"[draft] notes", L"\u00C4rger", L"D:\\x"};
    struct Case {
        Rows shown;
        std::wstring text;
        long long row;
    } const cases[] = {
        {{1, 2, 5}, L"c:\\b", 1},                                                       // case folded
        {{1, 2, 5}, L"C:\\A", 0}, {{1, 2, 5}, L"d", 2},          {{1, 2, 5}, L"e", -1}, // none may
        {{1, 2, 3, 5}, L"e", 2}, // the "[" row is left to the platform
        {{5, 4}, L"\u00E4r", 0}, // a typed character beyond ASCII leaves every row open
        {{5, 4}, L"x", 1},       // an entry beginning beyond ASCII may begin with anything
        {{}, L"c", -1},           {{1, 2}, L"c:\\alphabet", -1}, // longer than the entry
    };
    for (const auto& c : cases)
        EXPECT_EQ(Holding(entries, c.shown).FirstRowThatMayBegin(c.text), c.row)
            << std::string(c.text.begin(), c.text.end());
}

TEST(SearchListEditing, BackspaceTakesTheSelectionOrTheCharacterBeforeTheCaret)
{
    struct Case {
        std::wstring text;
        size_t start, end;
        std::wstring after;
        size_t caret;
    } const cases[] = {
        {L"alpha", 5, 5, L"alph", 4},    {L"alpha", 2, 2, L"apha", 1},
        {L"alpha", 0, 0, L"alpha", 0},   // nothing before the caret
        {L"alpha", 1, 4, L"aa", 1},      // the selection goes
        {L"alpha", 4, 1, L"alpa", 3},    // an end before the start counts as the caret
        {L"alpha", 9, 9, L"alph", 4},    // beyond the text: at its end
        {L"a\U0001F600", 3, 3, L"a", 1}, // a surrogate pair goes whole
        {L"a\xDE00", 2, 2, L"a", 1},     // a lone low surrogate goes alone
    };
    for (const auto& c : cases) {
        const auto edited = search::Backspace(c.text, c.start, c.end);
        EXPECT_EQ(edited.text, c.after) << c.start << "," << c.end;
        EXPECT_EQ(edited.selStart, c.caret) << c.start << "," << c.end;
        EXPECT_EQ(edited.selEnd, c.caret) << c.start << "," << c.end;
    }
}

TEST(SearchListEditing, ATypedCharacterReplacesTheSelectionAndCompletionSelectsTheRest)
{
    EXPECT_EQ(search::TypedOver(L"C:\\alpha", 3, 8, L'b'), L"C:\\b");
    EXPECT_EQ(search::TypedOver(L"C:\\", 3, 3, L'a'), L"C:\\a");
    EXPECT_EQ(search::TypedOver(L"ab", 9, 9, L'c'), L"abc");
    EXPECT_EQ(search::TypedOver(L"abcd", 3, 1, L'x'), L"abcxd");

    // The entry's own case stands after the typed text, which keeps the user's.
    const auto completed = search::Completed(L"c:\\al", L"C:\\Alpha");
    EXPECT_EQ(completed.text, L"c:\\alpha");
    EXPECT_EQ(completed.selStart, 5u);
    EXPECT_EQ(completed.selEnd, 8u);
    const auto whole = search::Completed(L"c:\\alpha", L"C:\\Alpha");
    EXPECT_EQ(whole.text, L"c:\\alpha");
    EXPECT_EQ(whole.selStart, whole.selEnd);
}

} // namespace
