#include <windows.h>

#include <commctrl.h>

#include <memory>

#include "ui/ErrorReport.h"
#include "ui/TApplication.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof(icc);
    icc.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&icc);

    std::unique_ptr<TApplication> application;
    RunGuarded([&] { application = std::make_unique<TApplication>(); });
    if (!application)
        return 1;
    return RunMessageLoop();
}
