// Writes that replace a file whole keep what the user made of the file: a symbolic link stays a
// link and its target gets the new text, a hard link stays shared, the attributes stay, and a
// link whose target is missing is left alone rather than replaced with a default list.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "core/AppPathHelper.h"
#include "core/FileHelper.h"
#include "core/SettingsFile.h"
#include "core/rules/TextConv.h"
#include "support/AppFolderSandbox.h"
#include "support/Probe.h"
#include "support/Raised.h"
#include "support/TestFiles.h"

namespace {

class WriteTarget : public AppFolderSandbox {
protected:
    void SetUp() override
    {
        AppFolderSandbox::SetUp();
        testfiles::MakeFolder(appFolder);
        unixApp = testfiles::UnixPath(appFolder);
        unixSynced = testfiles::UnixPath(synced.Str());
    }

    void TearDown() override
    {
        // Wine shows no link whose target is gone, so the sandbox could not remove it: the
        // Linux side does, or it would stand in every later test's way.
        if (!unixApp.empty())
            Host("rm -f '" + unixApp + "/zarvi.ini' '" + unixApp + "/zarvi.txt'");
        AppFolderSandbox::TearDown();
    }

    // Runs a shell script on the Linux side (links are made there: Wine follows them as Windows
    // follows its own) and waits for it; true when every command succeeded.
    bool Host(const std::string& script)
    {
        const std::wstring marker = synced / L"host-done";
        ::DeleteFileW(marker.c_str());
        const std::string done = unixSynced + "/host-done";
        if (!probe::RunHostCommand(Utf8ToWide("/bin/sh -c \"" + script + " && touch '" + done + "'\"")))
            return false;
        return probe::WaitUntil([&] { return ::GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES; }, 5000);
    }

    testfiles::TempDir synced; // stands for a synced folder elsewhere
    std::string unixApp, unixSynced;
};

TEST_F(WriteTarget, ALinkStaysALinkAndItsTargetGetsTheNewText)
{
    if (unixApp.empty())
        GTEST_SKIP() << "links are made from the Linux side";
    testfiles::WriteBytes(synced / L"zarvi.ini", "[Settings]\r\nHotkey=space\r\n");
    testfiles::WriteBytes(synced / L"zarvi.txt", "C:\\first\r\n");
    ASSERT_TRUE(Host("ln -s '" + unixSynced + "/zarvi.ini' '" + unixApp + "/zarvi.ini' && ln -s '" + unixSynced +
                     "/zarvi.txt' '" + unixApp + "/zarvi.txt'"));

    WriteSettingString(L"Hotkey", L"m");
    AppendFolderToPathList(appFolder + L"\\zarvi.txt", L"C:\\second");

    EXPECT_EQ(testfiles::ReadBytes(synced / L"zarvi.ini"), "[Settings]\r\nHotkey=m\r\n");
    EXPECT_EQ(testfiles::ReadBytes(synced / L"zarvi.txt"), "C:\\first\r\nC:\\second\r\n");
    EXPECT_TRUE(Host("test -L '" + unixApp + "/zarvi.ini' && test -L '" + unixApp + "/zarvi.txt'"))
        << "a link was replaced by a file";
}

TEST_F(WriteTarget, AHardLinkStaysSharedAndTheAttributesStay)
{
    if (unixApp.empty())
        GTEST_SKIP() << "links are made from the Linux side";
    const std::wstring ini = appFolder + L"\\zarvi.ini";
    testfiles::WriteBytes(ini, "[Settings]\r\nHotkey=space\r\n");
    ASSERT_TRUE(Host("ln '" + unixApp + "/zarvi.ini' '" + unixSynced + "/other-name.ini'"));
    WriteSettingString(L"Hotkey", L"x");
    EXPECT_EQ(testfiles::ReadBytes(synced / L"other-name.ini"), "[Settings]\r\nHotkey=x\r\n");

    const std::wstring list = appFolder + L"\\zarvi.txt";
    testfiles::WriteBytes(list, "C:\\first\r\n");
    ASSERT_TRUE(::SetFileAttributesW(list.c_str(), FILE_ATTRIBUTE_HIDDEN));
    AppendFolderToPathList(list, L"C:\\second");
    EXPECT_EQ(testfiles::ReadBytes(list), "C:\\first\r\nC:\\second\r\n");
    EXPECT_TRUE(::GetFileAttributesW(list.c_str()) & FILE_ATTRIBUTE_HIDDEN) << "the hidden attribute was lost";
}

TEST_F(WriteTarget, ALinkWhoseTargetIsMissingIsLeftAloneAndNamed)
{
    if (unixApp.empty())
        GTEST_SKIP() << "links are made from the Linux side";
    ASSERT_TRUE(Host("ln -s '" + unixSynced + "/not-synced-yet.txt' '" + unixApp + "/zarvi.txt'"));
    const std::wstring list = GetPathListFile();
    EXPECT_EQ(list, appFolder + L"\\zarvi.txt");
    EXPECT_EQ(RaisedMessage([&] { ReadPathListRows(list); }),
              L"Cannot open file \"" + list + L"\". It is a link whose target is missing.");
    EXPECT_TRUE(Host("test -L '" + unixApp + "/zarvi.txt' && test ! -e '" + unixApp + "/zarvi.txt'"))
        << "the link was replaced or its target made";
    EXPECT_TRUE(ReplaceFileWhole(list, "C:\\x\r\n")) << "a write through a dangling link must fail";
}

} // namespace
