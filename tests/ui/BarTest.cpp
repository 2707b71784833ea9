#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <thread>

#include "core/AppInfo.h"
#include "core/AppPathHelper.h"
#include "core/Handle.h"
#include "core/FolderScanner.h"
#include "core/FileHelper.h"
#include "core/rules/TextConv.h"
#include "support/Probe.h"
#include "support/TestFiles.h"
#include "core/KeyHookHelper.h"
#include "core/rules/WindowLayout.h"
#include "support/AppFolderSandbox.h"
#include "support/DpiChild.h"
#include "support/SearchHost.h"
#include "ui/MAIN.h"
#include "ui/SmartCombo.h"
#include "ui/TApplication.h"

namespace {

// The bar as the program makes it at start-up, in this process.
class BarLook : public AppFolderSandbox {
protected:
    void SetUp() override
    {
        AppFolderSandbox::SetUp();
        SkipTutorial();
        application = std::make_unique<TApplication>();
        bar = std::make_unique<TForm1>(application->Handle());
        SearchHost::Settle();
    }
    void TearDown() override
    {
        bar.reset();
        application.reset();
        AppFolderSandbox::TearDown();
    }

    std::unique_ptr<TApplication> application;
    std::unique_ptr<TForm1> bar;
};

TEST_F(BarLook, SearchBoxCarriesSegoeUi14PointsAndTheBarIsSizedByIt)
{
    const int dpi = dpichild::ExpectedDpi();
    ASSERT_EQ(static_cast<int>(::GetDpiForWindow(bar->Handle())), dpi) << "the platform did not take this DPI";
    ASSERT_NE(SearchBox, nullptr);

    const auto font = reinterpret_cast<HFONT>(::SendMessageW(SearchBox->Combo(), WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr) << "the box shows the system font";
    LOGFONTW look{};
    ASSERT_EQ(::GetObjectW(font, sizeof(look), &look), static_cast<int>(sizeof(look)));
    EXPECT_STREQ(look.lfFaceName, L"Segoe UI");
    EXPECT_EQ(look.lfHeight, -::MulDiv(14, dpi, 72));

    RECT combo{}, box{}, window{};
    ::GetWindowRect(SearchBox->Combo(), &combo);
    ::GetWindowRect(SearchBox->Handle(), &box);
    ::GetWindowRect(bar->Handle(), &window);
    // A combo box is as tall as its font asks, so a 14-point font makes it taller than the text.
    EXPECT_GT(combo.bottom - combo.top, -look.lfHeight);
    EXPECT_EQ(box.bottom - box.top, combo.bottom - combo.top);
    EXPECT_EQ(window.bottom - window.top, std::max<LONG>(layout::Scale(32, dpi), combo.bottom - combo.top));
}

// A folder whose name ends in "slow" answers after seconds, as an unreachable share would.
constexpr DWORD kSlowScanMs = 2500;
void SlowScan(const std::wstring& folder, std::vector<std::wstring>& list, bool deeper, ScanProgress* progress)
{
    if (folder.ends_with(L"slow"))
        ::Sleep(kSlowScanMs);
    ScanFolder(folder, list, deeper, progress);
}

// The bar shown in this process, with folders that answer as slowly as a test makes them.
class BarShow : public BarLook {};

TEST_F(BarShow, ASlowFolderDelaysNeitherTheBarNorTheTypingAndItsEntriesJoinTheSearch)
{
    testfiles::TempDir dir;
    testfiles::Touch(dir / L"slow\\settings.txt");
    testfiles::Touch(dir / L"plain\\notes.txt");
    testfiles::Touch(dir / L"plain\\songs.txt");
    testfiles::WritePathList(GetPathListFile(), (dir / L"slow") + L"\r\n" + (dir / L"plain") + L"\r\n");
    Scanner().SetScanFunction(&SlowScan);
    const DWORD start = ::GetTickCount();
    bar->ShowBar();
    const DWORD shownAfter = ::GetTickCount() - start;
    Scanner().SetScanFunction(nullptr);

    EXPECT_TRUE(::IsWindowVisible(bar->Handle()));
    EXPECT_LT(shownAfter, kSlowScanMs / 2) << "the bar waited for the slow folder";
    EXPECT_EQ(SearchBox->StoredItems(),
              (std::vector<std::wstring>{L"", dir / L"plain\\notes.txt", dir / L"plain\\songs.txt"}));

    // The user types while the slow folder is still being scanned; its entries join the search.
    probe::TypeText(L"ng");
    SearchHost::Settle();
    EXPECT_EQ(probe::ComboItems(SearchBox->Combo()), (std::vector<std::wstring>{dir / L"plain\\songs.txt"}));
    ASSERT_TRUE(probe::WaitUntil(
        [] {
            SearchHost::Settle();
            return SearchBox->StoredItems().size() == 4;
        },
        kSlowScanMs * 3));
    EXPECT_TRUE(::IsWindowVisible(bar->Handle()));
    EXPECT_TRUE(SearchBox->IsTypingStyle());
    EXPECT_EQ(SearchBox->Text(), L"ng");
    EXPECT_EQ(probe::ComboItems(SearchBox->Combo()),
              (std::vector<std::wstring>{dir / L"slow\\settings.txt", dir / L"plain\\songs.txt"}));
}

TEST(BarLookAtDpi, At144DpiTheFontAndHeightsScale)
{
    if (dpichild::IsChild())
        GTEST_SKIP() << "run by the parent";
    EXPECT_EQ(dpichild::RunAtDpi(144, L"BarLook.*"), 0u) << "the bar's look at 144 DPI failed (see the output above)";
}

// Right after logon an indexer, a virus scanner or a sync client often holds a file just written.
// A start-up step that fails on it is told, and the bar still has its title and its search box:
// a second start finds it, and the shortcut shows a working bar.
TEST_F(AppFolderSandbox, AStartThatMeetsABusySettingsFileStillGivesAWorkingBar)
{
    // No autostart choice stored yet: the start stores one.
    SkipTutorial();
    const std::wstring ini = appFolder + L"\\zarvi.ini";
    FileHandle held(::CreateFileW(ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    std::optional<probe::MessageBoxInfo> told;
    std::thread other([&] {
        told = probe::WaitForMessageBox(::GetCurrentProcessId(), 10000);
        held.reset(); // the other program lets go once the error is on the screen
        if (told)
            probe::PressDialogButton(told->hwnd, L"OK");
    });
    auto application = std::make_unique<TApplication>();
    auto bar = std::make_unique<TForm1>(application->Handle());
    other.join();

    ASSERT_TRUE(told.has_value()) << "the error was not told";
    EXPECT_EQ(told->text, L"Unable to write to " + ini + L".");
    wchar_t title[64] = {};
    ::GetWindowTextW(bar->Handle(), title, 64);
    EXPECT_STREQ(title, kBarTitle);
    ASSERT_NE(SearchBox, nullptr) << "the bar has no search box";
    EXPECT_TRUE(::IsWindow(SearchBox->Combo()));
    bar.reset();
    application.reset();
}

} // namespace
