#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

#include "support/OpenedLog.h"
#include "support/SearchHost.h"
#include "support/TestFiles.h"

namespace {

using Items = std::vector<std::wstring>;

const Items kEntries{
    L"",
    L"D:\\Users\\Ann\\Documents\\Report 2026.docx",
    L"D:\\Users\\Ann\\Documents\\budget.xlsx",
    L"D:\\Users\\Ann\\Music",
    L"D:\\Users\\Ann\\Music\\\u00c9t\u00e9.mp3",
    L"E:\\Projects\\report-tool",
};

class SearchBox : public ::testing::Test {
protected:
    void SetUp() override
    {
        opened::Clear();
        host.box->SetStoredItems(kEntries);
        host.Settle();
    }
    SearchHost host;
};

TEST_F(SearchBox, HandOverShowsEveryEntryInListStyleWithNothingSelected)
{
    EXPECT_FALSE(host.box->IsTypingStyle());
    EXPECT_EQ(host.Shown(), kEntries);
    EXPECT_EQ(host.box->ItemIndex(), CB_ERR);
    EXPECT_EQ(host.box->Text(), L"");
    EXPECT_EQ(host.box->StoredItems(), kEntries);
}

TEST_F(SearchBox, FirstPrintableCharacterSwitchesToTypingWithThatCharacterInTheEditField)
{
    host.Type(L"m");
    ASSERT_TRUE(host.box->IsTypingStyle());
    EXPECT_EQ(probe::WindowText(host.box->EditField()), L"m");
    EXPECT_EQ(::GetFocus(), host.box->EditField());
    EXPECT_TRUE(host.ListOpen());
    EXPECT_EQ(host.Shown(), (Items{kEntries[1], kEntries[2], kEntries[3], kEntries[4]}));
}

struct FilterCase {
    const char* name;
    std::wstring typed;
    Items expected;
};

class SearchBoxFilter : public SearchBox, public ::testing::WithParamInterface<FilterCase> {};

TEST_P(SearchBoxFilter, ShowsEntriesContainingEveryTypedWord)
{
    host.Type(GetParam().typed);
    EXPECT_EQ(probe::WindowText(host.box->EditField()), GetParam().typed);
    EXPECT_EQ(host.Shown(), GetParam().expected);
    EXPECT_EQ(host.box->ItemIndex(), CB_ERR);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SearchBoxFilter,
    ::testing::Values(FilterCase{"OneWord", L"report", {kEntries[1], kEntries[5]}},
                      FilterCase{"CapitalsFindTheSame", L"REPORT", {kEntries[1], kEntries[5]}},
                      FilterCase{"WordsInAnyOrder", L"report ann", {kEntries[1]}},
                      FilterCase{"LeadingAndTrailingSpaces", L"  ann report  ", {kEntries[1]}},
                      FilterCase{"TwoSpacesInARowMatchNothing", L"ann  report", {}},
                      FilterCase{"SpacesOnlyListEverything", L"   ", kEntries},
                      // Only ASCII letters fold: an accented capital and its small letter differ.
                      FilterCase{"AccentedCapitalIsNotItsSmallLetter", L"music \u00e9t\u00e9", {}},
                      FilterCase{"AccentedCapitalMatchesItself", L"music \u00c9t\u00e9", {kEntries[4]}},
                      FilterCase{"FolderNameListsEverythingBelow", L"music", {kEntries[3], kEntries[4]}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SearchBox, PrefixCompletionSelectsTheRestWithoutNarrowing)
{
    host.Type(L"d");
    EXPECT_EQ(probe::WindowText(host.box->EditField()), L"d:\\Users\\Ann\\Documents\\Report 2026.docx");
    const auto [start, end] = host.EditSelection();
    EXPECT_EQ(start, 1u);
    EXPECT_EQ(end, kEntries[1].size());
    EXPECT_EQ(host.Shown(), kEntries) << "completion must not narrow the list";

    // Backspace removes the selected rest, still without narrowing.
    host.Press(VK_BACK);
    EXPECT_EQ(probe::WindowText(host.box->EditField()), L"d");
    EXPECT_EQ(host.Shown(), kEntries);
    EXPECT_EQ(host.EditSelection(), (std::pair<DWORD, DWORD>{1, 1}));

    // A character that completes nothing is typed and narrows by the whole text.
    host.Type(L"o");
    EXPECT_EQ(probe::WindowText(host.box->EditField()), L"do");
    EXPECT_EQ(host.Shown(), (Items{kEntries[1], kEntries[2]}));
}

// Completion asks the platform's prefix search only from the first row that may begin with the
// typed text, and not at all when none can: whatever the rows, it completes exactly what that
// search finds from the first row.
TEST_F(SearchBox, PrefixCompletionCompletesWhatThePlatformsSearchFinds)
{
    struct Case {
        const char* name;
        Items rows; // after an empty first row
        std::wstring typed;
    } const cases[] = {
        {"PlainLetterOtherCase", {L"D:\\report.docx", L"x:\\notes.txt"}, L"X"},
        {"PlainLetterNoRowBeginsWith", {L"D:\\report.docx", L"x:\\notes.txt"}, L"q"},
        {"SeveralCharactersNoRowBeginsWith", {L"D:\\report.docx"}, L"d:\\rx"},
        {"DifferenceLateInTheTextGoesToALaterRow", {L"D:\\report.docx", L"D:\\rx\\notes.txt"}, L"d:\\rx"},
        {"ARowShorterThanTheTextIsPassed", {L"D:\\r", L"D:\\report.docx"}, L"d:\\re"},
        {"AccentedCapital", {L"D:\\report.docx", L"\u00c9cole\\plan.txt"}, L"\u00e9"},
        {"AccentedCapitalInsideTheText", {L"D:\\report.docx", L"D:\\\u00c9t\u00e9.mp3"}, L"d:\\\u00e9"},
        {"KelvinSignForK", {L"D:\\report.docx", L"\u212aelvin\\scale.txt"}, L"k"},
        {"DriveInBrackets", {L"D:\\report.docx", L"[-c-]"}, L"c"},
        {"FolderInBrackets", {L"D:\\report.docx", L"[music]"}, L"m"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Items rows{L""};
        rows.insert(rows.end(), c.rows.begin(), c.rows.end());
        // What the platform's own search finds for the typed text in the same rows.
        const HWND plain = ::CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | CBS_DROPDOWN | CBS_HASSTRINGS, 0, 0, 100,
                                             100, host.window, nullptr, nullptr, nullptr);
        for (const auto& row : rows)
            ::SendMessageW(plain, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
        const LRESULT found =
            ::SendMessageW(plain, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(c.typed.c_str()));
        ::DestroyWindow(plain);
        const std::wstring expected =
            found == CB_ERR ? c.typed : c.typed + rows[static_cast<size_t>(found)].substr(c.typed.size());

        SearchHost fresh;
        fresh.box->SetStoredItems(rows);
        fresh.Settle();
        fresh.Type(c.typed);
        EXPECT_EQ(probe::WindowText(fresh.box->EditField()), expected);
    }
}

TEST_F(SearchBox, AnyTypedCharacterStartsTheSearchWhateverItsScript)
{
    const Items entries{L"", L"D:\\\u65e5\u672c\u8a9e.txt", L"D:\\\u00e9cole", L"D:\\ecole", L"D:\\\u00c9t\u00e9"};
    struct Case {
        const char* name;
        std::wstring typed;
        Items shown;
    } const cases[] = {
        {"Accented", L"\u00e9c", {entries[2]}},
        {"OnlyNonLatinLetters", L"\u65e5\u672c", {entries[1]}},
        {"NoBreakSpaceFirst", L"\u00a0", {}},
    };
    for (const auto& c : cases) {
        host.box->SetStoredItems(entries);
        host.Settle();
        ASSERT_FALSE(host.box->IsTypingStyle()) << c.name;
        host.Type(c.typed);
        ASSERT_TRUE(host.box->IsTypingStyle()) << c.name;
        EXPECT_EQ(probe::WindowText(host.box->EditField()), c.typed) << c.name << ": no character may be lost";
        EXPECT_EQ(host.Shown(), c.shown) << c.name;
    }
}

TEST_F(SearchBox, DeleteCharacterDoesNotStartTheSearch)
{
    ::SendMessageW(host.box->Combo(), WM_CHAR, 127, 0);
    host.Settle();
    EXPECT_FALSE(host.box->IsTypingStyle());
    EXPECT_EQ(host.Shown(), kEntries);
}

TEST_F(SearchBox, ForgetsItsComboWhenTheOwnerDestroysIt)
{
    // The owner's destruction takes the children first; the box must not keep, and later
    // destroy, a handle that may by then name another window.
    ::DestroyWindow(host.window);
    EXPECT_EQ(host.box->Combo(), nullptr);
    EXPECT_EQ(host.box->EditField(), nullptr);
}

TEST_F(SearchBox, BackspaceWithoutSelectionDeletesOneCharacterBeforeTheCaret)
{
    host.Type(L"musi");
    host.Press(VK_BACK);
    EXPECT_EQ(probe::WindowText(host.box->EditField()), L"mus");
    EXPECT_EQ(host.EditSelection(), (std::pair<DWORD, DWORD>{3, 3}));
    EXPECT_EQ(host.Shown(), (Items{kEntries[3], kEntries[4]})) << "Backspace does not filter again";
}

TEST_F(SearchBox, EscapeClearsASelectedEntryAndLeavesAnUnselectedBoxAlone)
{
    host.Press(VK_ESCAPE);
    EXPECT_EQ(host.box->ItemIndex(), CB_ERR);
    EXPECT_EQ(host.box->Text(), L"");

    ::SendMessageW(host.box->Combo(), CB_SETCURSEL, 2, 0);
    ASSERT_EQ(host.box->Text(), kEntries[2]);
    host.Press(VK_ESCAPE);
    EXPECT_EQ(host.box->Text(), L"");
    EXPECT_EQ(host.box->ItemIndex(), 0);
}

TEST_F(SearchBox, CloseUpReturnsToTheFullListKeepingTheSelectedEntry)
{
    host.Type(L"budget");
    ASSERT_EQ(host.Shown(), (Items{kEntries[2]}));
    host.Press(VK_DOWN);
    host.Press(VK_RETURN); // closes the list; the entry names no real file, so nothing opens
    EXPECT_FALSE(host.box->IsTypingStyle());
    EXPECT_EQ(host.Shown(), kEntries);
    EXPECT_EQ(host.box->Text(), kEntries[2]);
    EXPECT_TRUE(::IsWindowVisible(host.window));
}

TEST_F(SearchBox, FocusLeavingForAnotherControlRestoresTheFullList)
{
    host.Type(L"music");
    host.Press(VK_DOWN);
    const std::wstring selected = host.box->Text();
    ::SetFocus(host.button);
    host.Settle();
    EXPECT_FALSE(host.box->IsTypingStyle());
    EXPECT_EQ(host.Shown(), kEntries);
    EXPECT_EQ(host.box->Text(), selected);
}

TEST_F(SearchBox, HandOverWhileTypingReturnsToListStyleWithNothingSelected)
{
    host.Type(L"ann");
    const Items next{L"", L"F:\\one", L"F:\\two"};
    host.box->SetStoredItems(next);
    host.Settle();
    EXPECT_FALSE(host.box->IsTypingStyle());
    EXPECT_EQ(host.Shown(), next);
    EXPECT_EQ(host.box->ItemIndex(), CB_ERR);
    EXPECT_EQ(host.box->Text(), L"");
}

TEST_F(SearchBox, HandOverOfAnotherListOfTheSameLengthShowsTheNewEntries)
{
    Items next = kEntries;
    next[3] = L"G:\\Replaced";
    host.box->SetStoredItems(next);
    host.Settle();
    EXPECT_EQ(host.Shown(), next);
    host.Type(L"replaced");
    EXPECT_EQ(host.Shown(), (Items{L"G:\\Replaced"}));
}

TEST_F(SearchBox, EachNarrowingKeystrokeShowsExactlyTheMatchingEntries)
{
    // Typing on narrows the list step by step; every step must equal a fresh filter.
    const std::vector<std::pair<std::wstring, Items>> steps{
        {L"u", {kEntries[1], kEntries[2], kEntries[3], kEntries[4]}},
        {L"s", {kEntries[1], kEntries[2], kEntries[3], kEntries[4]}},
        {L"e", {kEntries[1], kEntries[2], kEntries[3], kEntries[4]}},
        {L"r", {kEntries[1], kEntries[2], kEntries[3], kEntries[4]}},
        {L"s", {kEntries[1], kEntries[2], kEntries[3], kEntries[4]}},
        {L" ", {kEntries[1], kEntries[2], kEntries[3], kEntries[4]}},
        {L"m", {kEntries[1], kEntries[2], kEntries[3], kEntries[4]}},
        {L"u", {kEntries[3], kEntries[4]}},
        {L"s", {kEntries[3], kEntries[4]}},
        {L"i", {kEntries[3], kEntries[4]}},
        {L"c", {kEntries[3], kEntries[4]}},
        {L" ", {kEntries[3], kEntries[4]}},
        {L"p", {kEntries[4]}},
    };
    std::wstring typed;
    for (const auto& [key, expected] : steps) {
        host.Type(key);
        typed += key;
        EXPECT_EQ(host.Shown(), expected) << testing::PrintToString(typed);
    }
}

// The box's combos: the one shown, and any kept hidden (one made ahead, replaced ones emptied).
std::pair<int, int> ShownAndAllCombos(HWND box)
{
    int shown = 0, all = 0;
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (probe::ClassName(child) != L"ComboBox")
            continue;
        ++all;
        shown += (::GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) != 0;
    }
    return {shown, all};
}

void SettleIdleWork(SearchHost& host)
{
    probe::WaitUntil([&] {
        host.Settle();
        return !host.box->IsIdleWorkPending();
    });
}

// A list too long to empty row by row goes to a fresh combo: the user sees the same search, the
// same text and caret, the list open and the focus in the box, and the replaced combo is gone
// once the user pauses.
TEST_F(SearchBox, LongListsNarrowInAFreshComboThatKeepsTheSearchAsTheUserLeftIt)
{
    Items entries{L""};
    for (int i = 0; i < 30'000; ++i)
        entries.push_back(L"C:\\data\\entry-" + std::to_wstring(100'000 + i));
    host.box->SetStoredItems(entries);
    host.Settle();
    // The first character, then back to an empty text: every row in typing style.
    host.Type(L"e");
    ::SendMessageW(host.box->EditField(), EM_SETSEL, 0, -1);
    host.Press(VK_BACK);
    ASSERT_GE(host.Shown().size(), entries.size() - 1); // every entry (the empty row aside)
    SettleIdleWork(host);

    for (const std::wstring typed : {L"7", L"77", L"777"}) {
        host.Type(typed.substr(typed.size() - 1));
        Items expected;
        for (const auto& entry : entries)
            if (entry.find(typed) != std::wstring::npos)
                expected.push_back(entry);
        EXPECT_EQ(host.Shown(), expected) << testing::PrintToString(typed);
        EXPECT_EQ(probe::WindowText(host.box->EditField()), typed);
        EXPECT_EQ(host.EditSelection(),
                  std::make_pair(static_cast<DWORD>(typed.size()), static_cast<DWORD>(typed.size())));
        EXPECT_TRUE(host.ListOpen());
        EXPECT_EQ(::GetFocus(), host.box->EditField());
    }
    SettleIdleWork(host);
    EXPECT_EQ(ShownAndAllCombos(host.box->Handle()), std::make_pair(1, 2)) << "the box's combo and one made ahead";
}

// A first scan hands its list over as it grows: the rows there stay, in the same control (a long
// list is otherwise filled anew in a fresh one), with the one chosen; the new ones follow. While
// the user types, the search takes the new entries in and the text stays. Rows beyond what fits in
// a moment follow between keys.
TEST_F(SearchBox, AListHandedOverAsItGrowsAddsItsRowsAfterThoseShown)
{
    const auto share = [](const Items& items) { return std::make_shared<const Items>(items); };
    Items grown = kEntries;
    for (int i = 0; i < 25'000; ++i)
        grown.push_back(L"C:\\data\\entry-" + std::to_wstring(i));
    host.box->UpdateStoredItems(share(grown));
    SettleIdleWork(host);
    const HWND combo = host.box->Combo();
    ::SendMessageW(combo, CB_SETCURSEL, 2, 0);

    grown.push_back(L"F:\\Ann\\later.txt");
    host.box->UpdateStoredItems(share(grown));
    SettleIdleWork(host);
    EXPECT_EQ(host.Shown(), grown);
    EXPECT_EQ(host.box->Combo(), combo) << "the rows shown were kept";
    EXPECT_EQ(host.box->Text(), kEntries[2]) << "the chosen row stays chosen";

    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    host.Type(L"ann");
    grown.push_back(L"F:\\Bob\\x.txt");
    grown.push_back(L"F:\\Ann\\last.txt");
    host.box->UpdateStoredItems(share(grown));
    SettleIdleWork(host);
    EXPECT_EQ(host.Shown(),
              (Items{kEntries[1], kEntries[2], kEntries[3], kEntries[4], L"F:\\Ann\\later.txt", L"F:\\Ann\\last.txt"}));
    EXPECT_EQ(probe::WindowText(host.box->EditField()), L"ann");
}

// Rows of a long list handed over go in a moment at a time: the box answers a key typed meanwhile
// at once, from the whole list, and no row still to come turns up in the search afterwards.
TEST_F(SearchBox, AKeyTypedWhileRowsAreStillComingIsAnsweredFromTheWholeList)
{
    Items grown = kEntries;
    for (int i = 0; i < 200'000; ++i)
        grown.push_back(L"C:\\data\\entry-" + std::to_wstring(i));
    grown.push_back(L"F:\\Ann\\last.txt");
    host.box->UpdateStoredItems(std::make_shared<const Items>(grown));
    ASSERT_TRUE(host.box->RowsPending()) << "200,000 rows do not go in at once";
    EXPECT_LT(host.Shown().size(), grown.size());

    host.Type(L"ann");
    SettleIdleWork(host);
    EXPECT_EQ(host.Shown(),
              (Items{kEntries[1], kEntries[2], kEntries[3], kEntries[4], L"F:\\Ann\\last.txt"}));
    EXPECT_FALSE(host.box->RowsPending());
}

class SearchBoxEnter : public SearchBox {
protected:
    void SetUp() override
    {
        SearchBox::SetUp();
        testfiles::Touch(dir / L"Alpha.zarvitest");
        testfiles::MakeFolder(dir / L"Folder");
    }
    testfiles::TempDir dir;
};

TEST_F(SearchBoxEnter, OpensAnExistingFileEvenOutsideTheListAndHidesTheBar)
{
    host.Type(dir / L"Alpha.zarvitest");
    host.Press(VK_RETURN);
    EXPECT_EQ(opened::WaitForPaths(1), Items{dir / L"Alpha.zarvitest"});
    EXPECT_FALSE(::IsWindowVisible(host.window));
}

TEST_F(SearchBoxEnter, OpensAFolder)
{
    host.Type(dir / L"Folder");
    host.Press(VK_RETURN);
    EXPECT_EQ(opened::WaitForPaths(1), Items{dir / L"Folder"});
    EXPECT_FALSE(::IsWindowVisible(host.window));
}

TEST_F(SearchBoxEnter, EnterSentToTheComboItselfOpensOnce)
{
    // In typing style the combo hands a character on to its edit field: one key, one handling.
    host.Type(dir / L"Alpha.zarvitest");
    ASSERT_TRUE(host.box->IsTypingStyle());
    ::SendMessageW(host.box->Combo(), CB_SHOWDROPDOWN, FALSE, 0);
    ::SendMessageW(host.box->Combo(), WM_CHAR, L'\r', 0);
    host.Settle();
    EXPECT_EQ(opened::WaitForPaths(1), Items{dir / L"Alpha.zarvitest"});
    EXPECT_FALSE(probe::WaitUntil([] { return opened::Paths().size() > 1; }, 1500)) << "opened twice";
}

TEST_F(SearchBoxEnter, TextNamingNothingDoesNothing)
{
    host.Type(dir / L"Nothing here");
    host.Press(VK_RETURN);
    EXPECT_TRUE(::IsWindowVisible(host.window));
    EXPECT_FALSE(probe::WaitUntil([] { return !opened::Paths().empty(); }, 1000));
}

TEST_F(SearchBoxEnter, EnterOpensTheCompletedEntry)
{
    host.box->SetStoredItems({L"", dir / L"Alpha.zarvitest", dir / L"Folder"});
    host.Settle();
    host.Type(L"c");
    ASSERT_EQ(probe::WindowText(host.box->EditField()), L"c" + (dir / L"Alpha.zarvitest").substr(1));
    host.Press(VK_RETURN);
    const auto paths = opened::WaitForPaths(1);
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_EQ(_wcsicmp(paths[0].c_str(), (dir / L"Alpha.zarvitest").c_str()), 0) << testing::PrintToString(paths[0]);
    EXPECT_FALSE(::IsWindowVisible(host.window));
}

} // namespace
