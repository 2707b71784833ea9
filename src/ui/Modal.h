#pragma once
// Showing a window of ours modally: its owner is disabled while it runs, its keys go through
// the platform's dialog navigation (Tab, Space on a check box, Enter and Escape as IDOK and
// IDCANCEL commands), and the run ends when the window asks for it or is destroyed.
#include <windows.h>

#include <functional>

class ModalRun {
public:
    // Sees each message first; true when it was handled and must go no further.
    using Filter = std::function<bool(const MSG&)>;

    // Shows `window` centred on the screen and runs until EndModal or its destruction; returns
    // the result given to EndModal (IDCANCEL when the window was closed another way).
    static int Run(HWND window, HWND owner, const Filter& filter = nullptr);
    // Ends the innermost run of `window`.
    static void EndModal(HWND window, int result) noexcept;
};

// Centres a top-level window on the work area of the primary monitor.
void CentreOnScreen(HWND window) noexcept;
