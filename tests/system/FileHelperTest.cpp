#include <gtest/gtest.h>

#include <windows.h>

#include "core/FileHelper.h"
#include "core/Handle.h"
#include "core/WinError.h"
#include "core/rules/AppError.h"
#include "core/rules/TextConv.h"
#include "support/Probe.h"
#include "support/TestFiles.h"
#include "support/Raised.h"

namespace {

using testfiles::TempDir;
using Rows = std::vector<std::wstring>;

TEST(ReadPathListRows, DecodesByByteOrderMarkAndAnsiWithout)
{
    struct Case {
        const char* name;
        std::string bytes;
        Rows rows;
    };
    const Case cases[] = {
        {"Utf8Mark",
         "\xEF\xBB\xBF"
         "C:\\Caf\xC3\xA9\r\n*D:\\x",
         {L"C:\\Caf\u00e9", L"*D:\\x"}},
        {"Utf16LeMark",
         std::string("\xFF\xFE"
                     "C\0:\0\xE9\0\n\0",
                     10),
         {L"C:\u00e9"}},
        {"Utf16BeMark", std::string("\xFE\xFF\0C\0:\0\xE9\0\r", 10), {L"C:\u00e9"}},
        {"AnsiIsCodePage1252", "C:\\Caf\xE9\r\nC:\\\x80", {L"C:\\Caf\u00e9", L"C:\\\u20ac"}},
        // UTF-8 without its mark is read as ANSI: the row no longer names the folder.
        {"Utf8WithoutMarkIsAnsi", "C:\\Caf\xC3\xA9", {L"C:\\Caf\u00c3\u00a9"}},
        {"LineBreaksOfEveryKind", "a\r\nb\rc\nd\r\n", {L"a", L"b", L"c", L"d"}},
        {"EmptyLinesInside", "a\r\n\r\nb", {L"a", L"", L"b"}},
        {"Empty", "", {}},
        {"MarkOnly", "\xEF\xBB\xBF", {}},
    };
    TempDir dir;
    for (const auto& c : cases) {
        const std::wstring file = dir / L"paths.txt";
        testfiles::WriteBytes(file, c.bytes);
        EXPECT_EQ(ReadPathListRows(file), c.rows) << c.name;
    }
}

TEST(ReadPathListRows, InvalidUtf8BehindTheMarkRaisesTheSystemsMessage)
{
    TempDir dir;
    testfiles::WriteBytes(dir / L"paths.txt", "\xEF\xBB\xBF"
                                              "C:\\Caf\xE9\r\n");
    EXPECT_EQ(RaisedMessage([&] { ReadPathListRows(dir / L"paths.txt"); }),
              L"No mapping for the Unicode character exists in the target multi-byte code page");
}

TEST(ReadPathListRows, FileThatCannotBeOpenedNamesItselfAndTheReason)
{
    TempDir dir;
    const std::wstring missing = dir / L"missing.txt";
    EXPECT_EQ(RaisedMessage([&] { ReadPathListRows(missing); }),
              L"Cannot open file \"" + missing + L"\". " + SystemErrorText(ERROR_FILE_NOT_FOUND));

    // Another program writing the file: we deny writers, so we cannot open it.
    const std::wstring locked = dir / L"locked.txt";
    testfiles::WriteBytes(locked, "C:\\\r\n");
    FileHandle writer(::CreateFileW(locked.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(writer);
    EXPECT_EQ(RaisedMessage([&] { ReadPathListRows(locked); }),
              L"Cannot open file \"" + locked + L"\". " + SystemErrorText(ERROR_SHARING_VIOLATION));
}

TEST(JoinPath, PutsOneSeparatorUnlessTheFolderEndsInOne)
{
    EXPECT_EQ(JoinPath(L"C:\\a", L"b"), L"C:\\a\\b");
    EXPECT_EQ(JoinPath(L"C:\\a\\", L"b"), L"C:\\a\\b");
    EXPECT_EQ(JoinPath(L"C:/a/", L"b"), L"C:/a/b");
    EXPECT_EQ(JoinPath(L"X:", L"b"), L"X:b");
    EXPECT_EQ(JoinPath(L"", L"b"), L"\\b");
    EXPECT_EQ(RaisedMessage([] { JoinPath(L"C:\\a", L"b\"c"); }), L"Illegal characters in path");
    EXPECT_EQ(RaisedMessage([] { JoinPath(L"C:\\a|", L"b"); }), L"Illegal characters in path");
}

TEST(Exists, FollowsLinksToTheirTargets)
{
    TempDir dir;
    testfiles::Touch(dir / L"file.txt");
    testfiles::MakeFolder(dir / L"folder");
    // Links are made from the Linux side: Wine follows them as Windows follows its own links.
    const std::string unixDir = testfiles::UnixPath(dir.Str());
    if (unixDir.empty())
        GTEST_SKIP() << "not running under Wine";
    const std::wstring unixWide = Utf8ToWide(unixDir);
    ASSERT_TRUE(probe::RunHostCommand(L"/bin/sh -c \"cd '" + unixWide +
                                      L"' && ln -s folder folder-link && ln -s gone dangling && touch made\""));
    ASSERT_TRUE(probe::WaitUntil([&] { return FileExists(dir / L"made"); }, 5000)) << "the links were not made";

    struct Case {
        std::wstring path;
        bool file, folder;
    };
    const Case cases[] = {
        {dir / L"file.txt", true, false},  {dir / L"folder", false, true},   {dir / L"folder-link", false, true},
        {dir / L"dangling", false, false}, {dir / L"missing", false, false}, {L"", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FileExists(c.path), c.file) << testing::PrintToString(c.path);
        EXPECT_EQ(DirectoryExists(c.path), c.folder) << testing::PrintToString(c.path);
        EXPECT_EQ(FileOrDirectoryExists(c.path), c.file || c.folder) << testing::PrintToString(c.path);
    }
}

class ScanFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testfiles::Touch(dir / L"a.txt");
        testfiles::MakeFolder(dir / L"b");
        testfiles::Touch(dir / L"b\\b1.txt");
        testfiles::MakeFolder(dir / L"b\\inner");
        testfiles::Touch(dir / L"b\\inner\\too-deep.txt");
        testfiles::Touch(dir / L"b\\secret.txt", FILE_ATTRIBUTE_HIDDEN);
        testfiles::MakeFolder(dir / L"c");
        testfiles::Touch(dir / L"c\\c1.txt", FILE_ATTRIBUTE_READONLY);
        testfiles::Touch(dir / L"hidden.txt", FILE_ATTRIBUTE_HIDDEN);
        testfiles::Touch(dir / L"system.txt", FILE_ATTRIBUTE_SYSTEM);
        testfiles::MakeFolder(dir / L"hidden-folder", FILE_ATTRIBUTE_HIDDEN);
        testfiles::Touch(dir / L"hidden-folder\\x.txt");
    }
    std::vector<std::wstring> Scan(const std::wstring& folder, bool deeper)
    {
        std::vector<std::wstring> list{L""};
        ScanFolder(folder, list, deeper);
        return list;
    }
    TempDir dir;
};

TEST_F(ScanFolderTest, PlainRowListsVisibleChildrenOneLevelDeep)
{
    const std::wstring d = dir.Str();
    EXPECT_EQ(Scan(d, false), (Rows{L"", d + L"\\a.txt", d + L"\\b", d + L"\\c"}));
}

TEST_F(ScanFolderTest, DeepRowListsEachSubfolderFollowedByItsChildrenAndNoTopFile)
{
    const std::wstring d = dir.Str();
    EXPECT_EQ(Scan(d, true),
              (Rows{L"", d + L"\\b", d + L"\\b\\b1.txt", d + L"\\b\\inner", d + L"\\c", d + L"\\c\\c1.txt"}));
}

TEST_F(ScanFolderTest, TrailingSeparatorGivesTheSameEntries)
{
    EXPECT_EQ(Scan(dir.Str() + L"\\", false), Scan(dir.Str(), false));
    EXPECT_EQ(Scan(dir.Str() + L"\\", true), Scan(dir.Str(), true));
}

TEST_F(ScanFolderTest, MissingFolderAddsNothingAndReportsTheSearchError)
{
    std::vector<std::wstring> list{L""};
    EXPECT_NE(ScanFolder(dir / L"missing", list, false), 0ul);
    EXPECT_EQ(list, Rows{L""});
}

TEST(ScanFolderDeep, ManySubfoldersKeepEveryNameIntact)
{
    // Enough entries that the list grows many times while a subfolder is being scanned.
    TempDir dir;
    std::vector<std::wstring> expected{L""};
    for (int f = 0; f < 40; ++f) {
        wchar_t name[16];
        swprintf(name, 16, L"folder%02d", f);
        const std::wstring folder = dir / name;
        testfiles::MakeFolder(folder);
        expected.push_back(folder);
        for (int i = 0; i < 12; ++i) {
            wchar_t file[16];
            swprintf(file, 16, L"file%02d.txt", i);
            testfiles::Touch(folder + L"\\" + file);
            expected.push_back(folder + L"\\" + file);
        }
    }
    std::vector<std::wstring> list{L""};
    ScanFolder(dir.Str(), list, true);
    EXPECT_EQ(list, expected);
}

TEST(ScanDriveRoot, JoinsTheNameDirectlyAfterTheColon)
{
    // X: is mapped to C:\zarvi-xdrive in the test prefix.
    ASSERT_TRUE(DirectoryExists(L"X:\\")) << "drive X: is not mapped";
    testfiles::Touch(L"C:\\zarvi-xdrive\\root-file.txt");
    std::vector<std::wstring> list;
    ScanFolder(L"X:", list, false);
    ::DeleteFileW(L"C:\\zarvi-xdrive\\root-file.txt");
    EXPECT_EQ(list, Rows{L"X:root-file.txt"});
}

} // namespace
