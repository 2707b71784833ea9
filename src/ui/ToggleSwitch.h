#pragma once
// A toggle switch, which the platform has no control for: drawn by the program in the plain
// style (a silver face in a dark 3-D frame, the knob at the left when off, at the right when on).
// A click or Space flips it and tells the parent with WM_COMMAND (BN_CLICKED, the control id).
#include "ui/Window.h"

class TToggleSwitch : public Window {
public:
    TToggleSwitch(HWND parent, int id, int x, int y, int width, int height);
    ~TToggleSwitch() override;

    bool IsOn() const noexcept { return on_; }
    // Sets the state; a change is told to the parent like a click.
    void SetOn(bool on);

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    void Paint();
    int id_;
    bool on_ = false;
};
