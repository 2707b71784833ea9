#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <filesystem>

#include "core/AppPathHelper.h"
#include "core/WindowsSpecialFolderHelper.h"
#include "core/rules/TextConv.h"
#include "support/AppFolderSandbox.h"
#include "support/TestFiles.h"

namespace {

namespace fs = std::filesystem;

using AppFolder = AppFolderSandbox;

TEST_F(AppFolder, IsCreatedBelowDocuments)
{
    EXPECT_EQ(GetAppFolder(), documents + L"\\zarvi");
    EXPECT_TRUE(fs::is_directory(documents + L"\\zarvi"));
}

TEST_F(AppFolder, MissingPathListGetsTheDefaultContentByteForByte)
{
    const std::wstring file = GetPathListFile();
    EXPECT_EQ(file, documents + L"\\zarvi\\zarvi.txt");
    const std::string expected = "\xEF\xBB\xBF"
                                 "//ENTER BELOW THE DIRECTORIES IN WHICH TO LOOK\r\n"
                                 "//Insert an asterisk (*) before a line to search recursively within the folder\r\n"
                                 "\r\n\r\n" +
                                 WideToUtf8(GetSpecialFolder(CSIDL_PROGRAMS)) + "\r\n" + WideToUtf8(documents) + "\r\n";
    EXPECT_EQ(testfiles::ReadBytes(file), expected);
}

TEST_F(AppFolder, ExistingPathListIsNeverRewrittenEvenWhenEmpty)
{
    for (const std::string& content : {std::string(), std::string("D:\\Music\r\n")}) {
        testfiles::WriteBytes(documents + L"\\zarvi\\zarvi.txt", content);
        EXPECT_EQ(GetPathListFile(), documents + L"\\zarvi\\zarvi.txt");
        EXPECT_EQ(testfiles::ReadBytes(documents + L"\\zarvi\\zarvi.txt"), content);
    }
}

TEST_F(AppFolder, DeletedPathListAndFolderComeBack)
{
    const std::wstring file = GetPathListFile();
    fs::remove_all(documents + L"\\zarvi");
    EXPECT_EQ(GetPathListFile(), file);
    EXPECT_TRUE(fs::is_regular_file(file));
}

TEST_F(AppFolder, FolderNamedLikeThePathListFailsToEmpty)
{
    fs::create_directories(documents + L"\\zarvi\\zarvi.txt");
    EXPECT_EQ(GetPathListFile(), L"");
}

TEST_F(AppFolder, SettingsFileIsNamedButNotCreated)
{
    EXPECT_EQ(GetSettingsFile(), documents + L"\\zarvi\\zarvi.ini");
    EXPECT_FALSE(fs::exists(documents + L"\\zarvi\\zarvi.ini"));
    EXPECT_TRUE(fs::is_directory(documents + L"\\zarvi"));
}

TEST(AppFolderWithoutDocuments, FallsBackToTheRootOfTheCurrentDrive)
{
    // Documents pointing at a drive that does not exist makes the lookup fail.
    testfiles::UserRegistryValue personal(L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                                          L"Personal", L"Q:\\no\\such\\Documents");
    testfiles::UserRegistryValue personalShell(L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                                               L"Personal", L"Q:\\no\\such\\Documents");
    wchar_t probe[MAX_PATH] = {};
    if (SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, probe)))
        GTEST_SKIP() << "the Documents lookup still succeeds: " << testing::PrintToString(std::wstring(probe));

    ASSERT_TRUE(::SetCurrentDirectoryW(L"C:\\"));
    fs::remove_all(L"C:\\zarvi");
    EXPECT_EQ(GetAppFolder(), L"\\zarvi");
    EXPECT_TRUE(fs::is_directory(L"C:\\zarvi"));
    EXPECT_EQ(GetSettingsFile(), L"\\zarvi\\zarvi.ini");
    fs::remove_all(L"C:\\zarvi");
}

TEST(AppFolderOnAFullDisk, DefaultPathListIsWholeOrAbsentNeverCut)
{
    const std::wstring full = testfiles::FullDiskFolder();
    if (full.empty())
        GTEST_SKIP() << "this bench has no full disk (drive F: needs root to mount)";
    testfiles::DocumentsAt documents(full);
    ASSERT_EQ(GetSpecialFolder(CSIDL_PERSONAL), full);

    // A cut or empty file would be kept for ever and end every show in the empty-list stop.
    EXPECT_EQ(GetPathListFile(), L"");
    EXPECT_FALSE(fs::exists(full + L"\\zarvi\\zarvi.txt"));
    EXPECT_FALSE(fs::exists(full + L"\\zarvi\\zarvi.txt.new"));
    fs::remove_all(full + L"\\zarvi");
}

TEST(ExeFile, NamesTheRunningProgram)
{
    const std::wstring exe = GetExeFile();
    EXPECT_EQ(exe.substr(exe.size() - 4), L".exe");
    EXPECT_EQ(GetExeName(), exe.substr(exe.find_last_of(L"\\") + 1));
    EXPECT_EQ(GetExeName(), L"system_tests.exe");
}

} // namespace
