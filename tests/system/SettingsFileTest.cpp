#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <filesystem>

#include "core/AppPathHelper.h"
#include "core/Handle.h"
#include "core/HotkeySetting.h"
#include "core/SettingsFile.h"
#include "core/WindowsSpecialFolderHelper.h"
#include "core/rules/AppError.h"
#include "support/AppFolderSandbox.h"
#include "support/Raised.h"
#include "support/TestFiles.h"

namespace {

class SettingsFile : public AppFolderSandbox {
protected:
    void SetUp() override
    {
        AppFolderSandbox::SetUp();
        file = GetSettingsFile();
    }
    std::wstring file;
};

TEST_F(SettingsFile, MissingFileReadsDefaultsAndWritesCreateIt)
{
    EXPECT_EQ(ReadSettingString(L"Hotkey", L"space"), L"space");
    EXPECT_TRUE(ReadSettingBool(L"Autostart", true));
    WriteSettingBool(L"Autostart", false);
    EXPECT_EQ(testfiles::ReadBytes(file), "[Settings]\r\nAutostart=0\r\n");
    EXPECT_FALSE(ReadSettingBool(L"Autostart", true));
}

TEST_F(SettingsFile, ValuesAreReadAsTheyStand)
{
    testfiles::WriteBytes(file, "[Settings]\r\nHotkey=\r\nAutostart=true\r\nDontShowTutorial=0x1\r\n");
    EXPECT_EQ(ReadSettingString(L"Hotkey", L"space"), L"");
    EXPECT_FALSE(ReadSettingBool(L"Autostart", false)) << "the word true is no number: the fallback";
    EXPECT_TRUE(ReadSettingBool(L"DontShowTutorial", false));
}

TEST_F(SettingsFile, LongValueIsCutAt2047Characters)
{
    testfiles::WriteBytes(file, "[Settings]\r\nHotkey=" + std::string(3000, 'q') + "\r\n");
    EXPECT_EQ(ReadSettingString(L"Hotkey", L"space"), std::wstring(2047, L'q'));
}

TEST_F(SettingsFile, RefusedWriteRaisesUnableToWriteAndReadsGoOn)
{
    // A folder in the file's place refuses every write, even to an administrator (the tests
    // run as root, to whom a read-only attribute is no obstacle).
    std::filesystem::create_directories(file);
    EXPECT_EQ(RaisedMessage([] { WriteSettingBool(L"Autostart", false); }), L"Unable to write to " + file);
    EXPECT_TRUE(ReadSettingBool(L"Autostart", true));
    EXPECT_EQ(ReadSettingString(L"Hotkey", L"space"), L"space");
}

TEST(SettingsFileOnAFullDisk, RefusedWriteLeavesNoEmptyFileBehind)
{
    const std::wstring full = testfiles::FullDiskFolder();
    if (full.empty())
        GTEST_SKIP() << "this bench has no full disk (drive F: needs root to mount)";
    const std::wstring file = full + L"\\zarvi.ini";
    EXPECT_EQ(RaisedMessage([&] { TSettingsAccess(file).WriteString(kSettingsSection, L"Hotkey", L"m"); }),
              L"Unable to write to " + file);
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(SettingsFile, WriteKeepsTheOtherKeysAndTheFileIsFreeAfterwards)
{
    testfiles::WriteBytes(file, "[Settings]\r\nHotkey=m\r\n");
    WriteSettingBool(L"Autostart", true);
    EXPECT_EQ(testfiles::ReadBytes(file), "[Settings]\r\nHotkey=m\r\nAutostart=1\r\n");
    // No handle of ours is left open on the file once the write is done.
    const FileHandle exclusive(::CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_TRUE(exclusive) << ::GetLastError();
}

TEST_F(SettingsFile, HotkeyIsLoadedNormalisedAndSavedNormalised)
{
    struct Case {
        const char* stored;
        std::wstring name;
        DWORD key;
    };
    const Case cases[] = {{nullptr, L"space", 32}, {"Z", L"z", 90},  {" Space ", L"space", 32},
                          {"", L"space", 32},      {"<", L"<", 226}, {"F5", L"f5", 32}};
    for (const auto& c : cases) {
        std::filesystem::remove(file);
        if (c.stored)
            testfiles::WriteBytes(file, std::string("[Settings]\r\nHotkey=") + c.stored + "\r\n");
        LoadHotkey();
        EXPECT_EQ(GetHotkeyName(), c.name) << (c.stored ? c.stored : "(no file)");
        EXPECT_EQ(HotkeyKey.load(), c.key) << (c.stored ? c.stored : "(no file)");
    }
    SaveHotkey(L" M ");
    EXPECT_EQ(HotkeyName, L"m");
    EXPECT_EQ(HotkeyKey.load(), 77u);
    EXPECT_EQ(ReadSettingString(L"Hotkey", L""), L"m");
}

} // namespace
