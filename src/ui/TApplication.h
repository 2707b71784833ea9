#pragma once
#include "ui/Window.h"

// The never-seen application window titled "Zarvi": owner of the program's other windows,
// and the window whose destruction ends the message loop.
class TApplication : public Window {
public:
    TApplication();
    ~TApplication() override;

    // Ends the message loop with `exitCode` once the windows are gone.
    void Terminate(int exitCode) noexcept;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    int exitCode_ = 0;
    HWND menuPainter_ = nullptr;
};

// Sent with a window handle in lParam: menus opened on the application window are drawn by
// that window (it gets their measure and draw messages).
inline constexpr UINT kSetMenuPainterMessage = WM_APP + 30;

// The orderly end: destroys the application's windows, then the loop ends with `exitCode`.
// Without an application window (tests) it only ends the loop.
void TerminateApplication(int exitCode) noexcept;

// Sees each message before it is dispatched; true when it was handled and must go no further.
using MessageFilter = bool (*)(MSG& msg) noexcept;

// Runs the message loop until the program ends; returns the process exit code.
int RunMessageLoop(MessageFilter filter = nullptr) noexcept;
