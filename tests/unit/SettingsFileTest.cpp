#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <filesystem>

#include "core/AppPathHelper.h"
#include "core/Handle.h"
#include "core/KeyHookHelper.h"
#include "core/SettingsFile.h"
#include "core/WindowsSpecialFolderHelper.h"
#include "core/rules/AppError.h"
#include "core/rules/ProfileValue.h"
#include "support/TestFiles.h"

namespace {

TEST(ProfileBool, ReadsNumbersAndFallsBackOnAnythingElse)
{
    struct Case {
        const wchar_t* text;
        bool fallbackFalse; // result with fallback false
        bool fallbackTrue;  // result with fallback true
    };
    const Case cases[] = {
        {L"1", true, true},           {L"-1", true, true},        {L"2", true, true},
        {L"0x10", true, true},        {L"0x1", true, true},       {L"$1", true, true},
        {L"x1", true, true},          {L"  7", true, true},       {L"+0", false, false},
        {L"0", false, false},         {L"0x0", false, false},     {L"true", false, true},
        {L"yes", false, true},        {L"on", false, true},       {L"", false, true},
        {L"1 ", false, true},         {L"0x", false, true},       {L"2147483648", false, true},
        {L"-2147483648", true, true}, {L"$FFFFFFFF", true, true}, {L"$100000000", false, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseProfileBool(c.text, false), c.fallbackFalse) << testing::PrintToString(std::wstring(c.text));
        EXPECT_EQ(ParseProfileBool(c.text, true), c.fallbackTrue) << testing::PrintToString(std::wstring(c.text));
    }
}

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::remove_all(GetAppFolder());
        file = GetSettingsFile();
    }
    void TearDown() override { std::filesystem::remove_all(GetAppFolder()); }
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
    try {
        WriteSettingBool(L"Autostart", false);
        FAIL() << "a refused write was reported as done";
    } catch (const AppError& e) {
        EXPECT_EQ(e.Message(), L"Unable to write to " + file);
    }
    EXPECT_TRUE(ReadSettingBool(L"Autostart", true));
    EXPECT_EQ(ReadSettingString(L"Hotkey", L"space"), L"space");
}

TEST(SettingsFileOnAFullDisk, RefusedWriteLeavesNoEmptyFileBehind)
{
    const std::wstring full = testfiles::FullDiskFolder();
    if (full.empty())
        GTEST_SKIP() << "this bench has no full disk (drive F: needs root to mount)";
    const std::wstring file = full + L"\\zarvi.ini";
    try {
        TSettingsAccess(file).WriteString(kSettingsSection, L"Hotkey", L"m");
        FAIL() << "a write to a full disk was reported as done";
    } catch (const AppError& e) {
        EXPECT_EQ(e.Message(), L"Unable to write to " + file);
    }
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
        EXPECT_EQ(HotkeyKey, c.key) << (c.stored ? c.stored : "(no file)");
    }
    SaveHotkey(L" M ");
    EXPECT_EQ(HotkeyName, L"m");
    EXPECT_EQ(HotkeyKey, 77u);
    EXPECT_EQ(ReadSettingString(L"Hotkey", L""), L"m");
}

} // namespace
