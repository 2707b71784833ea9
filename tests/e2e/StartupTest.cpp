#include <gtest/gtest.h>

#include "ZarviProcess.h"
#include "support/AppFolderSandbox.h"
#include "support/Probe.h"

namespace {

using Startup = AppFolderSandbox;

TEST_F(Startup, ShowsNoWindowButOwnsTheApplicationWindowAndEndsOnClose)
{
    SkipTutorial();
    ZarviProcess zarvi;
    zarvi.Start();
    HWND app = nullptr;
    ASSERT_TRUE(probe::WaitUntil([&] { return (app = probe::FindTopLevel(L"Zarvi", zarvi.Pid())) != nullptr; }))
        << "no window titled Zarvi appeared";
    EXPECT_FALSE(::IsWindowVisible(app));

    ::PostMessageW(app, WM_CLOSE, 0, 0);
    EXPECT_EQ(zarvi.WaitForExit(), std::optional<DWORD>(0));
}

} // namespace
