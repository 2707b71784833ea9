#include "ui/Modal.h"

#include <vector>

namespace {

struct Running {
    HWND window;
    int result;
    bool ended;
};
std::vector<Running*> Runs; // innermost last

} // namespace

void CentreOnScreen(HWND window) noexcept
{
    RECT area{}, r{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    ::GetWindowRect(window, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    ::SetWindowPos(window, nullptr, area.left + (area.right - area.left - width) / 2,
                   area.top + (area.bottom - area.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int ModalRun::Run(HWND window, HWND owner, const Filter& filter)
{
    Running run{window, IDCANCEL, false};
    Runs.push_back(&run);
    const bool ownerWasEnabled = owner && ::IsWindowEnabled(owner);
    if (ownerWasEnabled)
        ::EnableWindow(owner, FALSE);
    CentreOnScreen(window);
    ::ShowWindow(window, SW_SHOWNORMAL);
    ::SetForegroundWindow(window);
    MSG msg;
    while (!run.ended && ::IsWindow(window)) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            // The program is ending: the quit goes on to the outer loop.
            ::PostQuitMessage(got == 0 ? static_cast<int>(msg.wParam) : 1);
            break;
        }
        if ((filter && filter(msg)) || ::IsDialogMessageW(window, &msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    // The owner comes back before the window goes, so the platform activates the owner.
    if (ownerWasEnabled)
        ::EnableWindow(owner, TRUE);
    if (::IsWindow(window))
        ::ShowWindow(window, SW_HIDE);
    Runs.pop_back();
    return run.result;
}

void ModalRun::EndModal(HWND window, int result) noexcept
{
    for (auto it = Runs.rbegin(); it != Runs.rend(); ++it)
        if ((*it)->window == window) {
            (*it)->result = result;
            (*it)->ended = true;
            ::PostMessageW(window, WM_NULL, 0, 0); // wakes the loop
            return;
        }
}
