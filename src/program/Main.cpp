#include <windows.h>

#include <commctrl.h>

#include <memory>

#include <objbase.h>

#include "program/IstancesHelper.h"
#include "ui/ErrorReport.h"
#include "ui/MAIN.h"
#include "ui/TApplication.h"
#include "ui/Theme.h"

namespace {

bool PreviewBarKeys(MSG& msg) noexcept
{
    return Form1 && Form1->PreviewKey(msg);
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    if (IsAnotherInstanceRunning()) {
        SignalRunningInstance();
        return 0;
    }

    // The folder picker is a COM object of the user-interface thread.
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof(icc);
    icc.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&icc);

    ApplyTheme(::GetModuleHandleW(nullptr));

    std::unique_ptr<TApplication> application;
    std::unique_ptr<TForm1> bar;
    RunGuarded([&] {
        application = std::make_unique<TApplication>();
        bar = std::make_unique<TForm1>(application->Handle());
    });
    if (!application || !bar)
        return 1;
    return RunMessageLoop(&PreviewBarKeys);
}
