#include <gtest/gtest.h>

#include <windows.h>

#include <stdexcept>

#include "core/rules/AppError.h"
#include "support/ModalWatcher.h"
#include "ui/ErrorReport.h"

namespace {

struct ReportCase {
    const char* name;
    void (*raise)();
    std::wstring expectedText;
};

class ErrorReportShows : public ::testing::TestWithParam<ReportCase> {};

TEST_P(ErrorReportShows, ModalBoxCaptionedZarviWithErrorIconAndOk)
{
    ModalWatcher watcher;
    bool ranAfterError = false;
    RunGuarded([&] {
        GetParam().raise();
        ranAfterError = true;
    });
    EXPECT_FALSE(ranAfterError);
    const auto& box = watcher.Seen();
    ASSERT_TRUE(box.has_value()) << "no message box appeared";
    EXPECT_EQ(box->caption, L"Zarvi");
    EXPECT_EQ(box->text, GetParam().expectedText);
    EXPECT_TRUE(box->hasIcon);
    EXPECT_EQ(box->buttons, std::vector<std::wstring>{L"OK"});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ErrorReportShows,
    ::testing::Values(ReportCase{"AppErrorGetsFullStop", [] { throw AppError(L"File access denied"); },
                                 L"File access denied."},
                      ReportCase{"MessageEndingInPunctuationKept", [] { throw AppError(L"Stop!"); }, L"Stop!"},
                      ReportCase{"StandardErrorDecodedFromUtf8", [] { throw std::runtime_error("caf\xC3\xA9 closed"); },
                                 L"caf\u00E9 closed."},
                      ReportCase{"UnknownErrorStillReported", [] { throw 42; }, L"Unexpected error."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ErrorReport, IsOwnedByTheActiveWindow)
{
    HWND owner = ::CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100, nullptr,
                                   nullptr, nullptr, nullptr);
    ASSERT_TRUE(owner);
    ::SetForegroundWindow(owner);
    ::SetActiveWindow(owner);
    ASSERT_EQ(::GetActiveWindow(), owner);

    ModalWatcher watcher;
    ShowErrorReport(L"Disk full");
    EXPECT_EQ(watcher.Owner(), owner);
    ::DestroyWindow(owner);
}

TEST(ErrorReport, NothingShownWhenTheHandlerSucceeds)
{
    bool ran = false;
    RunGuarded([&] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_FALSE(probe::FindMessageBox(::GetCurrentProcessId()).has_value());
}

} // namespace
