#include "ui/ErrorReport.h"

#include <windows.h>

#include <new>
#include <string>

#include "core/AppInfo.h"
#include "core/rules/AppError.h"
#include "core/rules/ErrorText.h"
#include "core/rules/TextConv.h"

void ShowErrorReport(std::wstring_view message) noexcept
{
    try {
        const std::wstring text = ErrorReportText(message);
        ::MessageBoxW(::GetActiveWindow(), text.c_str(), kAppTitle, MB_OK | MB_ICONERROR);
    } catch (...) {
        // Out of memory while building the text: the platform's own words still reach the user.
        ::MessageBoxW(::GetActiveWindow(), L"Out of memory.", kAppTitle, MB_OK | MB_ICONERROR);
    }
}

void ReportCurrentException() noexcept
{
    try {
        ShowErrorReport(CurrentErrorMessage());
    } catch (...) {
        ShowErrorReport(L"Out of memory");
    }
}
