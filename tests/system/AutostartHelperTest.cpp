#include <gtest/gtest.h>

#include <windows.h>

#include <optional>

#include "core/AppPathHelper.h"
#include "core/AutostartHelper.h"
#include "core/SettingsFile.h"
#include "support/AppFolderSandbox.h"
#include "support/Raised.h"
#include "support/TestFiles.h"

namespace {

// The Run value under this program's name as the registry holds it: type and data.
struct RunValue {
    DWORD type;
    std::wstring data;
    bool operator==(const RunValue&) const = default;
};

std::optional<RunValue> ReadRunValue()
{
    wchar_t data[1024] = {};
    DWORD size = sizeof(data);
    DWORD type = 0;
    if (::RegGetValueW(HKEY_CURRENT_USER, kRunKey, GetExeName().c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type, data,
                       &size) != ERROR_SUCCESS)
        return std::nullopt;
    return RunValue{type, std::wstring(data, size / sizeof(wchar_t) - (size >= 2 && !data[size / 2 - 1] ? 1 : 0))};
}

void WriteRunValue(const std::wstring& data)
{
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, GetExeName().c_str(), REG_SZ, data.c_str(),
                      static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

class Autostart : public AppFolderSandbox {
protected:
    void SetUp() override
    {
        AppFolderSandbox::SetUp();
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, GetExeName().c_str());
        quoted = L"\"" + GetExeFile() + L"\"";
    }
    void TearDown() override
    {
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, GetExeName().c_str());
        AppFolderSandbox::TearDown();
    }
    std::wstring Stored() { return ReadSettingString(L"Autostart", L"(none)"); }
    std::wstring quoted;
};

TEST_F(Autostart, FreshAccountStoresOffAndWritesNoValue)
{
    ApplyAutostart();
    EXPECT_EQ(Stored(), L"0");
    EXPECT_EQ(ReadRunValue(), std::nullopt);
}

TEST_F(Autostart, SwitchingOnAndOffWritesTheFileAndTheQuotedPath)
{
    SetAutostart(true);
    EXPECT_EQ(Stored(), L"1");
    EXPECT_EQ(ReadRunValue(), (RunValue{REG_SZ, quoted}));
    EXPECT_TRUE(IsInAutostart());
    EXPECT_TRUE(LoadAutostart());

    SetAutostart(false);
    EXPECT_EQ(Stored(), L"0");
    EXPECT_EQ(ReadRunValue(), std::nullopt);
    EXPECT_FALSE(LoadAutostart());
}

TEST_F(Autostart, StartRepairsTheRunValueFromTheStoredChoice)
{
    struct Case {
        const char* name;
        const char* settings;              // null: no settings file
        std::optional<std::wstring> value; // the Run value before the start
        std::wstring stored;
        bool registered;
    } const cases[] = {
        {"DeletedByHandWhileOn", "[Settings]\r\nAutostart=1\r\n", std::nullopt, L"1", true},
        {"AddedByHandWithoutAChoice", nullptr, L"C:\\old\\place.exe --minimised", L"1", true},
        {"AddedByHandWhileOff", "[Settings]\r\nAutostart=0\r\n", L"anything", L"0", false},
        {"MovedWhileOn", "[Settings]\r\nAutostart=1\r\n", L"\"C:\\old\\zarvi.exe\"", L"1", true},
        {"WordTrueReadsAsTheRunKey", "[Settings]\r\nAutostart=true\r\n", std::nullopt, L"0", false},
    };
    for (const auto& c : cases) {
        ::DeleteFileW(GetSettingsFile().c_str());
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, GetExeName().c_str());
        if (c.settings)
            testfiles::WriteBytes(GetSettingsFile(), c.settings);
        if (c.value)
            WriteRunValue(*c.value);
        ApplyAutostart();
        EXPECT_EQ(Stored(), c.stored) << c.name;
        if (c.registered)
            EXPECT_EQ(ReadRunValue(), (RunValue{REG_SZ, quoted})) << c.name;
        else
            EXPECT_EQ(ReadRunValue(), std::nullopt) << c.name;
    }
}

TEST_F(Autostart, UnwritableSettingsFileLeavesTheRunKeyAsItWas)
{
    // A folder in the file's place refuses every write.
    testfiles::MakeFolder(GetSettingsFile());
    EXPECT_EQ(RaisedMessage([] { SetAutostart(true); }), L"Unable to write to " + GetSettingsFile());
    EXPECT_EQ(ReadRunValue(), std::nullopt);
}

} // namespace
