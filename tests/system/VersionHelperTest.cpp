#include <gtest/gtest.h>

#include <windows.h>

#include "core/AppPathHelper.h"
#include "core/VersionHelper.h"
#include "support/Raised.h"

namespace {

TEST(VersionBlock, StringsComeFromTheFirstTranslationOnly)
{
    const auto block = LoadVersionBlock(::GetModuleHandleW(nullptr), 2);
    struct Case {
        const wchar_t* name;
        const wchar_t* value;
    } const cases[] = {{L"ProductVersion", L"2.10 (de)"}, {L"LegalCopyright", L"(C) Beispiel"}, {L"CompanyName", L""}};
    for (const auto& c : cases)
        EXPECT_EQ(VersionStringIn(block, c.name), c.value) << testing::PrintToString(std::wstring(c.name));
    EXPECT_EQ(AppVersionIn(block), L"2.10") << "major and minor of 2.10.3.7";
}

TEST(VersionBlock, NoTranslationGivesEmptyStrings)
{
    const auto block = LoadVersionBlock(::GetModuleHandleW(nullptr), 3);
    EXPECT_EQ(VersionStringIn(block, L"ProductVersion"), L"");
    EXPECT_EQ(AppVersionIn(block), L"0.7");
}

TEST(VersionBlock, MissingBlockRaisesResourceNotFoundAndTheFileHasNoVersion)
{
    // This test program carries no block of id 1: the program's own lookups fail as they would.
    EXPECT_EQ(RaisedMessage([] { GetProductVersion(); }), L"Resource 1 not found");
    EXPECT_EQ(RaisedMessage([] { GetCopyright(); }), L"Resource 1 not found");
    EXPECT_EQ(AppVersionOfFile(GetExeFile()), L"");
    EXPECT_EQ(AppVersionOfFile(L"C:\\no\\such\\file.exe"), L"");
}

} // namespace
