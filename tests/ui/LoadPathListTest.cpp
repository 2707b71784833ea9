#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <filesystem>

#include "core/AppPathHelper.h"
#include "core/Handle.h"
#include "core/MiniLogHelper.h"
#include "core/WindowsSpecialFolderHelper.h"
#include "core/rules/TextConv.h"
#include "support/AppFolderSandbox.h"
#include "support/ModalWatcher.h"
#include "support/OpenedLog.h"
#include "support/SearchHost.h"
#include "support/TestFiles.h"
#include "ui/LoadPathList.h"
#include "ui/MAIN.h"

namespace {

namespace fs = std::filesystem;
using Items = std::vector<std::wstring>;

class LoadPathListTest : public AppFolderSandbox {
protected:
    void SetUp() override
    {
        AppFolderSandbox::SetUp();
        pathList = appFolder + L"\\zarvi.txt";
        LogText.clear();
        opened::Clear();
        testfiles::Touch(dir / L"A\\a1.txt");
        testfiles::Touch(dir / L"A\\a2.txt");
        testfiles::Touch(dir / L"D\\top.txt");
        testfiles::Touch(dir / L"D\\sub\\x.txt");
        testfiles::MakeFolder(dir / L"Caf\u00e9");
        testfiles::Touch(dir / L"Caf\u00e9\\menu.txt");
    }
    void WritePathList(const std::wstring& text) { testfiles::WritePathList(pathList, text); }

    // The empty-list stop: its box is answered, and the exit code it asked for is returned.
    int ExpectStop(bool loaded)
    {
        EXPECT_FALSE(loaded);
        MSG msg{};
        EXPECT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the program was not ended";
        return static_cast<int>(msg.wParam);
    }

    std::wstring pathList;
    testfiles::TempDir dir;
    SearchHost host;
};

TEST_F(LoadPathListTest, RowsAreTakenAsTheyStandInFileOrder)
{
    const std::wstring a = dir / L"A", d = dir / L"D";
    WritePathList(L"//" + a +
                  L"\r\n" // a comment, though it names a folder
                  L" //" +
                  a + L"\r\n" // no comment, and no folder either
                  + a +
                  L"\r\n"
                  L" " +
                  a +
                  L"\r\n" // a leading space names no folder
                  L"*" +
                  d + L"\r\n" + a +
                  L"\\\r\n" // a trailing separator gives the same entries
                  L"free text\r\n"
                  L"\r\n" +
                  dir / L"missing" + L"\r\n" + a); // listed again: its entries appear again
    EXPECT_TRUE(LoadPathList(*host.box));
    const Items expected{L"",
                         a + L"\\a1.txt",
                         a + L"\\a2.txt",
                         d + L"\\sub",
                         d + L"\\sub\\x.txt",
                         a + L"\\a1.txt",
                         a + L"\\a2.txt",
                         a + L"\\a1.txt",
                         a + L"\\a2.txt"};
    EXPECT_EQ(*EntryList, expected);
    EXPECT_EQ(host.box->StoredItems(), expected);
    EXPECT_EQ(host.Shown(), expected);
    EXPECT_EQ(LogText, L"");
}

TEST_F(LoadPathListTest, Utf16FileWithNonAsciiFolderWorks)
{
    const std::wstring text = L"\uFEFF" + (dir / L"Caf\u00e9") + L"\r\n";
    std::string bytes;
    for (wchar_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    testfiles::WriteBytes(pathList, bytes);
    EXPECT_TRUE(LoadPathList(*host.box));
    EXPECT_EQ(*EntryList, (Items{L"", dir / L"Caf\u00e9\\menu.txt"}));
}

TEST_F(LoadPathListTest, ErrorWhileScanningKeepsWhatWasFoundAndLogsOnce)
{
    // A Linux file name that no Windows path may hold stops the scan at that point.
    const std::string unixDir = testfiles::UnixPath(dir.Str());
    if (unixDir.empty())
        GTEST_SKIP() << "needs Wine to make a file name Windows cannot";
    testfiles::Touch(dir / L"B\\a-good.txt");
    ASSERT_TRUE(
        probe::RunHostCommand(L"/bin/sh -c \"cd '" + Utf8ToWide(unixDir) + L"/B' && touch 'bad<name' && touch made\""));
    ASSERT_TRUE(probe::WaitUntil([&] { return fs::exists(dir / L"B\\made"); }, 5000));

    WritePathList(dir / L"A" + L"\r\n" + dir / L"B" + L"\r\n" + dir / L"A" + L"\r\n");
    EXPECT_TRUE(LoadPathList(*host.box));
    EXPECT_EQ(*EntryList, (Items{L"", dir / L"A\\a1.txt", dir / L"A\\a2.txt", dir / L"B\\a-good.txt"}));
    EXPECT_EQ(host.box->StoredItems(), *EntryList);
    EXPECT_EQ(LogText.substr(LogText.find(L"# - ") + 4),
              L"Error loading paths list from " + pathList + L" - \r\nIllegal characters in path");
}

struct StopCase {
    const char* name;
    void (*prepare)(const std::wstring& pathList, const std::wstring& folder);
    std::wstring expectedError; // empty: no error line, just the empty list
};

class EmptyListStop : public LoadPathListTest, public ::testing::WithParamInterface<StopCase> {};

TEST_P(EmptyListStop, TellsTheUserOpensThePathListAndEndsWithExitCode1)
{
    GetParam().prepare(pathList, dir.Str());
    FileHandle lock;
    if (std::string(GetParam().name) == "LockedFile")
        lock.reset(::CreateFileW(pathList.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
    ModalWatcher watcher;
    const bool loaded = LoadPathList(*host.box);
    const auto& box = watcher.Seen();
    lock.reset();

    ASSERT_TRUE(box.has_value()) << "no message was shown";
    EXPECT_EQ(box->caption, L"Zarvi");
    // A file that could not be read says why, on a line of its own after the usual text.
    const std::wstring told = kEmptyListMessage + (L"\r\n" + GetParam().expectedError);
    if (GetParam().expectedError.empty())
        EXPECT_EQ(box->text, kEmptyListMessage);
    else
        EXPECT_EQ(box->text.substr(0, told.size()), told) << testing::PrintToString(box->text);
    EXPECT_FALSE(box->hasIcon);
    EXPECT_EQ(box->buttons, Items{L"OK"});
    EXPECT_EQ(ExpectStop(loaded), 1);

    const std::wstring expectedError = GetParam().expectedError;
    const std::wstring lastLine = L"# - " + std::wstring(kEmptyListMessage);
    ASSERT_GE(LogText.size(), lastLine.size());
    EXPECT_EQ(LogText.substr(LogText.size() - lastLine.size()), lastLine);
    if (expectedError.empty()) {
        EXPECT_EQ(LogText.find(L"Error loading"), std::wstring::npos);
    } else {
        const std::wstring prefix = L"# - Error loading paths list from " + GetPathListFile() + L" - \r\n";
        EXPECT_NE(LogText.find(prefix + expectedError), std::wstring::npos) << testing::PrintToString(LogText);
    }
    if (!GetPathListFile().empty()) {
        EXPECT_EQ(opened::WaitForPaths(1), Items{pathList});
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EmptyListStop,
    ::testing::Values(StopCase{"OnlyComments",
                               [](const std::wstring& file, const std::wstring& folder) {
                                   testfiles::WriteBytes(file, "//" + WideToUtf8(folder) + "\r\n//nothing\r\n");
                               },
                               L""},
                      StopCase{"EmptyFolderAndMissingFolder",
                               [](const std::wstring& file, const std::wstring& folder) {
                                   testfiles::MakeFolder(folder + L"\\Empty");
                                   testfiles::WriteBytes(file, WideToUtf8(folder) + "\\Empty\r\n" + WideToUtf8(folder) +
                                                                   "\\none");
                               },
                               L""},
                      StopCase{"Utf8WithoutMarkIsReadAsAnsi",
                               [](const std::wstring& file, const std::wstring& folder) {
                                   testfiles::WriteBytes(file, WideToUtf8(folder + L"\\Caf\u00e9"));
                               },
                               L""},
                      StopCase{"InvalidUtf8BehindTheMark",
                               [](const std::wstring& file, const std::wstring& folder) {
                                   testfiles::WriteBytes(file, "\xEF\xBB\xBF" + WideToUtf8(folder) + "\\Caf\xE9");
                               },
                               L"No mapping for the Unicode character exists in the target multi-byte code page"},
                      StopCase{"LockedFile",
                               [](const std::wstring& file, const std::wstring& folder) {
                                   testfiles::WriteBytes(file, WideToUtf8(folder) + "\\A");
                               },
                               L"Cannot open file \""},
                      StopCase{"PathListCannotBeWritten",
                               [](const std::wstring& file, const std::wstring&) {
                                   fs::create_directories(file); // a folder where the file belongs
                               },
                               L"Cannot open file \"\". "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LoadPathListTest, DefaultFileListsStartMenuProgramsThenDocumentsWithoutHiddenItems)
{
    testfiles::Touch(documents + L"\\desktop.ini", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    testfiles::Touch(documents + L"\\visible.txt");
    const std::wstring programs = GetSpecialFolder(CSIDL_PROGRAMS);
    testfiles::Touch(programs + L"\\zarvi-test.lnk");

    EXPECT_TRUE(LoadPathList(*host.box));
    fs::remove(documents + L"\\desktop.ini");
    fs::remove(documents + L"\\visible.txt");
    fs::remove(programs + L"\\zarvi-test.lnk");

    const Items& entries = *EntryList;
    ASSERT_GE(entries.size(), 4u);
    EXPECT_EQ(entries[0], L"");
    // Programs first, then Documents, whose children include the program's own folder.
    size_t firstDocument = 1;
    while (firstDocument < entries.size() && entries[firstDocument].rfind(programs + L"\\", 0) == 0)
        ++firstDocument;
    EXPECT_GT(firstDocument, 1u);
    const Items documentEntries(entries.begin() + static_cast<std::ptrdiff_t>(firstDocument), entries.end());
    EXPECT_EQ(documentEntries, (Items{documents + L"\\visible.txt", documents + L"\\zarvi"}));
    EXPECT_NE(std::find(entries.begin(), entries.end(), programs + L"\\zarvi-test.lnk"), entries.end());
}

// "Add a folder" waits for the new list a moment only: a share that never answers must not
// freeze the bar. What is known by then is in the box.
TEST_F(LoadPathListTest, AFolderThatNeverAnswersHoldsTheBarAMomentOnly)
{
    const testfiles::SilentFolder silent;
    if (silent.Path().empty())
        GTEST_SKIP() << "needs the bench's silent share (FUSE, as root)";
    WritePathList(silent.Path() + L"\r\n" + dir / L"A");
    const DWORD start = ::GetTickCount();
    EXPECT_TRUE(LoadPathList(*host.box, nullptr, 0, kLoadPathListWaitMs));
    EXPECT_LT(::GetTickCount() - start, 2000u);
    EXPECT_EQ(host.box->StoredItems(), (Items{L"", dir / L"A\\a1.txt", dir / L"A\\a2.txt"}));
    silent.LetGo();
    EXPECT_TRUE(LoadPathList(*host.box));
    EXPECT_EQ(host.box->StoredItems(), (Items{L"", silent.Child(), dir / L"A\\a1.txt", dir / L"A\\a2.txt"}));
}

} // namespace
