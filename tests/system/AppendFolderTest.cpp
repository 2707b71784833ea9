#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>

#include "core/AppPathHelper.h"
#include "core/FileHelper.h"
#include "core/Handle.h"
#include "core/rules/AppError.h"
#include "core/rules/IoErrorText.h"
#include "core/rules/TextConv.h"
#include "support/AppFolderSandbox.h"
#include "support/Raised.h"
#include "support/TestFiles.h"

namespace {

TEST(IoErrorText, NamesTheCommonCodesAndNumbersTheRest)
{
    const std::pair<unsigned long, std::wstring> cases[] = {{2, L"File not found"},
                                                            {3, L"Invalid filename"},
                                                            {4, L"Too many open files"},
                                                            {5, L"File access denied"},
                                                            {100, L"Read beyond end of file"},
                                                            {101, L"Disk full"},
                                                            {106, L"Invalid numeric input"},
                                                            {32, L"I/O error 32"},
                                                            {0, L"I/O error 0"}};
    for (const auto& [code, text] : cases)
        EXPECT_EQ(IoErrorText(code), text) << code;
}

struct AppendCase {
    const char* name;
    std::string before;
    std::wstring folder;
    std::string after;
};

class AppendFolder : public ::testing::TestWithParam<AppendCase> {};

TEST_P(AppendFolder, AddsARowInTheFilesOwnEncoding)
{
    testfiles::TempDir dir;
    const std::wstring file = dir / L"zarvi.txt";
    if (std::string(GetParam().name) != "MissingFile")
        testfiles::WriteBytes(file, GetParam().before);
    AppendFolderToPathList(file, GetParam().folder);
    EXPECT_EQ(testfiles::ReadBytes(file), GetParam().after);
    EXPECT_EQ(::GetFileAttributesW((file + L".new").c_str()), INVALID_FILE_ATTRIBUTES) << "a leftover";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AppendFolder,
    ::testing::Values(AppendCase{"AnsiAccentIsOneByte", "C:\\A\r\n", L"C:\\Caf\u00e9", "C:\\A\r\nC:\\Caf\xE9\r\n"},
                      AppendCase{"LastRowWithoutBreakGetsOne", "C:\\A", L"C:\\B", "C:\\A\r\nC:\\B\r\n"},
                      AppendCase{"LoneLfCountsAsABreak", "C:\\A\n", L"C:\\B", "C:\\A\nC:\\B\r\n"},
                      AppendCase{"MissingFile", "", L"C:\\B", "C:\\B\r\n"},
                      AppendCase{"Utf8Mark",
                                 "\xEF\xBB\xBF"
                                 "C:\\A",
                                 L"C:\\\u03a9",
                                 "\xEF\xBB\xBF"
                                 "C:\\A\r\nC:\\\xCE\xA9\r\n"},
                      AppendCase{"Utf16Le",
                                 std::string("\xFF\xFE"
                                             "A\0",
                                             4),
                                 L"B\u03a9",
                                 std::string("\xFF\xFE"
                                             "A\0\r\0\n\0B\0\xA9\x03\r\0\n\0",
                                             16)},
                      AppendCase{"Utf16Be", std::string("\xFE\xFF\0A\0\n", 6), L"B",
                                 std::string("\xFE\xFF\0A\0\n\0B\0\r\0\n", 12)},
                      // Omega is not in code page 1252: the whole file becomes UTF-8 with its mark, rows intact.
                      AppendCase{"AnsiCannotHoldTheFolder", "C:\\Caf\xE9\r\n", L"C:\\\u03a9mega",
                                 "\xEF\xBB\xBF"
                                 "C:\\Caf\xC3\xA9\r\nC:\\\xCE\xA9mega\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AppendFolderErrors, ReportTheIoErrorAndChangeNothing)
{
    testfiles::TempDir dir;
    const std::wstring file = dir / L"zarvi.txt";
    testfiles::WriteBytes(file, "C:\\A\r\n");
    auto raised = [&](const std::wstring& path) {
        return RaisedMessage([&] { AppendFolderToPathList(path, L"C:\\B"); });
    };
    {
        // Another program writing the file.
        FileHandle writer(::CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(writer);
        EXPECT_EQ(raised(file), L"I/O error 32");
    }
    testfiles::MakeFolder(dir / L"folder.txt");
    EXPECT_EQ(raised(dir / L"folder.txt"), L"File access denied");
    EXPECT_EQ(raised(dir / L"missing\\zarvi.txt"), L"Invalid filename");
    EXPECT_EQ(testfiles::ReadBytes(file), "C:\\A\r\n");
}

} // namespace

namespace {

using AppendFolderToMissingPathList = AppFolderSandbox;

TEST_F(AppendFolderToMissingPathList, FollowsTheDefaultContentInItsEncoding)
{
    const std::wstring file = GetPathListFile(); // writes the default content (UTF-8 with its mark)
    const std::string defaults = testfiles::ReadBytes(file);
    AppendFolderToPathList(file, L"C:\\Caf\u00e9");
    EXPECT_EQ(testfiles::ReadBytes(file), defaults + WideToUtf8(L"C:\\Caf\u00e9") + "\r\n");
}

} // namespace
