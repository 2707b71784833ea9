#include <gtest/gtest.h>

#include "core/rules/AppError.h"
#include "core/rules/PathListText.h"
#include "support/Raised.h"

namespace {

using pathlist::Encoding;

TEST(PathListEncoding, RecognisesTheThreeMarksAndNothingElse)
{
    struct Case {
        std::string bytes;
        Encoding encoding;
        size_t mark;
    };
    const Case cases[] = {
        {"\xEF\xBB\xBF"
         "C:\\",
         Encoding::Utf8, 3},
        {"\xFF\xFE"
         "C\0",
         Encoding::Utf16LE, 2},
        {"\xFE\xFF\0C", Encoding::Utf16BE, 2},
        {std::string("\xFF\xFE\0\0", 4), Encoding::Utf16LE, 2}, // UTF-32 LE is not recognised as such
        {std::string("\0\0\xFE\xFF", 4), Encoding::Ansi, 0},
        {"\xEF\xBB", Encoding::Ansi, 0},
        {"C:\\", Encoding::Ansi, 0},
        {"", Encoding::Ansi, 0},
    };
    for (const auto& c : cases) {
        const auto detected = pathlist::DetectEncoding(c.bytes);
        EXPECT_EQ(detected.encoding, c.encoding) << testing::PrintToString(c.bytes);
        EXPECT_EQ(detected.markLength, c.mark) << testing::PrintToString(c.bytes);
    }
}

TEST(PathListEncoding, DecodesUtf16BothWaysRound)
{
    const std::string le("C\0:\0\xE9\0\x3D\xD8\x00\xDE", 10); // C : é U+1F600
    const std::string be("\0C\0:\0\xE9\xD8\x3D\xDE\x00", 10);
    EXPECT_EQ(pathlist::DecodeUnicode(le, Encoding::Utf16LE), L"C:\u00e9\U0001F600");
    EXPECT_EQ(pathlist::DecodeUnicode(be, Encoding::Utf16BE), L"C:\u00e9\U0001F600");
}

TEST(PathListEncoding, InvalidUtf8BehindTheMarkRaisesTheSystemsMessage)
{
    EXPECT_EQ(RaisedMessage([] { pathlist::DecodeUnicode("C:\\caf\xE9", Encoding::Utf8); }),
              L"No mapping for the Unicode character exists in the target multi-byte code page");
}

TEST(PathListRows, SplitAtEveryKindOfLineBreak)
{
    struct Case {
        std::wstring text;
        std::vector<std::wstring> rows;
    };
    const Case cases[] = {
        {L"", {}},
        {L"a", {L"a"}},
        {L"a\r\n", {L"a"}},
        {L"a\r\nb", {L"a", L"b"}},
        {L"a\rb\nc\r\nd", {L"a", L"b", L"c", L"d"}},
        {L"a\n\nb\n", {L"a", L"", L"b"}},
        {L"a\r\n\r\n", {L"a", L""}},
        {L"\n", {L""}},
        {L"a\n\r", {L"a", L""}}, // LF then a lone CR: two breaks
        {L" a \r\n", {L" a "}},  // rows are taken as they stand
    };
    for (const auto& c : cases)
        EXPECT_EQ(pathlist::SplitRows(c.text), c.rows) << testing::PrintToString(c.text);
}

TEST(PathListRows, CommentsAndDeepRowsAreRecognisedOnlyAtTheVeryStart)
{
    using Kind = pathlist::Row::Kind;
    struct Case {
        std::wstring row;
        Kind kind;
        std::wstring folder;
        bool deeper;
    };
    const Case cases[] = {
        {L"//comment", Kind::Comment, L"", false},
        {L"//C:\\Users", Kind::Comment, L"", false},
        {L" //C:\\Users", Kind::Folder, L" //C:\\Users", false},
        {L"/C:\\Users", Kind::Folder, L"/C:\\Users", false},
        {L"*C:\\Users", Kind::Folder, L"C:\\Users", true},
        {L"* C:\\Users", Kind::Folder, L" C:\\Users", true},
        {L"**C:\\Users", Kind::Folder, L"*C:\\Users", true},
        {L"*", Kind::Folder, L"", true},
        {L" C:\\Users", Kind::Folder, L" C:\\Users", false},
        {L"", Kind::Folder, L"", false},
    };
    for (const auto& c : cases) {
        const auto row = pathlist::ParseRow(c.row);
        EXPECT_EQ(row.kind, c.kind) << testing::PrintToString(c.row);
        EXPECT_EQ(row.folder, c.folder) << testing::PrintToString(c.row);
        EXPECT_EQ(row.deeper, c.deeper) << testing::PrintToString(c.row);
    }
}

TEST(PathListDefault, IsUtf8WithMarkAndSixLinesEachEndingInCrLf)
{
    const std::string expected = "\xEF\xBB\xBF"
                                 "//ENTER BELOW THE DIRECTORIES IN WHICH TO LOOK\r\n"
                                 "//Insert an asterisk (*) before a line to search recursively within the folder\r\n"
                                 "\r\n"
                                 "\r\n"
                                 "C:\\Users\\J\xC3\xB6rg\\Start Menu\\Programs\r\n"
                                 "C:\\Users\\J\xC3\xB6rg\\Documents\r\n";
    EXPECT_EQ(
        pathlist::DefaultContent(L"C:\\Users\\J\u00f6rg\\Start Menu\\Programs", L"C:\\Users\\J\u00f6rg\\Documents"),
        expected);
}

} // namespace
