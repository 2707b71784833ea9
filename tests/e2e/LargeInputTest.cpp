// Inputs far beyond the everyday: the program answers the shortcut throughout and finds what
// the input holds, up to what one list takes (the cut and its reason: system/FolderScannerTest).
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>

#include "BarFixture.h"
#include "core/rules/TextConv.h"
#include "support/ManyFiles.h"
#include "support/Probe.h"
#include "support/TestFiles.h"

namespace {

using namespace e2e;

struct LargeCase {
    const char* name;
    // Makes the folders and gives the path list's text.
    std::function<std::string(const testfiles::TempDir& dir)> prepare;
    const wchar_t* typed;
    const wchar_t* found; // below the test's folder
};

class LargeInput : public Bar, public testing::WithParamInterface<LargeCase> {
protected:
    // The large folders go quickly, before the test's folder goes the slow way.
    void TearDown() override
    {
        zarvi.Stop();
        for (const wchar_t* large : {L"many", L"tree"})
            testfiles::RemoveTreeFast(dir / large);
        Bar::TearDown();
    }
};

TEST_P(LargeInput, TheShortcutAnswersAndTheSearchFindsWhatTheListHolds)
{
    const LargeCase& c = GetParam();
    const std::string list = c.prepare(dir);
    ASSERT_FALSE(list.empty());
    testfiles::WriteBytes(appFolder + L"\\zarvi.txt", "\xEF\xBB\xBF" + list);
    Start();
    for (int show = 1; show <= 2; ++show) {
        SCOPED_TRACE("show " + std::to_string(show));
        ASSERT_TRUE(ShowInFront()) << "the shortcut did not answer"
                                   << (KeepScreenshot(std::string("large-show-") + c.name) ? " (screenshot kept)" : "");
        probe::TypeText(c.typed);
        const std::wstring wanted = dir / c.found;
        // Asked row by row the box would be read 200,000 times per look: one question per look.
        EXPECT_TRUE(probe::WaitUntil(
            [&] {
                return ::SendMessageW(FindCombo(bar), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                      reinterpret_cast<LPARAM>(wanted.c_str())) != CB_ERR;
            },
            60000, 100))
            << "not found: " << WideToUtf8(wanted)
            << (KeepScreenshot(std::string("large-") + c.name) ? " (screenshot kept)" : "");
        probe::TapKey(VK_ESCAPE);
        ASSERT_TRUE(WaitHidden());
    }
}

std::string Row(const std::wstring& folder)
{
    return WideToUtf8(folder) + "\r\n";
}

const LargeCase kLargeCases[] = {
    {"AMillionRows",
     [](const testfiles::TempDir& dir) {
         std::string text = Row(dir.Str());
         for (int i = 1; i < 1000000; ++i)
             text += "C:\\nowhere\\row " + std::to_string(i) + "\r\n";
         return text;
     },
     L"alpha", L"Alpha.zarvitest"},
    {"ARowOf100000Characters",
     [](const testfiles::TempDir& dir) { return "C:\\" + std::string(100000, 'a') + "\r\n" + Row(dir.Str()); }, L"beta",
     L"Beta.zarvitest"},
    {"AFolderOf200000Files",
     [](const testfiles::TempDir& dir) {
         testfiles::MakeFolder(dir / L"many");
         return testfiles::MakeNumbered(dir / L"many", L"file ", L".txt", 200000, false)
                    ? Row(dir.Str()) + Row(dir / L"many")
                    : std::string();
     },
     L"file 199999", L"many\\file 199999.txt"},
    {"ADeepRowOver10000Subfolders",
     [](const testfiles::TempDir& dir) {
         testfiles::MakeFolder(dir / L"tree");
         if (!testfiles::MakeNumbered(dir / L"tree", L"sub ", L"", 10000, true))
             return std::string();
         testfiles::Touch(dir / L"tree\\sub 9999\\leaf.txt");
         return Row(dir.Str()) + "*" + Row(dir / L"tree");
     },
     L"leaf", L"tree\\sub 9999\\leaf.txt"},
};

INSTANTIATE_TEST_SUITE_P(Cases, LargeInput, testing::ValuesIn(kLargeCases),
                         [](const testing::TestParamInfo<LargeCase>& info) { return std::string(info.param.name); });

} // namespace
