#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/rules/SearchFilter.h"

namespace {

using Words = std::vector<std::wstring>;

// The rule as the user sees it, spelled out the slow way: fold both sides afresh for every
// word and entry. The fast index must agree with it on every input.
std::vector<uint32_t> ReferenceMatch(const std::vector<std::wstring>& entries, const std::wstring& typed)
{
    std::wstring t = typed;
    while (!t.empty() && static_cast<unsigned>(t.front()) <= 32)
        t.erase(t.begin());
    while (!t.empty() && static_cast<unsigned>(t.back()) <= 32)
        t.pop_back();
    Words words;
    if (!t.empty()) {
        std::wstring current;
        for (wchar_t c : t) {
            if (c == L' ') {
                words.push_back(current);
                current.clear();
            } else {
                current.push_back(c);
            }
        }
        words.push_back(current);
    }
    auto upper = [](std::wstring s) {
        for (auto& c : s)
            if (c >= L'a' && c <= L'z')
                c = static_cast<wchar_t>(c - 32);
        return s;
    };
    std::vector<uint32_t> result;
    for (uint32_t i = 0; i < entries.size(); ++i) {
        bool all = true;
        for (const auto& w : words)
            if (w.empty() || upper(entries[i]).find(upper(w)) == std::wstring::npos)
                all = false;
        if (all)
            result.push_back(i);
    }
    return result;
}

TEST(SplitWords, FollowsTheTypedSpacesExactly)
{
    struct Case {
        std::wstring typed;
        Words words;
    };
    const Case cases[] = {
        {L"", {}},
        {L"   ", {}},
        {L"\t \r\n", {}},
        {L"docs", {L"DOCS"}},
        {L"  Docs  ", {L"DOCS"}},
        {L"a b", {L"A", L"B"}},
        {L"a  b", {L"A", L"", L"B"}},
        {L"a\tb", {L"A\tB"}},                   // only the space separates words
        {L"\u00e9t\u00c9", {L"\u00e9T\u00c9"}}, // accented letters are not folded
    };
    for (const auto& c : cases)
        EXPECT_EQ(search::SplitWords(std::wstring_view(c.typed)), c.words) << "typed: [" << c.typed.size() << "]";
}

class EntryIndexMatch : public ::testing::Test {
protected:
    const std::vector<std::wstring> entries{
        L"",
        L"C:\\Users\\Ann\\Documents\\Report 2026.docx",
        L"C:\\Users\\Ann\\Documents\\budget.xlsx",
        L"C:\\Users\\Ann\\Music",
        L"C:\\Users\\Ann\\Music\\\u00c9t\u00e9.mp3",
        L"D:\\Projects\\zarvi\\README.md",
        L"D:\\Projects\\report-tool",
    };
    const search::EntryIndex<wchar_t> index{entries};

    std::vector<uint32_t> Match(const std::wstring& typed) const
    {
        return index.Match(search::SplitWords(std::wstring_view(typed)));
    }
};

TEST_F(EntryIndexMatch, FindsEntriesContainingEveryWord)
{
    struct Case {
        const wchar_t* typed;
        std::vector<uint32_t> expected;
    };
    const Case cases[] = {
        {L"report", {1, 6}},           {L"REPORT", {1, 6}},    {L"RePoRt", {1, 6}}, {L"ann report", {1}},
        {L"report ann", {1}},                                  // order of the words does not matter
        {L"  report  ", {1, 6}},                               // leading and trailing spaces ignored
        {L"ann  report", {}},                                  // two spaces make an empty word: nothing matches
        {L" ", {0, 1, 2, 3, 4, 5, 6}},                         // spaces only: every entry, the empty first row too
        {L"", {0, 1, 2, 3, 4, 5, 6}},  {L"music", {3, 4}},     // a folder name lists the folder and all below it
        {L"\u00e9t\u00e9", {}},                                // an accented capital does not match its small letter
        {L"\u00c9t\u00e9", {4}},       {L"\u00c9T\u00c9", {}}, // ...nor the other way round
        {L"c:\\users", {1, 2, 3, 4}},  {L"xlsx docx", {}},     {L"md", {5}},        {L"zzz", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Match(c.typed), c.expected) << "typed: " << testing::PrintToString(std::wstring(c.typed));
}

TEST(EntryIndex, EmptyStoredListMatchesNothing)
{
    const search::EntryIndex<wchar_t> index{std::vector<std::wstring>{}};
    EXPECT_TRUE(index.Match({}).empty());
    EXPECT_TRUE(index.Match({L"A"}).empty());
}

TEST(EntryIndex, WordNeverMatchesAcrossTwoEntries)
{
    const std::vector<std::wstring> entries{L"abc", L"def"};
    const search::EntryIndex<wchar_t> index{entries};
    EXPECT_TRUE(index.Match({L"CD"}).empty());
    EXPECT_TRUE(index.Match({std::wstring(L"C") + L'\0' + L"D"}).empty());
}

TEST(EntryIndex, Utf8BytesGiveTheSameAnswersAsWideText)
{
    const std::vector<std::string> entries{"", "C:\\Caf\xC3\xA9\\menu.txt", "C:\\CAF\xC3\x89\\Menu.txt"};
    const search::EntryIndex<char> index{entries};
    EXPECT_EQ(index.Match(search::SplitWords(std::string_view("caf\xC3\xA9"))), (std::vector<uint32_t>{1}));
    EXPECT_EQ(index.Match(search::SplitWords(std::string_view("menu"))), (std::vector<uint32_t>{1, 2}));
}

// Random text over `alphabet`, up to `maxLength` characters.
std::wstring RandomText(std::mt19937& random, const std::wstring& alphabet, size_t maxLength)
{
    std::wstring s(random() % (maxLength + 1), L' ');
    for (auto& c : s)
        c = alphabet[random() % alphabet.size()];
    return s;
}

// Random lists over `entryAlphabet` after an empty first entry, each asked twenty random texts
// over `typedAlphabet`: `Index` must answer as the slow rule does.
template <typename Index>
void ExpectAgreesWithTheSlowRule(std::mt19937& random, const std::wstring& entryAlphabet,
                                 const std::wstring& typedAlphabet, int rounds, size_t maxEntries,
                                 size_t maxEntryLength, size_t maxTypedLength)
{
    for (int round = 0; round < rounds; ++round) {
        std::vector<std::wstring> entries{L""};
        const size_t count = random() % maxEntries;
        for (size_t i = 0; i < count; ++i)
            entries.push_back(RandomText(random, entryAlphabet, maxEntryLength));
        const Index index{entries};
        ASSERT_EQ(index.Size(), entries.size());
        for (int q = 0; q < 20; ++q) {
            const std::wstring typed = RandomText(random, typedAlphabet, maxTypedLength);
            ASSERT_EQ(index.Match(search::SplitWords(std::wstring_view(typed))), ReferenceMatch(entries, typed))
                << "round " << round << " typed " << testing::PrintToString(typed);
        }
    }
}

TEST(EntryIndex, AgreesWithTheSlowRuleOnRandomInput)
{
    // Small alphabets make many overlapping and repeated hits, where a fast search goes wrong.
    const std::wstring alphabet = L"abAB\\ .\u00e9\u00c9z";
    std::mt19937 random(20261210);
    ExpectAgreesWithTheSlowRule<search::EntryIndex<wchar_t>>(random, alphabet, alphabet, 200, 40, 12, 6);
}

// Lists whose characters all fit in a byte are kept narrow, others wide: the answers are the
// slow rule's either way, for words of any characters.
TEST(CompactEntryIndex, AgreesWithTheSlowRuleForNarrowAndWideLists)
{
    struct Case {
        const char* name;
        std::wstring entryAlphabet, typedAlphabet;
    } const cases[] = {
        // U+0141 and U+01E9 share their low bytes with "A" and an accented "e": only the whole
        // character may tell them apart.
        {"AsciiList", L"abAB\\ .z", L"abAB\\ .z\u00e9\u0141"},
        {"LatinOneList", L"aA\\ .\u00e9\u00c9\u00ff", L"aA \u00e9\u00c9\u00ff\u0141\u01e9"},
        {"WideList", L"aA\\ .\u00e9\u0141", L"aA \u00e9\u0141\u01e9"},
    };
    std::mt19937 random(20261211);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectAgreesWithTheSlowRule<search::CompactEntryIndex<wchar_t>>(random, c.entryAlphabet, c.typedAlphabet, 100,
                                                                        30, 10, 5);
    }
}

// Long lists look for a rare word only in the entries holding its kinds of character; kinds are
// shared by some punctuation, and by every character beyond ASCII: the answers stay the rule's.
TEST(CompactEntryIndex, LongListsAgreeWithTheSlowRuleWhenRareWordsAreLookedForByKinds)
{
    struct Case {
        const char* name;
        std::wstring entryAlphabet, typedAlphabet;
    } const cases[] = {
        {"NarrowList", L"abcdefghijABCDEFGHIJ0123456789!/(.\\ \u00e9", L"abcdefghijZ09!/(.\u00c9\u00e9"},
        {"WideList", L"abcdefghijABCDEFGHIJ0123456789!/(.\\ \u00e9\u0141", L"acegiZ09!/(\u00e9\u0141\u01e9"},
    };
    std::mt19937 random(20261212);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectAgreesWithTheSlowRule<search::CompactEntryIndex<wchar_t>>(random, c.entryAlphabet, c.typedAlphabet, 4,
                                                                        20000, 8, 3);
        ExpectAgreesWithTheSlowRule<search::EntryIndex<wchar_t>>(random, c.entryAlphabet, c.typedAlphabet, 2, 20000, 8,
                                                                 3);
    }
}

// The lines found in the raw text, without an index, as the command-line filter finds them.
class LinesFound {
public:
    explicit LinesFound(const std::vector<std::wstring>& entries) : count_(entries.size())
    {
        for (const auto& e : entries)
            text_ += std::string(e.begin(), e.end()) + "\n"; // ASCII only
    }
    size_t Size() const noexcept { return count_; }
    std::vector<uint32_t> Match(const std::vector<std::wstring>& words) const
    {
        std::vector<std::string> narrow;
        for (const auto& w : words)
            narrow.emplace_back(w.begin(), w.end());
        std::vector<uint32_t> lines;
        search::ForEachLineContaining(text_, '\n', narrow, [&](std::string_view line) {
            const auto offset = static_cast<size_t>(line.data() - text_.data());
            lines.push_back(static_cast<uint32_t>(
                std::count(text_.begin(), text_.begin() + static_cast<std::ptrdiff_t>(offset), '\n')));
        });
        return lines;
    }

private:
    std::string text_;
    size_t count_;
};

TEST(LinesContaining, AgreeWithTheSlowRuleWithoutAnIndex)
{
    // Lines around the sixteen places compared at once, repeated letters that start false
    // candidates, and words of one character (no second to compare).
    const std::wstring alphabet = L"abAB\\ .z09";
    std::mt19937 random(20261214);
    ExpectAgreesWithTheSlowRule<LinesFound>(random, alphabet, alphabet, 120, 300, 40, 4);
    ExpectAgreesWithTheSlowRule<LinesFound>(random, L"aAbB", L"ab", 120, 50, 60, 3);
}

TEST(CompactEntryIndex, MayBeginWithLeavesAllButAsciiDifferencesOpen)
{
    struct Case {
        const char* name;
        std::wstring entry, typed;
        bool may;
    } const cases[] = {
        {"SameLettersOtherCase", L"C:\\Notes", L"c:\\no", true},
        {"WholeEntry", L"C:\\Notes", L"c:\\notes", true},
        {"AsciiDifference", L"C:\\Notes", L"c:\\nx", false},
        {"EntryShorterThanText", L"C:", L"c:\\", false},
        {"AccentedInEntryBeforeAnyDifference", L"\u00c9cole", L"\u00e9x", true},
        {"AccentedInTextOnly", L"Ecole", L"\u00e9", true},
        {"WideCharacterInEntry", L"\u212aelvin", L"k", true},
        {"AsciiDifferenceBeforeTheAccent", L"A\u00c9", L"b\u00e9", false},
        {"NarrowListAccentedEntry", L"caf\u00e9", L"CAF\u00c9", true},
    };
    for (const Case& c : cases) {
        const std::vector<std::wstring> entries{L"", c.entry};
        const search::CompactEntryIndex<wchar_t> index{entries};
        EXPECT_EQ(index.MayBeginWith(1, search::Folded(std::wstring_view(c.typed))), c.may) << c.name;
    }
}

} // namespace
